// The zrb2xvirt control tool's commands, apart from main so tests can run them.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace zrb2xvirt {

// Runs one command line (without the program name); returns the exit code:
// 0 success, 1 failure, 2 a usage error.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace zrb2xvirt
