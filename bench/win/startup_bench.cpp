// Start-up as a user sees it: from CreateProcess until the window's pixels are on the
// screen. Measures Tavrin (start to SplashWindow painted, and the switch: SplashWindow
// painted to MainWindow painted, less the three seconds of the splash) against a minimal
// Win32 program (start to its window painted), alternating the two in one run.
// Usage: tavrin_startup_bench --tavrin=EXE --minimal=EXE [--runs=N]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"

namespace {

struct Timing {
  double painted = -1;  // ms from CreateProcess to the first window painted
  double switched = -1;
};

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

HWND VisibleWindowOf(DWORD pid, const wchar_t* caption) {
  HWND found = nullptr;
  for (HWND h = GetTopWindow(nullptr); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    wchar_t text[64] = {};
    GetWindowTextW(h, text, 64);
    if (owner == pid && IsWindowVisible(h) && wcscmp(text, caption) == 0) found = h;
  }
  return found;
}

// Waits until `hwnd`'s pixel at (dx, dy) from its top-left is neither the desktop's
// colour nor the face colour (or is exactly `want` when given).
bool WaitPainted(HWND hwnd, int dx, int dy, COLORREF desktop, COLORREF want, double deadline) {
  RECT r;
  while (bench::NowMs() < deadline) {
    GetWindowRect(hwnd, &r);
    const COLORREF c = ScreenPixel(r.left + dx, r.top + dy);
    if (want != CLR_INVALID ? c == want : (c != desktop && c != GetSysColor(COLOR_BTNFACE))) {
      return true;
    }
  }
  return false;
}

Timing Run(const std::wstring& exe, bool tavrin) {
  const COLORREF desktop = ScreenPixel(GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2);
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  Timing t;
  const double start = bench::NowMs();
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    return t;
  }
  const double deadline = start + 15000;
  HWND first = nullptr;
  while (bench::NowMs() < deadline &&
         (first = VisibleWindowOf(pi.dwProcessId, tavrin ? L"" : L"minimal")) == nullptr) {
  }
  // The splash's middle shows the picture; the minimal window's is white.
  if (first != nullptr &&
      WaitPainted(first, 142, 106, desktop, tavrin ? CLR_INVALID : RGB(255, 255, 255), deadline)) {
    t.painted = bench::NowMs() - start;
  }
  if (tavrin && t.painted >= 0) {
    HWND main = nullptr;
    while (bench::NowMs() < deadline &&
           (main = VisibleWindowOf(pi.dwProcessId, L"Tavrin1.0")) == nullptr) {
    }
    // The memo box's face is white once MainWindow has painted its controls.
    const int frame = GetSystemMetrics(SM_CXFIXEDFRAME);
    const int top = frame + GetSystemMetrics(SM_CYCAPTION);
    if (main != nullptr &&
        WaitPainted(main, frame + 150, top + 110, desktop, RGB(255, 255, 255), deadline)) {
      t.switched = bench::NowMs() - start - t.painted - 3000;
    }
    if (main != nullptr) PostMessageW(main, WM_CLOSE, 0, 0);
  } else if (first != nullptr) {
    PostMessageW(first, WM_KEYDOWN, VK_ESCAPE, 0);
  }
  if (WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  Sleep(200);
  return t;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring tavrin, minimal;
  int runs = 10;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = argv[i];
    if (a.rfind(L"--tavrin=", 0) == 0) tavrin = a.substr(9);
    if (a.rfind(L"--minimal=", 0) == 0) minimal = a.substr(10);
    if (a.rfind(L"--runs=", 0) == 0) runs = _wtoi(a.c_str() + 7);
  }
  std::vector<double> ours, theirs, switches;
  for (int i = 0; i < runs; ++i) {
    const Timing m = Run(minimal, false);
    const Timing t = Run(tavrin, true);
    if (m.painted >= 0) theirs.push_back(m.painted);
    if (t.painted >= 0) ours.push_back(t.painted);
    if (t.switched >= 0) switches.push_back(t.switched);
  }
  const double a = bench::Median(ours), b = bench::Median(theirs), s = bench::Median(switches);
  std::printf("start to window painted, median of %d: Tavrin splash %.1f ms, minimal window %.1f ms, ratio %.2f\n",
              runs, a, b, b > 0 ? a / b : 0);
  std::printf("switch to MainWindow painted (after the 3000 ms), median of %zu: %.1f ms, %.2f x the minimal start\n",
              switches.size(), s, b > 0 ? s / b : 0);
  return ours.empty() || theirs.empty() ? 1 : 0;
}
