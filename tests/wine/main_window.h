// What the tests driving Tavrin.exe from outside know of it: where the exe is, how one
// run of it is started, and where MainWindow's controls are.
#pragma once

#include <windows.h>

#include <string>

#include "child_process.h"
#include "screen.h"

namespace testing_support {

// The Tavrin.exe under test (from --exe=).
extern std::wstring g_exe;
// The folder of the MP3 fixtures made by the native build (from --fixtures=).
extern std::wstring g_fixtures;
// Where screenshots are kept for a person to look at (from --shots=); empty: nowhere.
extern std::wstring g_shots;

inline void SaveShot(const Shot& shot, const std::wstring& name) {
  if (!g_shots.empty()) SaveBmp(shot, g_shots + L"\\" + name + L".bmp");
}

struct ControlPlace {
  const wchar_t* window_class;
  const wchar_t* text;
  RECT rect;  // left, top, right, bottom in MainWindow's client area
};
// Every visible control, in the tab order where it is a tab stop.
inline const ControlPlace kButton1{L"Button", L"开始定时", {8, 208, 88, 240}};
inline const ControlPlace kMemo{L"Edit", L"", {72, 72, 224, 144}};
inline const ControlPlace kHour{L"Edit", L"", {72, 40, 128, 64}};
inline const ControlPlace kMinute{L"Edit", L"", {152, 40, 200, 64}};
inline const ControlPlace kButton2{L"Button", L"选择音乐", {8, 168, 80, 200}};
inline const ControlPlace kSoundName{L"Edit", L"", {88, 168, 224, 200}};
inline const ControlPlace kPlayMusic{L"Button", L"是否播放音乐", {0, 144, 96, 168}};
inline const ControlPlace kButton3{L"Button", L"关闭", {112, 208, 208, 240}};
inline const ControlPlace* const kTabOrder[] = {&kButton1, &kMemo,      &kHour,      &kMinute,
                                                &kButton2, &kSoundName, &kPlayMusic, &kButton3};
inline const ControlPlace kLabels[] = {
    {L"TavrinLabel", L"电脑时间：", {8, 8, 72, 40}},
    {L"TavrinLabel", L"", {72, 8, 224, 32}},
    {L"TavrinLabel", L"定时时间：", {8, 40, 72, 72}},
    {L"TavrinLabel", L"提醒内容：", {8, 72, 72, 104}},
    {L"TavrinLabel", L"时", {136, 40, 152, 64}},
    {L"TavrinLabel", L"分", {208, 40, 224, 64}},
};

// The clock: its text changes every second, so it is found by class and place alone.
inline const ControlPlace& kClockLabel = kLabels[1];

inline bool IsControlAt(HWND c, const ControlPlace& want) {
  const RECT r = RectInParent(c);
  return _wcsicmp(ClassOf(c).c_str(), want.window_class) == 0 && r.left == want.rect.left &&
         r.top == want.rect.top && r.right == want.rect.right && r.bottom == want.rect.bottom;
}

inline HWND FindControl(HWND main, const ControlPlace& want) {
  for (HWND c = GetWindow(main, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsControlAt(c, want) && TextOf(c) == want.text) return c;
  }
  return nullptr;
}

// The same, whatever the control's text is now.
inline HWND FindControlAt(HWND main, const ControlPlace& want) {
  for (HWND c = GetWindow(main, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (IsControlAt(c, want)) return c;
  }
  return nullptr;
}

// One run of the program, started from a folder that is not its own.
class Program {
 public:
  Program() : folder_(TempFolder(L"elsewhere")), child_(g_exe, L"", folder_) {}
  ChildProcess& process() { return child_; }

  HWND WaitForSplash() {
    HWND splash = nullptr;
    WaitFor([&] { return (splash = FindProcessWindow(child_.id(), L"")) != nullptr; }, 15000);
    return splash;
  }
  HWND WaitForMain(DWORD timeout = 15000) {
    HWND main = nullptr;
    WaitFor([&] { return (main = FindProcessWindow(child_.id(), L"Tavrin1.0")) != nullptr; },
            timeout);
    return main;
  }
  // MainWindow, alone, painted and in front, ready for keys.
  HWND ReadyMain() {
    HWND main = WaitForMain();
    if (main == nullptr) return nullptr;
    WaitFor([&] { return FindProcessWindow(child_.id(), L"") == nullptr; }, 3000);
    SetForegroundWindow(main);
    WaitFor([&] { return GetForegroundWindow() == main; }, 2000);
    Sleep(200);
    return main;
  }

 private:
  std::wstring folder_;
  ChildProcess child_;
};

}  // namespace testing_support
