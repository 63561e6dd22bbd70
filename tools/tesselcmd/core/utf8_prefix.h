// A console takes text in whole characters: what the tool has written so far
// may end inside a UTF-8 sequence whose last bytes are still to come.
#pragma once

#include <cstddef>
#include <string_view>

namespace tesselcmd {

// How many bytes of `text` end at a character boundary: all of them, unless
// the text ends with the start of a sequence that is not yet complete. Bytes
// that cannot begin or continue a sequence count as whole characters, so
// that nothing is held back for ever.
size_t completeUtf8Prefix(std::string_view text);

}  // namespace tesselcmd
