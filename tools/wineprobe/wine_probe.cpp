// Answers with the width of its own pointers, so that the caller knows the
// loader it meant to test really ran it.
#include <cstdio>

int main() {
  std::printf("wine probe: %u-bit\n", static_cast<unsigned>(sizeof(void*) * 8));
  return 0;
}
