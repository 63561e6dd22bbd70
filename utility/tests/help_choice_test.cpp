// Which help the program offers, from the files that lie beside it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "help_choice.h"

namespace tessel {
namespace {

struct Folder {
  std::set<std::string> files;
  std::vector<std::string> asked;
  bool operator()(const std::string& file) {
    asked.push_back(file);
    return files.count(file) != 0;
  }
};

HelpChoice choose(std::string_view program, Folder& folder) {
  return chooseHelp(program, [&](const std::string& file) { return folder(file); });
}

TEST(HelpChoice, AnHtmlHelpFileIsShownByTheViewerWithItsPathQuoted) {
  Folder folder{{"C:\\Program Files\\tessel\\tessel.chm", "C:\\Program Files\\tessel\\tessel.hlp"}, {}};
  HelpChoice help = choose("C:\\Program Files\\tessel\\tessel.exe", folder);
  EXPECT_FALSE(help.classic);
  EXPECT_EQ(help.file, "C:\\Program Files\\tessel\\tessel.chm");
  EXPECT_EQ(help.command, "hh \"C:\\Program Files\\tessel\\tessel.chm\"");
  EXPECT_EQ(folder.asked.size(), 1u);
}

TEST(HelpChoice, AClassicHelpFileIsUsedWhenThereIsNoHtmlHelp) {
  Folder folder{{"C:\\Apps\\tessel.hlp"}, {}};
  HelpChoice help = choose("C:\\Apps\\tessel.exe", folder);
  EXPECT_TRUE(help.classic);
  EXPECT_EQ(help.file, "C:\\Apps\\tessel.hlp");
  EXPECT_TRUE(help.command.empty());
  EXPECT_EQ(folder.asked, (std::vector<std::string>{"C:\\Apps\\tessel.chm", "C:\\Apps\\tessel.hlp"}));
}

TEST(HelpChoice, WithNeitherTheViewerIsStartedOnTheDefaultName) {
  Folder folder;
  HelpChoice help = choose("C:\\Apps\\tessel.exe", folder);
  EXPECT_FALSE(help.classic);
  EXPECT_EQ(help.file, "tessel.chm");
  EXPECT_EQ(help.command, "hh tessel.chm");
}

TEST(HelpChoice, AProgramNameWithoutExtensionGetsOneAppended) {
  Folder folder;
  choose("C:\\My.Tools\\tessel", folder);
  choose("/opt/my.tools/tessel", folder);
  choose("tessel", folder);
  choose("C:\\Apps\\tessel.old.exe", folder);
  EXPECT_EQ(folder.asked,
            (std::vector<std::string>{"C:\\My.Tools\\tessel.chm", "C:\\My.Tools\\tessel.hlp",
                                      "/opt/my.tools/tessel.chm", "/opt/my.tools/tessel.hlp", "tessel.chm",
                                      "tessel.hlp", "C:\\Apps\\tessel.old.chm", "C:\\Apps\\tessel.old.hlp"}));
}

}  // namespace
}  // namespace tessel
