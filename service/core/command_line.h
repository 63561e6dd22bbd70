// What the service program is asked to do by its command line.
#pragma once

namespace zrb2x::service {

enum class CommandLineAction { Install, Remove, RunService };

// "-install" or "/install" (any case) installs, likewise "remove"; anything
// else hands the process to the service control dispatcher.
CommandLineAction parseCommandLine(int argc, const char* const* argv);

}  // namespace zrb2x::service
