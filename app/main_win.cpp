#include <windows.h>

#include "app/handlers.h"
#include "app/shell.h"
#include "reminder/play_mp3.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  app::SetSoundStopper(reminder::StopSound);
  const int code = app::StartRoutine(app::HandlerTable());
  app::FinishProgram();
  return code;
}
