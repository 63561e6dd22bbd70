// Where the virtual reader-writers live: the folder named by the environment
// variable ZRB2X_VIRTUAL, else by the string value "VirtualReaders" under
// HKEY_LOCAL_MACHINE\Software\Orvane\zrb2x (Windows only). Empty when
// neither is set.
#pragma once

#include <filesystem>
#include <string>

namespace zrb2x::virt {

std::filesystem::path configuredVirtualFolder();

// The registry value, or empty; win32_registry_folder.cpp on Windows.
std::string registryVirtualFolder();

}  // namespace zrb2x::virt
