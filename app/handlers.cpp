#include "app/handlers.h"

#include <cstdint>

#include "app/shell.h"
#include "reminder/handlers.h"

namespace app {

constexpr int32_t kSplashMilliseconds = 3000;

void SplashWindowCreated(tk::Window&) { RequestDelayedCall(kSplashMilliseconds, SwitchToMainWindow); }

void SwitchToMainWindow() {
  tk::LoadWindow("MainWindow");
  if (tk::Window* splash = tk::FindLiveWindow("SplashWindow")) tk::DestroyWindowLater(*splash);
}

void CloseClicked(tk::Window&) { EndProgram(0); }

std::span<const tk::HandlerEntry> HandlerTable() {
  static const tk::HandlerEntry kTable[] = {
      {"SplashWindowCreated", SplashWindowCreated},
      {"CloseClicked", CloseClicked},
      {"MainWindowCreated", reminder::MainWindowCreated},
      {"ArmClicked", reminder::ArmClicked},
      {"ClockTick", reminder::ClockTick},
      {"AlarmTick", reminder::AlarmTick},
      {"ChooseSoundClicked", reminder::ChooseSoundClicked},
  };
  return kTable;
}

}  // namespace app
