// The flat look's cost under Wine, against the same MainWindow unstyled in the same run:
// the time to redraw one button, and the CPU the process spends while the pointer sweeps
// back and forth across the four buttons for 10 s.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/win/inert_handlers.h"
#include "toolkit/win/toolkit.h"
#include "ui/visual_style.h"

namespace {

void Pump(double ms) {
  const double end = bench::NowMs() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) tk::ProcessMessage(msg);
    const double left = end - bench::NowMs();
    if (left <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left) + 1, QS_ALLINPUT);
  }
}

double CpuMs() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ms = [](FILETIME t) {
    return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
  };
  return ms(kernel) + ms(user);
}

// Median time of one full repaint of `button`, in batches of 50.
double RedrawMs(HWND button) {
  std::vector<double> per;
  for (int batch = 0; batch < 40; ++batch) {
    const double start = bench::NowMs();
    for (int i = 0; i < 50; ++i) {
      RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    }
    GdiFlush();
    per.push_back((bench::NowMs() - start) / 50);
  }
  return bench::Median(per);
}

// The pointer moved 4 px every 10 ms along a line through the four buttons' centres,
// back and forth, messages handled meanwhile; the process's CPU time over it.
double SweepCpuMs(const std::vector<POINT>& stops, double seconds) {
  std::vector<POINT> path;
  for (size_t i = 0; i + 1 < stops.size(); ++i) {
    const POINT a = stops[i], b = stops[i + 1];
    const int steps = std::max(1L, std::max(labs(b.x - a.x), labs(b.y - a.y)) / 4);
    for (int s = 0; s < steps; ++s) {
      path.push_back({a.x + (b.x - a.x) * s / steps, a.y + (b.y - a.y) * s / steps});
    }
  }
  for (size_t i = path.size(); i-- > 0;) path.push_back(path[i]);
  const double cpu = CpuMs();
  const double end = bench::NowMs() + seconds * 1000;
  for (size_t i = 0; bench::NowMs() < end; i = (i + 1) % path.size()) {
    SetCursorPos(path[i].x, path[i].y);
    Pump(10);
  }
  return CpuMs() - cpu;
}

POINT CentreOf(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

int wmain() {
  if (!tk::Initialise(bench::kInertHandlers)) return 1;
  tk::Window* main = tk::LoadWindow("MainWindow");
  if (main == nullptr) return 1;
  SetForegroundWindow(main->hwnd());
  HWND arm = main->Find<tk::Button>("按钮1")->hwnd();
  const std::vector<POINT> stops = {CentreOf(main->Find<tk::CheckBox>("选择框1")->hwnd()),
                                    CentreOf(main->Find<tk::Button>("按钮2")->hwnd()),
                                    CentreOf(arm),
                                    CentreOf(main->Find<tk::Button>("按钮3")->hwnd())};
  Pump(500);

  const double plain_redraw = RedrawMs(arm);
  const double plain_cpu = SweepCpuMs(stops, 10);
  ui::ApplyVisualStyle(3);
  Pump(200);
  const double styled_redraw = RedrawMs(arm);
  const double styled_cpu = SweepCpuMs(stops, 10);

  std::printf("one 80 x 32 button redrawn (median of 2000): unstyled %.3f ms, styled %.3f ms (x%.2f)\n",
              plain_redraw, styled_redraw, styled_redraw / plain_redraw);
  std::printf("pointer sweeping the four buttons for 10 s, CPU: unstyled %.0f ms, styled %.0f ms (x%.2f)\n",
              plain_cpu, styled_cpu, styled_cpu / plain_cpu);
  DestroyWindow(main->hwnd());
  return 0;
}
