// Numbers typed into the dialogs: what converts, what is refused with error
// 261, and that a refused text leaves the caller's value alone.
#include <gtest/gtest.h>

#include <climits>

#include "number_entry.h"
#include "recording_messages.h"

namespace tessel {
namespace {

const char kBadNumber[] = "105 : オフセット値に誤りがあります";

struct Entry {
  const char* text;
  int32_t value;
};

TEST(ParseDecimal, AcceptsBlanksSignsAndTheHexadecimalDollar) {
  const Entry accepted[] = {
      {"42", 42},
      {"  42\t", 42},
      {"+7", 7},
      {"-0", 0},
      {"$1F", 31},
      {"$ff", 255},
      {"-$10", -16},
      {"$FFFFFFFF", -1},  // hexadecimal wraps into the signed range
      {"-$80000000", INT32_MIN},
      {"2147483647", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"0000000000000000000012", 12},  // leading zeros are no overflow
  };
  for (const Entry& entry : accepted) {
    test::RecordingMessages messages;
    int32_t value = 0;
    EXPECT_TRUE(parseDecimal(entry.text, value, messages)) << entry.text;
    EXPECT_EQ(value, entry.value) << entry.text;
    EXPECT_TRUE(messages.shown.empty()) << entry.text;
  }
}

TEST(ParseDecimal, RefusesWhatIsNoNumberOrDoesNotFitAndShowsError261) {
  const char* refused[] = {
      "",
      "   ",
      "-",
      "$",
      "12a",
      "1 2",
      "--1",
      "$-1",
      "$123456789",
      "2147483648",
      "-2147483649",
      "99999999999999999999999",  // far past any fixed width
  };
  for (const char* text : refused) {
    test::RecordingMessages messages;
    int32_t value = 77;
    EXPECT_FALSE(parseDecimal(text, value, messages)) << text;
    EXPECT_EQ(value, 77) << text;
    ASSERT_EQ(messages.shown.size(), 1u) << text;
    EXPECT_EQ(messages.shown[0], kBadNumber);
  }
}

TEST(ParseHex, ReadsHexadecimalWithALeadingMinusAsNegation) {
  const Entry accepted[] = {
      {"-10", -16}, {"10", 16}, {"  ff  ", 255}, {"-10  ", -16}, {"FFFFFFFF", -1}, {"-80000000", INT32_MIN},
      {"0", 0},
  };
  for (const Entry& entry : accepted) {
    test::RecordingMessages messages;
    int32_t value = 0;
    EXPECT_TRUE(parseHex(entry.text, value, messages)) << entry.text;
    EXPECT_EQ(value, entry.value) << entry.text;
  }
}

TEST(ParseHex, RefusesOtherTextAndShowsError261) {
  // The sign must touch the digits: "- 10" is no number, as users of the program know it.
  for (const char* text : {"1G", "", "-", "--10", "- 10", "$10", "+5", "123456789", "1 0"}) {
    test::RecordingMessages messages;
    int32_t value = 77;
    EXPECT_FALSE(parseHex(text, value, messages)) << text;
    EXPECT_EQ(value, 77) << text;
    ASSERT_EQ(messages.shown.size(), 1u) << text;
    EXPECT_EQ(messages.shown[0], kBadNumber);
  }
}

}  // namespace
}  // namespace tessel
