// Reading one record line of the text formats into the reader's line buffer.
#pragma once

#include "hexo_handle.h"

namespace hexo {

// Skips everything up to the start character (counting line ends), then stores
// the record line, start character first and CRs dropped, NUL-terminated in
// `line` (kLineBufferSize bytes). False with the handle's eof and error set
// when the stream ends (5) or fails (3) first, or the line is too long (9).
bool readRecordLine(HexoHandle& handle, char startCharacter, char* line);

}  // namespace hexo
