// The command line: numbers, areas and options as a script would give them.
#include "arguments.h"

#include <gtest/gtest.h>

namespace tesselcmd {
namespace {

ParseResult parse(std::initializer_list<std::string> arguments) {
  const std::vector<std::string> list(arguments);
  return parseArguments(list);
}

TEST(Numbers, AddressesInDecimalHexadecimalAndTheDollarForm) {
  EXPECT_EQ(parseAddress("4096"), 4096u);
  EXPECT_EQ(parseAddress("0x1000"), 0x1000u);
  EXPECT_EQ(parseAddress("0XfFfF"), 0xFFFFu);
  EXPECT_EQ(parseAddress("$1000"), 0x1000u);
  EXPECT_EQ(parseAddress("0xFFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(parseAddress("$FFFFFFFF"), 0xFFFFFFFFu);
  for (const char* bad : {"", "0x", "0x123456789", "12a", "-1", "$", "0x-1", "1.5", "4294967296", "0xG"})
    EXPECT_EQ(parseAddress(bad), std::nullopt) << bad;
}

TEST(Numbers, OffsetsMayBeNegativeWithinTheSignedRange) {
  EXPECT_EQ(parseOffset("-0x100"), -0x100);
  EXPECT_EQ(parseOffset("-256"), -256);
  EXPECT_EQ(parseOffset("0x7FFFFFFF"), 0x7FFFFFFF);
  EXPECT_EQ(parseOffset("-0x80000000"), INT32_MIN);
  EXPECT_EQ(parseOffset("0x80000000"), std::nullopt);
  EXPECT_EQ(parseOffset("-0x80000001"), std::nullopt);
  EXPECT_EQ(parseOffset("--1"), std::nullopt);
}

TEST(Areas, SocketSpaceAndRegion) {
  auto area = [](std::string_view text) {
    std::optional<AreaSpec> a = parseArea(text);
    return a ? std::to_string(a->socket) + "/" + std::to_string(a->space) + "/" + std::to_string(a->region)
             : std::string("none");
  };
  EXPECT_EQ(area("1"), "0/0/0");
  EXPECT_EQ(area("2:common"), "1/0/0");
  EXPECT_EQ(area("2:Attribute"), "1/1/0");
  EXPECT_EQ(area("3:common:2"), "2/0/2");
  EXPECT_EQ(area("3:1"), "2/0/1");
  for (const char* bad : {"0", "", ":1", "1:attribute:1", "1:4", "1:common:x", "1:2:3", "1:flash", "1:"})
    EXPECT_EQ(area(bad), "none") << bad;
}

TEST(CommandLine, OptionsInBothFormsAndTheirValues) {
  ParseResult r = parse({"write", "1", "f.bin", "--start=0x100", "--end", "$1FF", "--offset", "-16",
                         "--verify", "--type", "HEX", "-q"});
  ASSERT_TRUE(r.invocation) << r.error;
  EXPECT_EQ(r.invocation->command, Command::Write);
  EXPECT_EQ(r.invocation->operands, (std::vector<std::string>{"1", "f.bin"}));
  EXPECT_EQ(r.invocation->start, 0x100u);
  EXPECT_EQ(r.invocation->end, 0x1FFu);
  EXPECT_EQ(r.invocation->offset, -16);
  EXPECT_EQ(r.invocation->type, 1);
  EXPECT_TRUE(r.invocation->verify);
  EXPECT_TRUE(r.invocation->quiet);

  r = parse({"convert", "a.hex", "b.s37", "--from", "hex", "--to=s37"});
  ASSERT_TRUE(r.invocation) << r.error;
  EXPECT_EQ(r.invocation->from, 1);
  EXPECT_EQ(r.invocation->to, 4);
  EXPECT_EQ(r.invocation->type, kTypeByExtension);
}

TEST(CommandLine, UsageErrorsNameWhatIsWrong) {
  struct Case {
    std::initializer_list<std::string> arguments;
    const char* error;
  };
  const Case cases[] = {
      {{}, "no command given"},
      {{"format", "1"}, "unknown command 'format'"},
      {{"read", "1", "f", "--speed", "1"}, "unknown option '--speed'"},
      {{"read", "1", "f", "--verify"}, "option --verify does not apply to read"},
      {{"read", "1", "f", "--start"}, "option --start needs a value"},
      {{"read", "1", "f", "--start", "12z"}, "bad address for --start: '12z'"},
      {{"read", "1", "f", "--type", "elf"}, "bad file type (bin, hex, s19, s28 or s37) for --type: 'elf'"},
      {{"erase", "1", "--check=yes"}, "option --check takes no value"},
      {{"read", "1"}, "read takes 2 operands, got 1"},
      {{"list", "1"}, "list takes 0 operands, got 1"},
  };
  for (const Case& c : cases) {
    const ParseResult r = parse(c.arguments);
    EXPECT_FALSE(r.invocation);
    EXPECT_EQ(r.error, c.error);
  }
  // Help needs no operands and wins over their absence.
  ParseResult help = parse({"write", "--help"});
  ASSERT_TRUE(help.invocation);
  EXPECT_TRUE(help.invocation->help);
  EXPECT_TRUE(parse({"--help"}).generalHelp);
}

}  // namespace
}  // namespace tesselcmd
