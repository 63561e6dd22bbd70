#include <windows.h>

#include <algorithm>

#include "virtual_config.h"
#include "win32_owners.h"

namespace zrb2x::virt {

std::string registryVirtualFolder() {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Orvane\\zrb2x", 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS)
    return {};
  zrb::win::UniqueKey key(opened);
  char value[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH, type = 0;
  const LONG status =
      RegQueryValueExA(key.get(), "VirtualReaders", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
  value[std::min<DWORD>(size, MAX_PATH)] = '\0';
  return value;
}

}  // namespace zrb2x::virt
