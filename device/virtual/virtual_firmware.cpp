// Firmware download into the virtual reader-writer, checked as the reader
// checks it: by length for the single-command method of older firmware, by
// length and CRC-32 for the method in pieces. The image lands in firmware.bin;
// last_download in the description tells how it went.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "big_endian.h"
#include "crc32_bzip2.h"
#include "device_result.h"
#include "firmware_download.h"
#include "inquiry.h"
#include "reader_files.h"
#include "virtual_command.h"

namespace zrb2x::virt {
namespace {

constexpr uint32_t kParameterListInvalid = 0x26000005;
constexpr uint32_t kSequenceError = 0x2C000005;

std::string outcome(const char* what, uint32_t length, uint32_t crc) {
  char text[96];
  std::snprintf(text, sizeof text, "%s length 0x%X crc 0x%08X", what, static_cast<unsigned>(length),
                static_cast<unsigned>(crc));
  return text;
}

bool writeAt(const std::filesystem::path& file, uint32_t offset, const uint8_t* data, uint32_t length) {
  std::fstream out(file, std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(offset);
  out.write(reinterpret_cast<const char*>(data), length);
  return static_cast<bool>(out);
}

uint32_t singleCommand(Session& s, const CommandIo& io) {
  const uint32_t length = getBig32(io.cdb + 6);
  if (io.count != length || (length & 1) || length > kMaxSingleDownload || (length && !io.data))
    return result::kInvalidField;
  std::ofstream out(s.folder() / kFirmwareFile, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(io.data), length);
  if (!out) return result::kInternalFailure;
  s.state.lastDownload = outcome("ok", length, crc32Bzip2(io.data, length));
  s.markChanged();
  return result::kOk;
}

uint32_t header(Session& s, const CommandIo& io) {
  if (io.count != 8 || !io.data) return result::kInvalidField;
  const uint32_t length = getBig32(io.data);
  if (length == 0 || length > kMaxPieceDownload) return kParameterListInvalid;
  std::error_code error;
  const auto file = s.folder() / kFirmwareFile;
  { std::ofstream create(file, std::ios::binary | std::ios::trunc); }
  std::filesystem::resize_file(file, length + (length & 1), error);
  if (error) return result::kInternalFailure;
  s.state.downloadPending = true;
  s.state.downloadLength = length;
  s.state.downloadCrc = getBig32(io.data + 4);
  s.markChanged();
  return result::kOk;
}

uint32_t piece(Session& s, const CommandIo& io) {
  if (!s.state.downloadPending) return kSequenceError;
  const uint8_t mode = io.cdb[1];
  const uint32_t offset = getBig24(io.cdb + 3), length = getBig24(io.cdb + 6);
  const uint32_t fileLength = s.state.downloadLength + (s.state.downloadLength & 1);
  if (io.count != length || !io.data || uint64_t{offset} + length > fileLength || (mode != 0 && mode != 5))
    return result::kInvalidField;
  const auto file = s.folder() / kFirmwareFile;
  if (!writeAt(file, offset, io.data, length)) return result::kInternalFailure;
  if (mode == 0) return result::kOk;

  // The piece at 0 completes the image: check it whole.
  s.state.downloadPending = false;
  s.markChanged();
  std::vector<uint8_t> image(fileLength);
  std::ifstream in(file, std::ios::binary);
  in.read(reinterpret_cast<char*>(image.data()), fileLength);
  const uint32_t crc = crc32Bzip2(image.data(), s.state.downloadLength);
  const bool good = in && crc == s.state.downloadCrc;
  s.state.lastDownload = outcome(good ? "ok" : "crc-mismatch", s.state.downloadLength, crc);
  return good ? result::kOk : kParameterListInvalid;
}

}  // namespace

uint32_t handleWriteBuffer(Session& s, const CommandIo& io) {
  if (io.direction != Direction::Out) return result::kInvalidField;
  // The image is written by name: never through a link, never into a file
  // that has another name.
  const auto file = s.folder() / kFirmwareFile;
  if (!isLinkFree(file) || !hasOneName(file)) return result::kInternalFailure;
  if (downloadMethodFor(revisionFromText(s.state.revision.c_str())) == DownloadMethod::SingleCommand)
    return singleCommand(s, io);
  return io.cdb[1] == 0 && io.cdb[2] == 0x01 ? header(s, io) : piece(s, io);
}

}  // namespace zrb2x::virt
