// Watches a client's process by a handle opened for waiting: while the
// service keeps it, the process id cannot be given to another process.
#pragma once

#include "client_registry.h"

namespace zrb2x::service::win {

class Win32ProcessWatcher final : public ProcessWatcher {
 public:
  std::unique_ptr<ProcessLife> watch(ClientId client) override;
};

}  // namespace zrb2x::service::win
