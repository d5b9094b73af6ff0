// The yardstick for the running clock's CPU time: the least a Win32 program does to keep a
// window of MainWindow's size on the screen with two 100 ms timers that do nothing.
// WM_CLOSE ends it.
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER) return 0;
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"TwoTimers";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowW(L"TwoTimers", L"two timers", WS_CAPTION | WS_SYSMENU, 0, 0, 231, 275,
                            nullptr, nullptr, instance, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetTimer(hwnd, 1, 100, nullptr);
  SetTimer(hwnd, 2, 100, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
