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

// Bytes at consecutive addresses, gathered so that the target gets them as
// blocks: the same file as byte-by-byte puts, in far fewer calls.
class RunWriter {
 public:
  RunWriter(const ImageFileApi& files, HexoHandle& target) : files_(files), target_(target) {
    run_.reserve(kRun);
  }

  bool put(uint32_t address, uint8_t byte) {
    if (!run_.empty() && (address != start_ + run_.size() || run_.size() == kRun) && !flush()) return false;
    if (run_.empty()) start_ = address;
    run_.push_back(byte);
    return true;
  }

  bool flush() {
    const bool written = run_.empty() || files_.putBlock(&target_, start_, run_.data(),
                                                         static_cast<uint32_t>(run_.size())) == 0;
    run_.clear();
    return written;
  }

 private:
  static constexpr size_t kRun = 64 * 1024;
  const ImageFileApi& files_;
  HexoHandle& target_;
  std::vector<uint8_t> run_;
  uint32_t start_ = 0;
};

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
    RunWriter writer(files, target.handle());
    for (;;) {
      uint32_t address = 0;
      const int32_t byte = files.getB(&source.handle(), &address);
      if (byte < 0) {
        // The data ends cleanly only at the end of a complete file.
        complete = files.isEof(&source.handle()) != 0 && files.getError(&source.handle()) == 0;
        if (!complete && !watch_.firstError()) watch_.note(&source.handle(), 5);
        break;
      }
      if (!writer.put(address, static_cast<uint8_t>(byte))) {
        complete = false;
        break;
      }
    }
    if (complete && !writer.flush()) complete = false;
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
