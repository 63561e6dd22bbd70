// Which implementation serves which file type in which direction.
#include "format_ops.h"

namespace hexo {

namespace {

struct FormatRow {
  const FormatOps* reader;
  const FormatOps* writer;
};

// Indexed by file type. One S-record reader serves all three address widths;
// the writer takes its parameters from the type at initialisation.
const FormatRow kFormats[] = {
    {&kBinaryReader, &kBinaryWriter},      // TYPE_BINARY
    {&kIntelHexReader, &kIntelHexWriter},  // TYPE_INTEL_HEX
    {&kSrecordReader, &kSrecordWriter},    // TYPE_S19
    {&kSrecordReader, &kSrecordWriter},    // TYPE_S28
    {&kSrecordReader, &kSrecordWriter},    // TYPE_S37
};
static_assert(sizeof(kFormats) / sizeof(kFormats[0]) == TYPE_S37 + 1);

}  // namespace

const FormatOps& formatOps(FileType type, bool writing) {
  const FormatRow& row = kFormats[type];
  return writing ? *row.writer : *row.reader;
}

int32_t failAccessModeGet(HexoHandle* handle, uint32_t*) { return fail(*handle, ERR_ACCESS_MODE); }

int32_t failAccessModePut(HexoHandle* handle, uint32_t, int32_t) { return fail(*handle, ERR_ACCESS_MODE); }

int32_t closeNothing(HexoHandle*) { return 0; }

int32_t lineField(HexoHandle* handle) { return handle->line; }

int32_t streamPosition(HexoHandle* handle) { return static_cast<int32_t>(std::ftell(handle->file)); }

int32_t getOneByte(HexoHandle* handle, uint32_t* address, uint8_t* bytes, uint32_t) {
  const int32_t byte = handle->getOp(handle, address);
  if (byte < 0) return -1;
  bytes[0] = static_cast<uint8_t>(byte);
  return 1;
}

int32_t putEachByte(HexoHandle* handle, uint32_t address, const uint8_t* bytes, uint32_t count) {
  for (uint32_t i = 0; i < count; ++i)
    if (handle->putOp(handle, address + i, bytes[i]) < 0) return -1;
  return 0;
}

}  // namespace hexo
