// tesselcmd.exe: binds the card manager as the card utility does
// (SLOTHUB.DLL, else VESKCM.DLL, from the program's folder first) and
// hexo32.dll at load time, and hands the command line, as UTF-8, and the
// standard streams to the portable tool.
#include <windows.h>

#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "card_manager_binding.h"
#include "hexo32.h"
#include "image_file_api.h"
#include "result_lines.h"
#include "tesselcmd.h"
#include "win32_console_stream.h"
#include "win32_module_loader.h"
#include "win32_text.h"

namespace {

std::string fromShiftJis(std::string_view sjis) {
  return zrb::win::wideToUtf8(zrb::win::shiftJisToWide(sjis));
}

std::optional<std::string> toShiftJis(std::string_view utf8) {
  return zrb::win::wideToShiftJisExactly(zrb::win::utf8ToWide(utf8));
}

// The image file library's own text of an error, in the tool's UTF-8.
std::string imageFileErrorText(int32_t code) {
  char text[64] = {};  // the library writes at most 40 bytes
  if (code < 0 || HexoStrError(text, static_cast<uint32_t>(code)) == nullptr) return {};
  return fromShiftJis(text);
}

int runTool(int argc, wchar_t** argv) {
  tesselcmd::win::HandleStreamBuffer outBuffer(GetStdHandle(STD_OUTPUT_HANDLE));
  tesselcmd::win::HandleStreamBuffer errBuffer(GetStdHandle(STD_ERROR_HANDLE));
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(zrb::win::wideToUtf8(argv[i]));

  zrb::win::Win32ModuleLoader loader;
  cardservice::CardManagerBinding cards(loader);
  tesselcmd::ToolIo io{
      out, err, errBuffer.console(), cards, imageFileApi(), imageFileErrorText, fromShiftJis, toShiftJis};
  int code = tesselcmd::run(arguments, io);

  // What the command produced must arrive whole; a script that reads a
  // truncated listing or checksum as success would be misled.
  out.flush();
  if (outBuffer.failed() && code == tesselcmd::kExitSuccess) {
    err << "tesselcmd: file error: the output could not be written\n";
    code = tesselcmd::kExitFile;
  }
  err.flush();
  return code;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  try {
    return runTool(argc, argv);
  } catch (...) {
    // Only the setup around the tool can get here (the tool catches its own).
    std::fputs("tesselcmd: out of memory\n", stderr);
    return tesselcmd::kExitCard;
  }
}
