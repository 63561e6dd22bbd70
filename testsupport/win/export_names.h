// The names under which a DLL of this build exports a stdcall function. The
// 32-bit build has two, the plain and the decorated one (_CisDSize@4); x86-64
// knows no decoration, so the 64-bit build has the plain name only.
#pragma once
#include <string>

namespace zrb::test {

constexpr bool kDecoratedExports = sizeof(void*) == 4;

// The name to look a function up by, given its decorated name: that name
// itself where the build has decorated exports, else the plain name.
inline std::string exportName(const std::string& decorated) {
  if (kDecoratedExports || decorated.empty() || decorated[0] != '_') return decorated;
  return decorated.substr(1, decorated.find('@') - 1);
}

}  // namespace zrb::test
