// The shell's rules seen from inside the program: each scenario runs the real start
// routine in a child process of its own (the ends of the program end that process), and
// reports what it saw into a file that the test then reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/globals.h"
#include "app/handlers.h"
#include "app/shell.h"
#include "child_process.h"
#include "reminder/handlers.h"
#include "toolkit/win/toolkit.h"

using testing_support::ChildProcess;

namespace {

// --- Inside the child --------------------------------------------------------------------

struct Observations {
  std::wstring report_path;
  std::string scenario;
  DWORD start_ms = 0;
  bool globals_empty_at_start = false;
  bool pending_when_splash_shown = false;
  bool splash_shown = false;
  bool main_created_handler_ran = false;
  bool created_ran_before_main_shown = false;
  bool splash_live_when_main_shown = false;
  long main_shown_after_ms = -1;
  bool main_ever_live = false;
  bool acted = false;
};
Observations g_seen;

void Write(const std::map<std::string, std::string>& values) {
  std::string text;
  for (const auto& [k, v] : values) text += k + "=" + v + "\n";
  HANDLE file = CreateFileW(g_seen.report_path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            0, nullptr);
  DWORD written = 0;
  WriteFile(file, text.data(), DWORD(text.size()), &written, nullptr);
  CloseHandle(file);
}

bool CurrentFolderIsExeFolder() {
  wchar_t cwd[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, cwd);
  return _wcsicmp(cwd, testing_support::FolderOf(testing_support::ThisExe()).c_str()) == 0;
}

// Runs where the sound would be stopped: after the exit routine, on both ends.
void ReportAtTheEnd() {
  const Observations& s = g_seen;
  auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
  Write({{"exit_runs", std::to_string(app::ExitRoutineRuns())},
         {"globals_empty_at_start", flag(s.globals_empty_at_start)},
         {"globals_empty_at_end", flag(app::SoundFilePath.empty() && app::MessageText.empty())},
         {"pending_when_splash_shown", flag(s.pending_when_splash_shown)},
         {"created_ran_before_main_shown", flag(s.created_ran_before_main_shown)},
         {"splash_live_when_main_shown", flag(s.splash_live_when_main_shown)},
         {"main_shown_after_ms", std::to_string(s.main_shown_after_ms)},
         {"main_ever_live", flag(s.main_ever_live)},
         {"main_live_at_end", flag(tk::FindLiveWindow("MainWindow") != nullptr)},
         {"loop_started", flag(tk::LoopStarted())},
         {"cwd_is_exe_folder", flag(CurrentFolderIsExeFolder())}});
}

void RecordingMainWindowCreated(tk::Window& w) {
  g_seen.main_created_handler_ran = true;
  reminder::MainWindowCreated(w);
}

// Sees each window's first WM_SHOWWINDOW, i.e. the moment it is shown.
LRESULT CALLBACK WatchShows(int code, WPARAM wp, LPARAM lp) {
  const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && msg->message == WM_SHOWWINDOW && msg->wParam) {
    tk::Window* splash = tk::FindLiveWindow("SplashWindow");
    tk::Window* main = tk::FindLiveWindow("MainWindow");
    if (splash != nullptr && msg->hwnd == splash->hwnd() && !g_seen.splash_shown) {
      g_seen.splash_shown = true;
      g_seen.pending_when_splash_shown = app::DelayedCallPending();
    }
    if (main != nullptr && msg->hwnd == main->hwnd() && g_seen.main_shown_after_ms < 0) {
      g_seen.main_shown_after_ms = long(GetTickCount() - g_seen.start_ms);
      g_seen.created_ran_before_main_shown = g_seen.main_created_handler_ran;
      g_seen.splash_live_when_main_shown = splash != nullptr;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Refuses MainWindow's creation, as a failing CreateWindowEx would.
LRESULT CALLBACK RefuseMainWindow(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND) {
    const auto* create = reinterpret_cast<const CBT_CREATEWNDW*>(lp)->lpcs;
    if (create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName) &&
        std::wstring(create->lpszName) == L"Tavrin1.0") {
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}

// Acts once the scenario's moment has come; polled by a thread timer.
void CALLBACK Act(HWND, UINT, UINT_PTR, DWORD) {
  tk::Window* main = tk::FindLiveWindow("MainWindow");
  tk::Window* splash = tk::FindLiveWindow("SplashWindow");
  if (main != nullptr) g_seen.main_ever_live = true;
  if (g_seen.acted) return;
  const std::string& s = g_seen.scenario;
  const DWORD elapsed = GetTickCount() - g_seen.start_ms;
  if (s == "esc-splash" && splash != nullptr && elapsed > 300) {
    g_seen.acted = true;
    app::SoundFilePath = "C:\\\xb8\xe8\\x.mp3";  // something for the exit routine to release
    app::MessageText = "x";
    PostMessageW(splash->hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
  }
  if (main != nullptr && splash == nullptr) {
    if (s == "close-button") {
      g_seen.acted = true;
      app::SoundFilePath = "C:\\a.mp3";
      if (auto* close = main->Find<tk::Button>("按钮3")) SendMessageW(close->hwnd(), BM_CLICK, 0, 0);
    } else if (s == "close-box") {
      g_seen.acted = true;
      PostMessageW(main->hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    } else if (s == "esc-main") {
      g_seen.acted = true;
      auto* memo = main->Find<tk::EditBox>("编辑框2");
      SetFocus(memo->hwnd());
      PostMessageW(memo->hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    }
  }
}

int RunScenario(const std::string& scenario) {
  // The program's own table must bind every handler name its layouts use.
  if (scenario == "handlers") return tk::Initialise(app::HandlerTable()) ? 0 : 1;
  g_seen.scenario = scenario;
  g_seen.start_ms = GetTickCount();
  g_seen.globals_empty_at_start = app::SoundFilePath.empty() && app::MessageText.empty();
  app::SetSoundStopper(ReportAtTheEnd);
  SetWindowsHookExW(WH_CALLWNDPROC, WatchShows, nullptr, GetCurrentThreadId());
  if (scenario == "main-fails") {
    SetWindowsHookExW(WH_CBT, RefuseMainWindow, nullptr, GetCurrentThreadId());
  }
  SetTimer(nullptr, 0, 20, Act);

  std::vector<tk::HandlerEntry> handlers(app::HandlerTable().begin(), app::HandlerTable().end());
  for (auto& h : handlers) {
    if (h.name == "MainWindowCreated") h.handler = RecordingMainWindowCreated;
  }
  // What the program's wWinMain does.
  const int code = app::StartRoutine(handlers);
  app::FinishProgram();
  return code;
}

// --- The tests ---------------------------------------------------------------------------

std::map<std::string, std::string> RunChild(const std::string& scenario, DWORD* exit_code) {
  const std::wstring folder = testing_support::TempFolder(L"shell");
  const std::wstring report = folder + L"\\" + std::wstring(scenario.begin(), scenario.end());
  DeleteFileW(report.c_str());
  ChildProcess child(testing_support::ThisExe(),
                     L"--scenario=" + std::wstring(scenario.begin(), scenario.end()) +
                         L" --report=\"" + report + L"\"",
                     folder);  // started from a folder that is not the program's
  EXPECT_TRUE(child.started());
  const auto code = child.Wait(20000);
  EXPECT_TRUE(code.has_value()) << scenario << " did not end by itself";
  *exit_code = code.value_or(12345);
  std::map<std::string, std::string> values;
  std::istringstream lines(testing_support::ReadWholeFile(report));
  for (std::string line; std::getline(lines, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  EXPECT_FALSE(values.empty()) << scenario << " wrote no report";
  return values;
}

TEST(ProgramStart, EveryHandlerTheLayoutsNameIsBound) {
  ChildProcess child(testing_support::ThisExe(), L"--scenario=handlers");
  EXPECT_EQ(child.Wait(20000), std::optional<DWORD>(0));
}

TEST(ProgramEnds, EscOnTheSplashEndsBeforeMainWindowAppears) {
  DWORD code = 0;
  auto seen = RunChild("esc-splash", &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(seen["exit_runs"], "1");
  EXPECT_EQ(seen["globals_empty_at_start"], "1");
  EXPECT_EQ(seen["globals_empty_at_end"], "1");
  EXPECT_EQ(seen["pending_when_splash_shown"], "1");
  EXPECT_EQ(seen["main_ever_live"], "0");
  EXPECT_EQ(seen["main_shown_after_ms"], "-1");
  EXPECT_EQ(seen["cwd_is_exe_folder"], "1");
}

TEST(ProgramEnds, CloseButtonEndsAtOnceWithTheWindowsStillThere) {
  DWORD code = 1;
  auto seen = RunChild("close-button", &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(seen["exit_runs"], "1");
  EXPECT_EQ(seen["globals_empty_at_end"], "1");
  EXPECT_EQ(seen["main_live_at_end"], "1");  // no window was closed first
}

struct NormalEnd {
  const char* scenario;
};

class MainWindowClosed : public testing::TestWithParam<NormalEnd> {};

TEST_P(MainWindowClosed, EndsTheLoopAndTheProgramWithCodeZero) {
  DWORD code = 1;
  auto seen = RunChild(GetParam().scenario, &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(seen["exit_runs"], "1");
  EXPECT_EQ(seen["main_live_at_end"], "0");
  EXPECT_EQ(seen["created_ran_before_main_shown"], "1");
  EXPECT_EQ(seen["splash_live_when_main_shown"], "1");  // both on screen for a moment
  EXPECT_EQ(seen["pending_when_splash_shown"], "1");
  const long shown_after = std::stol(seen["main_shown_after_ms"]);
  EXPECT_GE(shown_after, 2950);  // the splash's three seconds, counted from its creation
  EXPECT_LT(shown_after, 8000);
}

INSTANTIATE_TEST_SUITE_P(ByCloseBoxAndEsc, MainWindowClosed,
                         testing::Values(NormalEnd{"close-box"}, NormalEnd{"esc-main"}),
                         [](const auto& info) {
                           std::string n = info.param.scenario;
                           for (char& c : n) c = c == '-' ? '_' : c;
                           return n;
                         });

TEST(ProgramEnds, MainWindowThatCannotBeCreatedEndsTheProgramNormally) {
  DWORD code = 1;
  auto seen = RunChild("main-fails", &code);
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(seen["exit_runs"], "1");
  EXPECT_EQ(seen["main_ever_live"], "0");
  EXPECT_EQ(seen["loop_started"], "1");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string scenario;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"--scenario=", 0) == 0) scenario.assign(arg.begin() + 11, arg.end());
    if (arg.rfind(L"--report=", 0) == 0) g_seen.report_path = arg.substr(9);
  }
  if (!scenario.empty()) return RunScenario(scenario);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
