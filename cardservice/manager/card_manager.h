// The card manager: loads the accessor modules of its list, numbers all their
// sockets into one global range of at most 32, and routes each call of the
// VESKCM and SlotHubService entries to the module that owns the socket.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

#include "card_service.h"
#include "module_host.h"
#include "module_list.h"
#include "version_string.h"

namespace cardservice {

class CardManager {
 public:
  // version: the manager's own four numbers (from its "FileVersion").
  CardManager(ModuleHost& host, const VersionNumbers& version,
              std::span<const ModuleListRow> modules = accessorModuleList());
  ~CardManager();
  CardManager(const CardManager&) = delete;
  CardManager& operator=(const CardManager&) = delete;

  int32_t veskcm(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                 void* data);
  int32_t slotHubService(uint32_t code, const SlotRequest* request, uint32_t requestLength, void* buffer,
                         uint32_t bufferLength);

  uint32_t socketCount() const { return total_; }

 private:
  struct ModuleSlot {
    CardEntry entry;
    void* handle = nullptr;
    uint32_t socketCount = 0;
    const char* fileName = nullptr;
    uint32_t category = 0;
  };
  struct SocketEntry {
    const ModuleSlot* module = nullptr;
    CardEntry entry = nullptr;
    uint32_t base = 0;
  };
  static constexpr size_t kMaxModules = 16;

  // A module refused for its version, to be told to the user once the loading
  // lock is released.
  struct VersionReport {
    const char* fileName = nullptr;
    VersionNumbers module{};
  };

  enum class LoadState { Closed, Loaded, NotLoaded };
  // Unloads for FN_CLOSE; for any other code loads the modules when not loaded
  // and then tells the user about modules of the wrong version.
  LoadState manageLoading(uint32_t code);
  void reportVersionMismatches(const std::array<VersionReport, kMaxModules>& reports, size_t count);
  void loadAll();
  void unloadAll();
  void loadModule(ModuleSlot& slot);
  void releaseModule(ModuleSlot& slot);
  // Calls the owning module of a global socket with its local number.
  int32_t forward(uint32_t code, uint32_t socket, uint32_t space, uint32_t offset, uint32_t length,
                  void* data);
  void fillManagerInfo(uint32_t length, void* data) const;
  void fillLegacyManagerInfo(uint32_t bufferLength, void* buffer) const;

  ModuleHost& host_;
  VersionNumbers version_;
  std::array<ModuleSlot, kMaxModules> modules_{};
  size_t moduleCount_ = 0;
  std::array<SocketEntry, kMaxGlobalSockets> sockets_{};
  uint32_t total_ = 0;
  std::array<uint32_t, kCategoryCount> categoryCount_{};
  bool loaded_ = false;
  // Version reports collected by the current load; moved out before the lock is released.
  std::array<VersionReport, kMaxModules> pendingReports_{};
  size_t pendingReportCount_ = 0;
  // A version message is on screen. Its message box runs a message loop in
  // which the caller may call the manager again; a load meanwhile (nested on
  // the same thread, or on another) stacks no second message on top.
  bool reporting_ = false;
  std::mutex
      loading_;  // guards loading, unloading, loaded_ and the report state; module calls run outside it
};

}  // namespace cardservice
