// The layouts' handler names bound to nothing: the benchmarks load the program's windows
// without its behaviour and drive them themselves.
#pragma once

#include "toolkit/win/toolkit.h"

namespace bench {

inline void Nothing(tk::Window&) {}
inline const tk::HandlerEntry kInertHandlers[] = {
    {"SplashWindowCreated", Nothing}, {"MainWindowCreated", Nothing},
    {"CloseClicked", Nothing},        {"ArmClicked", Nothing},
    {"ChooseSoundClicked", Nothing},  {"ClockTick", Nothing},
    {"AlarmTick", Nothing}};

}  // namespace bench
