#include "win32_version_resource.h"

#include <cstdio>

namespace cardservice {

FileVersionResource::FileVersionResource(HMODULE module) {
  // Full paths are read into 261 characters, as the system's own limit.
  char path[261] = {};
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  if (length == 0 || length >= sizeof path) return;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  if (size == 0) return;
  data_.resize(size);
  if (!GetFileVersionInfoA(path, 0, size, data_.data())) data_.clear();
}

std::optional<std::pair<uint16_t, uint16_t>> FileVersionResource::translation() {
  if (data_.empty()) return std::nullopt;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data_.data(), "\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return std::nullopt;
  const auto* pair = static_cast<const WORD*>(value);
  return std::make_pair(static_cast<uint16_t>(pair[0]), static_cast<uint16_t>(pair[1]));
}

std::optional<std::string> FileVersionResource::query(uint16_t language, uint16_t codePage,
                                                      const char* name) {
  if (data_.empty()) return std::nullopt;
  char key[96];
  std::snprintf(key, sizeof key, "\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueA(data_.data(), key, &value, &length) || !value) return std::nullopt;
  // length counts characters and may include the terminator.
  const char* text = static_cast<const char*>(value);
  size_t size = 0;
  while (size < length && text[size] != '\0') ++size;
  return std::string(text, size);
}

VersionStrings readModuleVersionStrings(HMODULE module) {
  FileVersionResource resource(module);
  if (!resource.present()) return {};
  return readVersionStrings(resource);
}

}  // namespace cardservice
