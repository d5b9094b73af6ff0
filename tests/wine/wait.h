// Polling until something has happened, for tests that watch another thread or process.
#pragma once

#include <windows.h>

namespace testing_support {

// Waits until `done()` is true or the time runs out; true if done.
template <typename F>
bool WaitFor(F done, DWORD timeout_ms) {
  const DWORD end = GetTickCount() + timeout_ms;
  while (!done()) {
    if (LONG(end - GetTickCount()) <= 0) return false;
    Sleep(10);
  }
  return true;
}

}  // namespace testing_support
