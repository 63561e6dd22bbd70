// The one small interface every format implements: an initialisation of its
// state in the handle and the four operations the handle carries. The calling
// interface picks a row by file type and direction.
#pragma once

#include "hexo_handle.h"

namespace hexo {

struct FormatOps {
  void (*init)(HexoHandle& handle, FileType type);
  HexoGetOp get;
  HexoPutOp put;
  HexoCloseOp close;
  HexoLineOp line;
};

const FormatOps& formatOps(FileType type, bool writing);

// Operations several formats share.
int32_t failAccessModeGet(HexoHandle* handle, uint32_t* address);
int32_t failAccessModePut(HexoHandle* handle, uint32_t address, int32_t byte);
int32_t closeNothing(HexoHandle* handle);
int32_t lineField(HexoHandle* handle);
int32_t streamPosition(HexoHandle* handle);

// One row per format and direction, each defined beside its implementation.
extern const FormatOps kBinaryReader;
extern const FormatOps kBinaryWriter;
extern const FormatOps kIntelHexReader;
extern const FormatOps kIntelHexWriter;
extern const FormatOps kSrecordReader;
extern const FormatOps kSrecordWriter;

// Marks the handle failed with a sticky error and gives the failure result.
inline int32_t fail(HexoHandle& handle, ErrorCode code) {
  handle.error = code;
  return -1;
}

}  // namespace hexo
