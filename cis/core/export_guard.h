// Every export of the library runs its body through one of these, so that no
// exception (memory running short while a text is built) crosses into the
// caller: a decoder then hands back an empty text, a count 0.
#pragma once

namespace cis {

template <typename Body>
char* guardText(char* buffer, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    if (buffer) *buffer = '\0';
    return buffer;
  }
}

template <typename Result, typename Body>
Result guardValue(Result onFailure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return onFailure;
  }
}

}  // namespace cis
