#include <iostream>

#include "zrb2xvirt_commands.h"

int main(int argc, char** argv) {
  return zrb2xvirt::run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
