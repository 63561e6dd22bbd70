// The Win32 calls of the ASPI transport (Windows 9x): the ASPI manager, the
// block-device control of "\\.\VWIN32" and the dynamic registry.
// win32_aspi_system.cpp implements them; tests use fakes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "device_link.h"
#include "os_sync.h"

namespace zrb2x::os {

constexpr uint8_t kAspiPending = 0x00, kAspiComplete = 0x01;
constexpr uint8_t kAspiInitFailure = 0xE4;  // what the stubs report without a manager

struct AspiCommand {
  uint32_t slot = 0;  // the device's completion event
  uint8_t adapter = 0, target = 0, lun = 0;
  Direction direction = Direction::None;
  const uint8_t* cdb = nullptr;
  uint8_t cdbLength = 0;
  void* data = nullptr;
  uint32_t count = 0;
  uint8_t sense[14] = {};
  uint8_t status = kAspiPending;  // the request block's status after completion
  uintptr_t request = 0;          // the system's request block while in flight
};

enum class BlockControl { Eject, Lock, Unlock };

class AspiSystem : public Sync {
 public:
  // Loads the manager, binds its two functions, opens "\\.\VWIN32" and
  // creates the completion events; false (and nothing loaded) on failure.
  virtual bool loadManager() = 0;
  virtual void unloadManager() = 0;
  virtual uint32_t supportInfo() = 0;  // status in bits 8-15, adapter count in 0-7
  virtual bool adapterAnswers(uint8_t adapter) = 0;
  // Resets the slot's event and submits; returns the request block status.
  virtual uint8_t submit(AspiCommand& command) = 0;
  virtual bool waitForCompletion(AspiCommand& command, uint32_t timeoutMs) = 0;
  virtual void abort(AspiCommand& command) = 0;
  virtual bool blockDeviceControl(uint8_t driveNumber, BlockControl what) = 0;  // false: carry set
  // Dynamic registry: subkeys of "Config Manager\Enum" and their values, and
  // values under the local machine's "Enum\<hardware key>".
  virtual std::vector<std::string> configManagerEntries() = 0;
  virtual std::optional<std::string> configManagerValue(const std::string& entry, const char* name) = 0;
  virtual std::optional<std::string> enumValue(const std::string& hardwareKey, const char* name) = 0;
};

}  // namespace zrb2x::os
