// MainWindow's handlers for the clock, the alarm and the choice of sound. The layout
// binds them by name.
#pragma once

#include "toolkit/win/window.h"

namespace reminder {

// MainWindow created, before it is first shown.
void MainWindowCreated(tk::Window& main_window);
// "开始定时" clicked: arms the alarm.
void ArmClicked(tk::Window& main_window);
// 时钟2: the clock display.
void ClockTick(tk::Window& main_window);
// 时钟1: the alarm check.
void AlarmTick(tk::Window& main_window);
// "选择音乐" clicked: the choice of sound file.
void ChooseSoundClicked(tk::Window& main_window);

}  // namespace reminder
