#include <windows.h>

#include "app/delayed_call.h"
#include "app/globals.h"
#include "app/shell.h"

namespace app {
namespace {

// A thread timer: no window, so it fires in any message loop of this thread, modal
// ones included.
class ThreadTimer final : public OneShotTimer {
 public:
  bool Start(int32_t milliseconds) override {
    id_ = SetTimer(nullptr, 0, UINT(milliseconds), &ThreadTimer::Fired);
    return id_ != 0;
  }
  void Stop() override {
    if (id_ != 0) KillTimer(nullptr, id_);
    id_ = 0;
  }
  UINT_PTR id() const { return id_; }

 private:
  static void CALLBACK Fired(HWND, UINT, UINT_PTR id, DWORD);
  UINT_PTR id_ = 0;
};

struct Shell {
  ExitSlot exit_slot;
  int exit_runs = 0;
  SoundStopper sound_stopper = nullptr;
  ThreadTimer timer;
  DelayedCall delayed_call{timer};
};

Shell& shell() {
  static Shell s;
  return s;
}

void CALLBACK ThreadTimer::Fired(HWND, UINT, UINT_PTR id, DWORD) {
  Shell& s = shell();
  if (id != s.timer.id()) {
    KillTimer(nullptr, id);  // a stray; never let it tick again
    return;
  }
  try {
    s.delayed_call.Fire();
  } catch (...) {
    // A routine's failure must not unwind into the system's dispatcher.
  }
}

}  // namespace

void RegisterExitRoutine(ExitSlot::Routine routine) { shell().exit_slot.Register(routine); }

void FinishProgram() {
  Shell& s = shell();
  if (s.exit_slot.RunOnce()) s.exit_runs++;
  if (s.sound_stopper != nullptr) s.sound_stopper();
}

int ExitRoutineRuns() { return shell().exit_runs; }

void SetSoundStopper(SoundStopper stopper) { shell().sound_stopper = stopper; }

void EndProgram(int32_t code) {
  FinishProgram();
  ExitProcess(UINT(code));
}

bool RequestDelayedCall(int32_t delay_ms, std::function<void()> routine) {
  return shell().delayed_call.Request(delay_ms, std::move(routine));
}

bool DelayedCallPending() { return shell().delayed_call.pending(); }

int StartRoutine(std::span<const tk::HandlerEntry> handlers) {
  tk::Initialise(handlers);  // a damaged layout just leaves its window unloadable
  RegisterExitRoutine(ReleaseGlobalTexts);
  tk::LoadWindow("SplashWindow");
  tk::RunMessageLoop();
  return 0;
}

}  // namespace app
