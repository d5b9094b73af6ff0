#include "reminder/handlers.h"

// The clock, the alarm and the choice of sound are built on these entry points; until
// then MainWindow shows its layout as created, its timers stay stopped and the two
// buttons do nothing.

namespace reminder {

void MainWindowCreated(tk::Window&) {}
void ArmClicked(tk::Window&) {}
void ClockTick(tk::Window&) {}
void AlarmTick(tk::Window&) {}
void ChooseSoundClicked(tk::Window&) {}

}  // namespace reminder
