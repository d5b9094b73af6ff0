// The handlers the shell attaches to its windows, and the table that binds every handler
// name the layouts use to its function.
#pragma once

#include <span>

#include "toolkit/win/toolkit.h"

namespace app {

// SplashWindow created: the splash stays for three seconds from here.
void SplashWindowCreated(tk::Window& splash);
// Loads MainWindow, then asks for SplashWindow's destruction, in that order, so that a
// live window remains when the splash goes.
void SwitchToMainWindow();
// "关闭": ends the program at once.
void CloseClicked(tk::Window& main_window);

std::span<const tk::HandlerEntry> HandlerTable();

}  // namespace app
