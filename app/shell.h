// The program's life: the start routine, the exit routine, the delayed call, and the end
// program service. Everything here runs on the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "app/exit_slot.h"
#include "toolkit/win/toolkit.h"

namespace app {

// Initialises the toolkit, registers the exit routine, loads SplashWindow and runs the
// message loop; returns 0 once the loop has ended.
int StartRoutine(std::span<const tk::HandlerEntry> handlers);

void RegisterExitRoutine(ExitSlot::Routine routine);

// Runs the exit routine if it has not run yet, then stops any sound. Both ends of the
// program come through here.
void FinishProgram();

// How many times the exit routine has run in this process (0 or 1).
int ExitRoutineRuns();

// What stops the sound still playing at the end; none until a player registers it.
using SoundStopper = void (*)();
void SetSoundStopper(SoundStopper stopper);

// Ends the process at once with `code`, after the exit routine and the sound stop; no
// window is closed first.
[[noreturn]] void EndProgram(int32_t code);

// The program's one delayed call, delivered by a thread timer of the user-interface
// thread through whichever message loop runs at the time.
bool RequestDelayedCall(int32_t delay_ms, std::function<void()> routine);
bool DelayedCallPending();

}  // namespace app
