// The program's one delayed call: a routine run once, a given time from now, on the
// user-interface thread. At most one call is pending at a time.
#pragma once

#include <cstdint>
#include <functional>

namespace app {

// A one-shot timer of the user-interface thread; when it fires the owner calls
// DelayedCall::Fire. Start gives false when the platform refuses a timer.
class OneShotTimer {
 public:
  virtual ~OneShotTimer() = default;
  virtual bool Start(int32_t milliseconds) = 0;
  virtual void Stop() = 0;
};

class DelayedCall {
 public:
  using Routine = std::function<void()>;

  explicit DelayedCall(OneShotTimer& timer) : timer_(timer) {}
  DelayedCall(const DelayedCall&) = delete;
  DelayedCall& operator=(const DelayedCall&) = delete;

  // Refused (false) while a call is pending, which keeps its delay and routine. A delay
  // below 1 runs the routine before returning.
  bool Request(int32_t delay_ms, Routine routine);

  // The timer has fired: stop it, clear the pending flag, then call, so that the routine
  // may request the next delayed call itself.
  void Fire();

  bool pending() const { return pending_; }

 private:
  OneShotTimer& timer_;
  bool pending_ = false;
  Routine routine_;
};

}  // namespace app
