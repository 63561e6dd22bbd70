// An exception inside an export's body never reaches the caller: a text
// export hands back an empty text in the caller's buffer, a value export 0.
#include <gtest/gtest.h>

#include <new>

#include "export_guard.h"

namespace cis {
namespace {

TEST(ExportGuard, AFailingBodyLeavesAnEmptyTextOrZero) {
  char buffer[8] = "stale";
  EXPECT_EQ(guardText(buffer, [&]() -> char* { throw std::bad_alloc(); }), buffer);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(guardText(nullptr, []() -> char* { throw 1; }), nullptr);
  EXPECT_EQ(guardValue<unsigned>(0, []() -> unsigned { throw std::bad_alloc(); }), 0u);
  // A body that succeeds is untouched.
  EXPECT_EQ(guardValue<unsigned>(0, [] { return 7u; }), 7u);
  EXPECT_EQ(guardText(buffer,
                      [&] {
                        buffer[0] = 'x', buffer[1] = 0;
                        return buffer;
                      }),
            buffer);
  EXPECT_STREQ(buffer, "x");
}

}  // namespace
}  // namespace cis
