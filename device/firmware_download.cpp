#include "firmware_download.h"

#include <algorithm>
#include <vector>

#include "big_endian.h"
#include "commands.h"
#include "crc32_bzip2.h"
#include "device_result.h"

namespace zrb2x {
namespace {

uint32_t roundUpEven(uint32_t n) { return n + (n & 1); }

uint32_t downloadInOneCommand(DeviceLink& link, const uint8_t* image, uint32_t count) {
  if (count > kMaxSingleDownload) return result::kIllegalRequest;
  const uint32_t sent = roundUpEven(count);
  // The device takes an even count; pad a copy rather than let the transport
  // read a byte past the caller's image.
  std::vector<uint8_t> padded(image, image + count);
  padded.resize(sent, 0xFF);
  uint8_t tail[9] = {};
  putBig32(tail + 5, sent);
  return cmd::writeBuffer(link, tail, padded.data(), sent);
}

uint32_t sendPiece(DeviceLink& link, uint8_t mode, const uint8_t* image, uint32_t offset, uint32_t length) {
  uint8_t tail[9] = {mode};
  putBig24(tail + 2, offset);
  putBig24(tail + 5, length);
  return cmd::writeBuffer(link, tail, image + offset, length);
}

uint32_t downloadInPieces(DeviceLink& link, const uint8_t* image, uint32_t count) {
  if (count > kMaxPieceDownload || count < kImageLengthOffset + 4) return result::kIllegalRequest;
  const uint32_t imageLength = getBig32(image + kImageLengthOffset);
  if (imageLength > count || roundUpEven(imageLength) != count) return result::kIllegalRequest;

  uint8_t header[8];
  putBig32(header, imageLength);
  putBig32(header + 4, crc32Bzip2(image, imageLength));
  const uint8_t headerTail[9] = {0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00};
  if (uint32_t r = cmd::writeBuffer(link, headerTail, header, sizeof header)) return r;

  // Highest piece first; the piece at 0 (mode 5) tells the reader-writer the
  // image is complete.
  for (uint32_t offset : {0x20000u, 0x10000u}) {
    if (count <= offset) continue;
    const uint32_t length = std::min(count - offset, kMaxSingleDownload);
    if (uint32_t r = sendPiece(link, 0, image, offset, length)) return r;
  }
  return sendPiece(link, 5, image, 0, std::min(count, kMaxSingleDownload));
}

}  // namespace

DownloadMethod downloadMethodFor(uint32_t revision) {
  return revision < kRevisionPieceDownload ? DownloadMethod::SingleCommand : DownloadMethod::Pieces;
}

uint32_t downloadFirmware(DeviceLink& link, DownloadMethod method, const void* image, uint32_t count) {
  if (!image) return result::kInvalidField;
  const auto* bytes = static_cast<const uint8_t*>(image);
  return method == DownloadMethod::SingleCommand ? downloadInOneCommand(link, bytes, count)
                                                 : downloadInPieces(link, bytes, count);
}

}  // namespace zrb2x
