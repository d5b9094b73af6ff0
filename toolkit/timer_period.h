// The period rule every timer follows: a signed 32-bit number of milliseconds, 0 meaning
// stopped. Writing the value already held does nothing at all, so a running timer keeps
// its rhythm; any other value cancels the countdown and, above 0, starts a new one.
#pragma once

#include <cstdint>

namespace tk {

class TimerPeriod {
 public:
  enum class Action { kNone, kStop, kRestart };

  explicit TimerPeriod(int32_t initial = 0) : period_(initial < 0 ? 0 : initial) {}

  // Stores the new value and says what the platform timer must do about it.
  Action Set(int32_t value) {
    if (value < 0) value = 0;
    if (value == period_) return Action::kNone;
    period_ = value;
    return value > 0 ? Action::kRestart : Action::kStop;
  }

  int32_t value() const { return period_; }
  bool running() const { return period_ > 0; }

 private:
  int32_t period_;
};

}  // namespace tk
