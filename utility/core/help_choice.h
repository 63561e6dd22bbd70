// Which help the program offers, decided once at start-up from the files
// beside the program: an HTML Help file shown by the "hh" viewer process, a
// classic help file, or, with neither, "hh tessel.chm" all the same.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tessel {

struct HelpChoice {
  bool classic = false;  // the classic help call instead of a viewer process
  std::string file;      // the help file
  std::string command;   // the viewer's command line (HTML Help only)
};

HelpChoice chooseHelp(std::string_view programPath, const std::function<bool(const std::string&)>& exists);

}  // namespace tessel
