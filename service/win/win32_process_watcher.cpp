#include "win32_process_watcher.h"

#include "win32_owners.h"

namespace zrb2x::service::win {
namespace {

using zrb::win::UniqueHandle;

class Win32ProcessLife final : public ProcessLife {
 public:
  explicit Win32ProcessLife(HANDLE process) : process_(process) {}
  bool ended() override { return WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0; }

 private:
  UniqueHandle process_;
};

}  // namespace

std::unique_ptr<ProcessLife> Win32ProcessWatcher::watch(ClientId client) {
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, client);
  if (!process) return nullptr;
  return std::make_unique<Win32ProcessLife>(process);
}

}  // namespace zrb2x::service::win
