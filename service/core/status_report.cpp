#include "status_report.h"

namespace zrb2x::service {

StatusFields CheckPointCounter::next(uint32_t state) {
  StatusFields fields{};
  // While starting, a stop control could arrive before the stop event exists.
  fields.controlsAccepted = state == kStartPending ? 0 : kAcceptStop;
  if (state == kRunning || state == kStopped) {
    fields.checkPoint = 0;
  } else {
    fields.checkPoint = counter_++;
  }
  return fields;
}

}  // namespace zrb2x::service
