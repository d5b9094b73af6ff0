#include "reminder/handlers.h"

// The clock and the alarm are built on these entry points; until then MainWindow's timers
// stay stopped and "开始定时" does nothing. The choice of sound is in choose_sound.cpp.

namespace reminder {

void MainWindowCreated(tk::Window&) {}
void ArmClicked(tk::Window&) {}
void ClockTick(tk::Window&) {}
void AlarmTick(tk::Window&) {}

}  // namespace reminder
