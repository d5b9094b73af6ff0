// Functions of a system DLL looked up the first time they are needed. comdlg32 and winmm
// each bring a train of further libraries with them; linked normally they would all be
// loaded before the splash can show, for a dialog or a sound that may never come.
#pragma once

#include <windows.h>

namespace tk {

// The function `name` of the system DLL `dll`, or null when either is missing. The DLL is
// loaded from the system folder only, and stays loaded.
FARPROC SystemFunction(const wchar_t* dll, const char* name);

template <typename F>
F* SystemFunctionAs(const wchar_t* dll, const char* name) {
  // Through void*: the compiler would rightly warn about a direct cast between unrelated
  // function types.
  return reinterpret_cast<F*>(reinterpret_cast<void*>(SystemFunction(dll, name)));
}

}  // namespace tk
