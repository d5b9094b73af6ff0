// The running clock and the alarm under Wine, as the machine and the user feel them.
//  --measure=cpu: the CPU time Tavrin takes per minute once MainWindow is up with both of its
//    timers ticking (时钟2 always, 时钟1 armed for hour 99, which never comes), against a
//    program whose two 100 ms timers do nothing, the two running side by side.
//  --measure=clock: from the system clock's second turning to MainWindow's label showing it,
//    and from the alarm's minute beginning to the reminder box being on the screen. The
//    label is watched while each alarm waits for its minute, the seconds around each box
//    left out, then on its own until enough seconds have been timed.
// Both start their programs with CreateProcess and find them by their windows.
// Usage: tavrin_clock_bench --tavrin=EXE --timers=EXE [--measure=cpu|clock|all]
//        [--cpu-seconds=60] [--label-seconds=120] [--alarms=3]
#include <windows.h>

#include <winternl.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "reminder/clock.h"

namespace {

constexpr wchar_t kBoxTitle[] = L"时间到了~";

HWND VisibleWindowOf(DWORD pid, const wchar_t* caption) {
  for (HWND h = GetTopWindow(nullptr); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    wchar_t text[64] = {};
    if (owner != pid || !IsWindowVisible(h)) continue;
    GetWindowTextW(h, text, 64);
    if (wcscmp(text, caption) == 0) return h;
  }
  return nullptr;
}

// The child of `parent` of that class whose top-left corner is at (x, y) of the client area.
HWND ChildAt(HWND parent, const wchar_t* window_class, int x, int y) {
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    wchar_t name[64] = {};
    GetClassNameW(c, name, 64);
    if (r.left == x && r.top == y && _wcsicmp(name, window_class) == 0) return c;
  }
  return nullptr;
}

// A program started for the run; closed (or ended) when the run is over.
class Process {
 public:
  explicit Process(const std::wstring& exe) {
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &info_)) {
      info_ = {};
    }
  }
  ~Process() {
    if (info_.hProcess == nullptr) return;
    for (HWND h = GetTopWindow(nullptr); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(h, &owner);
      if (owner == info_.dwProcessId && IsWindowVisible(h)) PostMessageW(h, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(info_.hProcess, 5000) != WAIT_OBJECT_0)
      TerminateProcess(info_.hProcess, 1);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }

 private:
  PROCESS_INFORMATION info_{};
};

// MainWindow's controls that the runs read and write, found where its layout puts them.
struct MainWindow {
  HWND window = nullptr, label = nullptr, hour = nullptr, minute = nullptr, arm = nullptr;
  bool found() const { return window && label && hour && minute && arm; }
};

MainWindow WaitForMainWindow(const Process& tavrin) {
  MainWindow m;
  const double deadline = bench::NowMs() + 20000;
  while (bench::NowMs() < deadline &&
         (m.window = VisibleWindowOf(tavrin.id(), L"Tavrin1.0")) == nullptr) {
    Sleep(20);
  }
  if (m.window == nullptr) return m;
  while (bench::NowMs() < deadline && VisibleWindowOf(tavrin.id(), L"") != nullptr) Sleep(20);
  m.label = ChildAt(m.window, L"TavrinLabel", 72, 8);
  m.hour = ChildAt(m.window, L"Edit", 72, 40);
  m.minute = ChildAt(m.window, L"Edit", 152, 40);
  m.arm = ChildAt(m.window, L"Button", 8, 208);
  Sleep(300);
  return m;
}

void SetText(HWND hwnd, const std::wstring& text) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(hwnd, WM_SETTEXT, 0, LPARAM(text.c_str()), SMTO_ABORTIFHUNG, 2000, &result);
}

void Click(HWND button) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
}

// --- CPU time --------------------------------------------------------------------------------

double FileTimeMs(const FILETIME& t) {
  return double((ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4;
}

// SYSTEM_PROCESS_INFORMATION as far as the times and the process id.
struct ListedProcess {
  ULONG next_entry_offset;
  ULONG thread_count;
  LARGE_INTEGER working_set_private_size;
  ULONG hard_fault_count;
  ULONG thread_count_high_watermark;
  ULONGLONG cycle_time;
  LARGE_INTEGER create_time, user_time, kernel_time;
  UNICODE_STRING image_name;
  LONG base_priority;
  HANDLE process_id;
};
static_assert(offsetof(ListedProcess, user_time) == 0x28 &&
                  offsetof(ListedProcess, process_id) == 0x50,
              "the x64 layout");

struct CpuMs {
  double by_process_times = 0;  // GetProcessTimes
  double by_process_list = 0;   // the system's process list
};

CpuMs CpuOf(const Process& p) {
  CpuMs cpu;
  FILETIME created, exited, kernel, user;
  if (GetProcessTimes(p.handle(), &created, &exited, &kernel, &user)) {
    cpu.by_process_times = FileTimeMs(kernel) + FileTimeMs(user);
  }
  constexpr NTSTATUS kLengthMismatch = NTSTATUS(0xC0000004L);
  std::vector<char> list(1 << 20);
  ULONG needed = 0;
  NTSTATUS status;
  while ((status = NtQuerySystemInformation(SystemProcessInformation, list.data(),
                                            ULONG(list.size()), &needed)) == kLengthMismatch) {
    list.resize(needed + 65536);
  }
  for (size_t at = 0; status == 0;) {
    const auto* entry = reinterpret_cast<const ListedProcess*>(list.data() + at);
    if (DWORD(ULONG_PTR(entry->process_id)) == p.id()) {
      cpu.by_process_list = double(entry->user_time.QuadPart + entry->kernel_time.QuadPart) / 1e4;
      break;
    }
    if (entry->next_entry_offset == 0) break;
    at += entry->next_entry_offset;
  }
  return cpu;
}

int MeasureCpu(const std::wstring& tavrin_exe, const std::wstring& timers_exe, int seconds) {
  Process tavrin(tavrin_exe), timers(timers_exe);
  const MainWindow main = WaitForMainWindow(tavrin);
  if (!main.found() || VisibleWindowOf(timers.id(), L"two timers") == nullptr) {
    std::fprintf(stderr, "MainWindow or the two-timer window did not come up\n");
    return 1;
  }
  SetText(main.hour, L"99");
  Click(main.arm);
  Sleep(2000);
  const CpuMs ours0 = CpuOf(tavrin), theirs0 = CpuOf(timers);
  const double start = bench::NowMs();
  Sleep(DWORD(seconds) * 1000);
  const CpuMs ours1 = CpuOf(tavrin), theirs1 = CpuOf(timers);
  const double per_minute = 60000 / (bench::NowMs() - start);

  // Wine's GetProcessTimes of another process lags far behind (it mostly gives the figures
  // of the process's start); its process list reads the host's own counters. On Windows the
  // two agree.
  const double by_times[2] = {ours1.by_process_times - ours0.by_process_times,
                              theirs1.by_process_times - theirs0.by_process_times};
  const double by_list[2] = {ours1.by_process_list - ours0.by_process_list,
                             theirs1.by_process_list - theirs0.by_process_list};
  auto lags = [&](int i) { return by_list[i] > 1.5 * by_times[i] + 20; };
  const bool times_lag = lags(0) || lags(1);
  const double* used = times_lag ? by_list : by_times;
  const double ours = used[0] * per_minute, theirs = used[1] * per_minute;
  const char* source =
      times_lag ? "the process list, GetProcessTimes lagging behind it" : "GetProcessTimes";
  std::printf(
      "CPU per minute over %d s side by side, both timers ticking: Tavrin %.1f ms, "
      "two idle 100 ms timers %.1f ms, ratio %.2f (user + kernel, from %s)\n",
      seconds, ours, theirs, theirs > 0 ? ours / theirs : 0, source);
  return 0;
}

// --- The label and the alarm -----------------------------------------------------------------

std::wstring LabelText(HWND label) {
  wchar_t text[64] = {};
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(label, WM_GETTEXT, 64, LPARAM(text), SMTO_ABORTIFHUNG, 2000, &got)) {
    return {};
  }
  return std::wstring(text, got < 64 ? got : 63);
}

// What the label should show for a reading, as the program formats it.
std::wstring ClockText(const SYSTEMTIME& t) {
  const std::string gbk =
      reminder::FormatDateTime({t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond});
  std::wstring wide(gbk.size(), L'\0');
  wide.resize(size_t(
      MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), wide.data(), int(wide.size()))));
  return wide;
}

bool SameSecond(const SYSTEMTIME& a, const SYSTEMTIME& b) {
  return a.wSecond == b.wSecond && a.wMinute == b.wMinute && a.wHour == b.wHour &&
         a.wDay == b.wDay && a.wMonth == b.wMonth && a.wYear == b.wYear;
}

// Times each turn of the clock's second until the label shows the new reading.
class LabelWatch {
 public:
  explicit LabelWatch(HWND label) : label_(label) {}

  // One look at the clock and, while a turn is being timed, at the label.
  void Poll() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const double t = bench::NowMs();
    if (!SameSecond(now, last_)) {
      if (timing_) ++missed_;  // the second went by without the label showing it
      // The first turn seen is the first whose moment is known.
      timing_ = seen_ && t >= resume_at_;
      seen_ = true;
      last_ = now;
      expected_ = ClockText(now);
      turned_at_ = t;
    }
    if (timing_ && LabelText(label_) == expected_) {
      latencies_.push_back(bench::NowMs() - turned_at_);
      timing_ = false;
    }
  }
  // Leaves out the turns before `ms` (on bench::NowMs's clock).
  void PauseUntil(double ms) {
    resume_at_ = ms;
    timing_ = false;
  }
  size_t timed() const { return latencies_.size() + size_t(missed_); }
  int missed() const { return missed_; }
  const std::vector<double>& latencies() const { return latencies_; }

 private:
  HWND label_;
  SYSTEMTIME last_{};
  bool seen_ = false;
  bool timing_ = false;
  double turned_at_ = 0;
  double resume_at_ = 0;
  std::wstring expected_;
  std::vector<double> latencies_;
  int missed_ = 0;
};

SYSTEMTIME SecondsLater(const SYSTEMTIME& t, int seconds) {
  FILETIME f;
  SystemTimeToFileTime(&t, &f);
  ULARGE_INTEGER u;
  u.LowPart = f.dwLowDateTime;
  u.HighPart = f.dwHighDateTime;
  u.QuadPart += ULONGLONG(seconds) * 10000000ULL;
  f.dwLowDateTime = u.LowPart;
  f.dwHighDateTime = u.HighPart;
  SYSTEMTIME later;
  FileTimeToSystemTime(&f, &later);
  return later;
}

double Worst(const std::vector<double>& v) {
  double worst = 0;
  for (double x : v) worst = x > worst ? x : worst;
  return worst;
}

int MeasureClock(const std::wstring& tavrin_exe, int label_seconds, int alarms) {
  Process tavrin(tavrin_exe);
  const MainWindow main = WaitForMainWindow(tavrin);
  if (!main.found()) {
    std::fprintf(stderr, "MainWindow did not come up\n");
    return 1;
  }
  LabelWatch watch(main.label);
  std::vector<double> box_after;
  for (int i = 0; i < alarms; ++i) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    // Armed a few seconds ahead at least, so that its minute surely begins after.
    const SYSTEMTIME target = SecondsLater(now, now.wSecond >= 55 ? 120 : 60);
    SetText(main.hour, std::to_wstring(target.wHour));
    SetText(main.minute, std::to_wstring(target.wMinute));
    Click(main.arm);
    for (;;) {
      GetLocalTime(&now);
      if (now.wHour == target.wHour && now.wMinute == target.wMinute) break;
      watch.Poll();
      Sleep(1);
    }
    const double began = bench::NowMs();
    watch.PauseUntil(1e300);
    HWND box = nullptr;
    while ((box = VisibleWindowOf(tavrin.id(), kBoxTitle)) == nullptr &&
           bench::NowMs() < began + 10000) {
      Sleep(1);
    }
    if (box == nullptr) {
      std::fprintf(stderr, "alarm %d: no box within 10 s of its minute\n", i + 1);
      continue;
    }
    box_after.push_back(bench::NowMs() - began);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    const double deadline = bench::NowMs() + 5000;
    while (VisibleWindowOf(tavrin.id(), kBoxTitle) != nullptr && bench::NowMs() < deadline) {
      Sleep(5);
    }
    watch.PauseUntil(bench::NowMs() + 1000);
  }
  const double deadline = bench::NowMs() + 2000.0 * label_seconds + 10000;
  while (watch.timed() < size_t(label_seconds) && bench::NowMs() < deadline) {
    watch.Poll();
    Sleep(1);
  }

  std::printf(
      "label showing the new second after the clock's turns: median %.1f ms, worst %.1f ms "
      "over %zu seconds, %d never shown within their second (the 100 ms timer keeps one phase "
      "against the second for a run, so medians of runs spread from 0 to 100 ms)\n",
      bench::Median(watch.latencies()), Worst(watch.latencies()), watch.timed(), watch.missed());
  std::printf(
      "reminder box on the screen after its minute begins: median %.1f ms, worst %.1f ms "
      "(%zu of %d alarms)\n",
      bench::Median(box_after), Worst(box_after), box_after.size(), alarms);
  return watch.latencies().empty() || box_after.empty() ? 1 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring tavrin, timers, measure = L"all";
  int cpu_seconds = 60, label_seconds = 120, alarms = 3;
  for (int i = 1; i < argc; ++i) {
    const std::wstring a = argv[i];
    auto text = [&](const wchar_t* name, std::wstring* out) {
      if (a.rfind(name, 0) == 0) *out = a.substr(wcslen(name));
    };
    auto number = [&](const wchar_t* name, int* out) {
      if (a.rfind(name, 0) == 0) *out = _wtoi(a.c_str() + wcslen(name));
    };
    text(L"--tavrin=", &tavrin);
    text(L"--timers=", &timers);
    text(L"--measure=", &measure);
    number(L"--cpu-seconds=", &cpu_seconds);
    number(L"--label-seconds=", &label_seconds);
    number(L"--alarms=", &alarms);
  }
  if (tavrin.empty() || (measure != L"clock" && timers.empty())) {
    std::fprintf(stderr,
                 "usage: tavrin_clock_bench --tavrin=EXE --timers=EXE [--measure=cpu|clock|all] "
                 "[--cpu-seconds=60] [--label-seconds=120] [--alarms=3]\n");
    return 2;
  }
  int failed = 0;
  if (measure == L"cpu" || measure == L"all") failed |= MeasureCpu(tavrin, timers, cpu_seconds);
  if (measure == L"clock" || measure == L"all") {
    failed |= MeasureClock(tavrin, label_seconds, alarms);
  }
  return failed;
}
