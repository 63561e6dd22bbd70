#include <iconv.h>

#include <stdexcept>

#include "sjis.h"

namespace cis::test {
namespace {

std::string convert(const std::string& input, const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string out(input.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(input.data());
  size_t inLeft = input.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (result == static_cast<size_t>(-1)) throw std::runtime_error("iconv: " + input);
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::string sjis(const std::string& utf8) { return convert(utf8, "CP932", "UTF-8"); }
std::string utf8(const std::string& sjis) { return convert(sjis, "UTF-8", "CP932"); }

}  // namespace cis::test
