#include <windows.h>

#include <algorithm>

#include "virtual_config.h"

namespace zrb2x::virt {

std::string registryVirtualFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvane\\zrb2x", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return {};
  char value[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH, type = 0;
  const LONG status =
      RegQueryValueExA(key, "VirtualReaders", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  value[std::min<DWORD>(size, MAX_PATH)] = '\0';
  return value;
}

}  // namespace zrb2x::virt
