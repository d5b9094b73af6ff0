// The exit routine's slot: filled once at start, emptied by the one call it gets, so that
// every later clean-up path finds it empty.
#pragma once

namespace app {

class ExitSlot {
 public:
  using Routine = void (*)();

  void Register(Routine routine) { routine_ = routine; }

  // Runs the routine if it is still there; true if it ran.
  bool RunOnce() {
    Routine routine = routine_;
    routine_ = nullptr;  // emptied before the call, so a re-entrant end finds nothing
    if (routine == nullptr) return false;
    routine();
    return true;
  }

  bool filled() const { return routine_ != nullptr; }

 private:
  Routine routine_ = nullptr;
};

}  // namespace app
