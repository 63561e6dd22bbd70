// convert: one image file into another through the image file interface.
#include "command_run.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "command_support.h"
#include "file_commands.h"
#include "image_file_api.h"

namespace tesselcmd {

using namespace tessel;

namespace {

// The source's runs go to the target as they come: a block put leaves the
// same file as its bytes put one by one.
constexpr uint32_t kRun = 64 * 1024;

}  // namespace

int Run::convert() {
  const std::string& in = invocation_.operands[0];
  const std::string& out = invocation_.operands[1];
  const ImageFileApi& files = watch_.files();
  // Written under a temporary name that replaces OUT only when complete, as
  // the card utility writes a file, so that a failure leaves OUT as it was.
  const std::string temporary = temporaryPathFor(out);
  bool complete = false;
  {
    OpenImageFile source(files), target(files);
    if (!source.open(in, hexo::MODE_READ, invocation_.from)) return fileFailure(in);
    if (!target.open(temporary, hexo::MODE_WRITE, resolvedType(invocation_.to, out))) return fileFailure(out);
    complete = true;
    std::vector<uint8_t> run(kRun);
    for (;;) {
      uint32_t address = 0;
      const int32_t got = files.getBlock(&source.handle(), &address, run.data(), kRun);
      if (got <= 0) {
        // The data ends cleanly only at the end of a complete file.
        complete = files.isEof(&source.handle()) != 0 && files.getError(&source.handle()) == 0;
        if (!complete && !watch_.firstError()) watch_.note(&source.handle(), 5);
        break;
      }
      if (files.putBlock(&target.handle(), address, run.data(), static_cast<uint32_t>(got)) != 0) {
        complete = false;
        break;
      }
    }
    source.close();
    if (target.close() != 0) complete = false;
  }
  std::error_code error;
  if (complete) std::filesystem::rename(tessel::pathFromUtf8(temporary), tessel::pathFromUtf8(out), error);
  if (!complete || error) {
    std::filesystem::remove(tessel::pathFromUtf8(temporary), error);
    return fileFailure(out);
  }
  return kExitSuccess;
}

}  // namespace tesselcmd
