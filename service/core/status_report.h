// The values of each service status report that do not come from the caller:
// the controls accepted and the check point, from a process-wide counter that
// starts at 1 and is never reset.
#pragma once

#include <cstdint>

namespace zrb2x::service {

// The service control manager's state numbers.
enum ServiceState : uint32_t {
  kStopped = 1,
  kStartPending = 2,
  kStopPending = 3,
  kRunning = 4,
};
constexpr uint32_t kAcceptStop = 1;

struct StatusFields {
  uint32_t controlsAccepted;
  uint32_t checkPoint;
};

class CheckPointCounter {
 public:
  StatusFields next(uint32_t state);

 private:
  uint32_t counter_ = 1;
};

}  // namespace zrb2x::service
