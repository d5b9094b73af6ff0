#include "app/delayed_call.h"

#include <utility>

namespace app {

bool DelayedCall::Request(int32_t delay_ms, Routine routine) {
  if (pending_) return false;
  if (delay_ms < 1) {
    if (routine) routine();
    return true;
  }
  if (!timer_.Start(delay_ms)) return false;
  routine_ = std::move(routine);
  pending_ = true;
  return true;
}

void DelayedCall::Fire() {
  if (!pending_) return;  // a late message of a timer already stopped
  timer_.Stop();
  pending_ = false;
  Routine routine = std::move(routine_);
  routine_ = nullptr;
  if (routine) routine();
}

}  // namespace app
