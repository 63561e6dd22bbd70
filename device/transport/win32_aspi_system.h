#pragma once

#include <array>

#include "aspi_system.h"
#include "win32_owners.h"
#include "win32_sync.h"

namespace zrb2x::win {

class AspiSystem : public Win32Sync<os::AspiSystem> {
 public:
  using SendCommand = DWORD(__cdecl*)(void*);
  using GetSupportInfo = DWORD(__cdecl*)();

  AspiSystem() = default;
  // A manager given directly instead of "WNASPI32.DLL" (tests): no block-device
  // control then.
  AspiSystem(SendCommand send, GetSupportInfo supportInfo)
      : givenSend_(send), givenSupportInfo_(supportInfo) {}
  ~AspiSystem() override;
  bool loadManager() override;
  void unloadManager() override;
  uint32_t supportInfo() override;
  bool adapterAnswers(uint8_t adapter) override;
  uint8_t submit(os::AspiCommand& command) override;
  bool waitForCompletion(os::AspiCommand& command, uint32_t timeoutMs) override;
  void abort(os::AspiCommand& command) override;
  bool blockDeviceControl(uint8_t driveNumber, os::BlockControl what) override;
  std::vector<std::string> configManagerEntries() override;
  std::optional<std::string> configManagerValue(const std::string& entry, const char* name) override;
  std::optional<std::string> enumValue(const std::string& hardwareKey, const char* name) override;

 private:
  void finish(os::AspiCommand& command);

  SendCommand givenSend_ = nullptr;
  GetSupportInfo givenSupportInfo_ = nullptr;
  zrb::win::UniqueModule manager_;
  SendCommand send_ = nullptr;
  GetSupportInfo supportInfo_ = nullptr;
  zrb::win::UniqueHandle vwin32_;
  std::array<zrb::win::UniqueHandle, 26> events_;
};

}  // namespace zrb2x::win
