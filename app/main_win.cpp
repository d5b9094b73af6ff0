#include <windows.h>

#include "app/handlers.h"
#include "app/shell.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const int code = app::StartRoutine(app::HandlerTable());
  app::FinishProgram();
  return code;
}
