// The toolkit against the real window system: windows built from the shipped layouts,
// their controls' run-time properties, timers and picture boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/geometry.h"
#include "toolkit/win/handles.h"
#include "toolkit/win/text.h"
#include "toolkit/win/toolkit.h"

namespace {

int g_clock_ticks = 0;
int g_alarm_ticks = 0;
int g_clicks = 0;

void Nothing(tk::Window&) {}
void CountClock(tk::Window&) { ++g_clock_ticks; }
void CountAlarm(tk::Window&) { ++g_alarm_ticks; }
void CountClick(tk::Window&) { ++g_clicks; }

// The layouts' handler names, bound to recorders instead of the program's behaviour.
const tk::HandlerEntry kHandlers[] = {
    {"SplashWindowCreated", Nothing}, {"MainWindowCreated", Nothing},
    {"CloseClicked", CountClick},     {"ArmClicked", CountClick},
    {"ChooseSoundClicked", CountClick}, {"ClockTick", CountClock},
    {"AlarmTick", CountAlarm},
};

void Pump(DWORD ms) {
  const DWORD end = GetTickCount() + ms;
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) tk::ProcessMessage(msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  } while (LONG(end - GetTickCount()) > 0);
}

class Toolkit : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(tk::Initialise(kHandlers)); }
  void TearDown() override {
    for (const char* name : {"MainWindow", "SplashWindow", "TestWindow"}) {
      if (tk::Window* w = tk::FindLiveWindow(name)) DestroyWindow(w->hwnd());
    }
    EXPECT_EQ(tk::LiveWindowCount(), 0u);
  }
};

RECT ChildRect(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

TEST_F(Toolkit, CurrentFolderIsTheExecutablesFolder) {
  wchar_t exe[MAX_PATH], cwd[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  GetCurrentDirectoryW(MAX_PATH, cwd);
  std::wstring folder(exe);
  folder.resize(folder.find_last_of(L'\\'));
  EXPECT_EQ(_wcsicmp(folder.c_str(), cwd), 0);
}

TEST_F(Toolkit, MainWindowIsBuiltAsLaidOut) {
  tk::Window* w = tk::LoadWindow("MainWindow");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(tk::LoadWindow("MainWindow"), nullptr);  // at most once at a time
  const HWND hwnd = w->hwnd();
  RECT outer;
  GetWindowRect(hwnd, &outer);
  const tk::Point at = tk::CentreOnScreen(GetSystemMetrics(SM_CXSCREEN),
                                          GetSystemMetrics(SM_CYSCREEN), 231, 275);
  EXPECT_EQ(outer.left, at.x);
  EXPECT_EQ(outer.top, at.y);
  EXPECT_EQ(outer.right - outer.left, 231);
  EXPECT_EQ(outer.bottom - outer.top, 275);
  EXPECT_TRUE(IsWindowVisible(hwnd));

  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  wchar_t caption[64] = {};
  GetWindowTextW(hwnd, caption, 64);
  EXPECT_STREQ(caption, L"Tavrin1.0");
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0), 0);
  EXPECT_EQ(GetClassLongPtrW(hwnd, GCLP_HCURSOR), LONG_PTR(LoadCursorW(nullptr, IDC_ARROW)));

  const HGDIOBJ gui_font = GetStockObject(DEFAULT_GUI_FONT);
  const tk::WindowLayout& layout = w->layout();
  int windowed = 0;
  for (const tk::ControlLayout& c : layout.controls) {
    SCOPED_TRACE(c.name);
    tk::Control* control = w->Find<tk::Control>(c.name);
    ASSERT_NE(control, nullptr);
    if (!tk::IsWindowedKind(c.kind)) {
      EXPECT_EQ(control->hwnd(), nullptr);  // timers and the dialog never appear
      continue;
    }
    ++windowed;
    const RECT r = ChildRect(control->hwnd());
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    EXPECT_EQ(r.right - r.left, c.width);
    EXPECT_GE(r.bottom - r.top, c.height);  // one-line edit boxes may be made taller
    EXPECT_TRUE(IsWindowVisible(control->hwnd()));
    EXPECT_EQ(tk::Narrow([&] {
                wchar_t text[64] = {};
                GetWindowTextW(control->hwnd(), text, 64);
                return std::wstring(text);
              }()),
              c.text);
    if (c.kind != tk::ControlKind::kLabel) {
      EXPECT_EQ(HGDIOBJ(SendMessageW(control->hwnd(), WM_GETFONT, 0, 0)), gui_font);
      EXPECT_EQ(bool(GetWindowLongW(control->hwnd(), GWL_STYLE) & WS_TABSTOP), c.tab_stop);
    }
  }
  EXPECT_EQ(windowed, 14);

  // Stacking: the first stored control on top, the last stored at the bottom.
  EXPECT_EQ(GetWindow(hwnd, GW_CHILD), w->Find<tk::Control>("按钮3")->hwnd());
  EXPECT_EQ(GetWindow(GetWindow(hwnd, GW_CHILD), GW_HWNDLAST), w->Find<tk::Control>("按钮1")->hwnd());

  // The standard arrow everywhere: an edit box asked for its pointer shows no I-beam.
  const HWND hour = w->Find<tk::EditBox>("编辑框1")->hwnd();
  SetCursor(nullptr);
  SendMessageW(hour, WM_SETCURSOR, WPARAM(hour), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));

  EXPECT_TRUE(w->Find<tk::CheckBox>("选择框1")->ticked());
  const HWND memo = w->Find<tk::EditBox>("编辑框2")->hwnd();
  const LONG memo_style = GetWindowLongW(memo, GWL_STYLE);
  EXPECT_TRUE(memo_style & ES_MULTILINE);
  EXPECT_TRUE(memo_style & ES_WANTRETURN);
  EXPECT_FALSE(memo_style & (ES_AUTOHSCROLL | WS_HSCROLL | WS_VSCROLL));
  EXPECT_TRUE(GetWindowLongW(w->Find<tk::EditBox>("编辑框1")->hwnd(), GWL_STYLE) & ES_AUTOHSCROLL);
  EXPECT_TRUE(GetWindowLongW(w->Find<tk::EditBox>("编辑框1")->hwnd(), GWL_EXSTYLE) &
              WS_EX_CLIENTEDGE);
  EXPECT_TRUE(GetWindowLongW(w->Find<tk::Label>("标签_电脑时间")->hwnd(), GWL_EXSTYLE) &
              WS_EX_STATICEDGE);
  EXPECT_FALSE(GetWindowLongW(w->Find<tk::Label>("标签1")->hwnd(), GWL_EXSTYLE) &
               WS_EX_STATICEDGE);
}

TEST_F(Toolkit, PropertiesReadBackWhatWasWritten) {
  tk::Window* w = tk::LoadWindow("MainWindow");
  ASSERT_NE(w, nullptr);
  auto* clock = w->Find<tk::Label>("标签_电脑时间");
  EXPECT_EQ(clock->caption(), "");
  clock->SetCaption("2026年12月11日 13:45:01");
  EXPECT_EQ(clock->caption(), "2026年12月11日 13:45:01");

  auto* hour = w->Find<tk::EditBox>("编辑框1");
  EXPECT_EQ(hour->text(), "");
  hour->SetText("八点");
  EXPECT_EQ(hour->text(), "八点");
  wchar_t wide[16] = {};
  GetWindowTextW(hour->hwnd(), wide, 16);
  EXPECT_STREQ(wide, L"八点");  // the system sees the characters, not GBK bytes

  auto* choose = w->Find<tk::Button>("按钮2");
  EXPECT_FALSE(choose->disabled());
  choose->SetDisabled(true);
  EXPECT_TRUE(choose->disabled());
  EXPECT_FALSE(IsWindowEnabled(choose->hwnd()));
  choose->SetDisabled(false);
  EXPECT_FALSE(choose->disabled());

  auto* play = w->Find<tk::CheckBox>("选择框1");
  play->SetTicked(false);
  EXPECT_FALSE(play->ticked());
  SendMessageW(play->hwnd(), BM_CLICK, 0, 0);  // ticks itself when clicked
  EXPECT_TRUE(play->ticked());

  g_clicks = 0;
  SendMessageW(w->Find<tk::Button>("按钮1")->hwnd(), BM_CLICK, 0, 0);
  EXPECT_EQ(g_clicks, 1);
  EXPECT_EQ(w->Find<tk::Button>("不存在"), nullptr);
  EXPECT_EQ(w->Find<tk::Button>("编辑框1"), nullptr);  // there, but not a button
}

TEST_F(Toolkit, TimersFollowThePeriodRule) {
  tk::Window* w = tk::LoadWindow("MainWindow");
  ASSERT_NE(w, nullptr);
  auto* clock = w->Find<tk::Timer>("时钟2");
  auto* alarm = w->Find<tk::Timer>("时钟1");
  EXPECT_EQ(clock->period(), 0);
  g_clock_ticks = g_alarm_ticks = 0;
  Pump(200);
  EXPECT_EQ(g_clock_ticks, 0);  // stopped at creation

  clock->SetPeriod(40);
  Pump(420);
  EXPECT_GE(g_clock_ticks, 4);
  EXPECT_EQ(g_alarm_ticks, 0);  // each timer raises its own event

  // Writing the value held must not restart the countdown: rewritten every 10 ms, a
  // restarted 40 ms timer would never tick.
  g_clock_ticks = 0;
  for (int i = 0; i < 40; ++i) {
    clock->SetPeriod(40);
    Pump(10);
  }
  EXPECT_GE(g_clock_ticks, 4);

  clock->SetPeriod(-100);
  EXPECT_EQ(clock->period(), 0);
  g_clock_ticks = 0;
  Pump(200);
  EXPECT_EQ(g_clock_ticks, 0);

  alarm->SetPeriod(30);
  Pump(200);
  EXPECT_GE(g_alarm_ticks, 2);
  // Destroying the window stops its timers; nothing may tick into the dead window.
  DestroyWindow(w->hwnd());
  g_alarm_ticks = 0;
  Pump(150);
  EXPECT_EQ(g_alarm_ticks, 0);
}

// Draws a control as it would appear into a 32-bit bitmap and returns its pixels.
std::vector<COLORREF> Capture(HWND hwnd, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  tk::ScopedWindowDc screen(nullptr);
  tk::UniqueBitmap bitmap(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  tk::UniqueMemoryDc dc(CreateCompatibleDC(screen.get()));
  {
    tk::ScopedSelect select(dc.get(), bitmap.get());
    SendMessageW(hwnd, WM_PRINTCLIENT, WPARAM(dc.get()), PRF_CLIENT);
    GdiFlush();
  }
  std::vector<COLORREF> out(size_t(width) * height);
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
  }
  return out;
}

TEST_F(Toolkit, SplashPictureIsFittedIntoItsBox) {
  tk::Window* w = tk::LoadWindow("SplashWindow");
  ASSERT_NE(w, nullptr);
  RECT outer;
  GetWindowRect(w->hwnd(), &outer);
  EXPECT_EQ(outer.right - outer.left, 284);
  EXPECT_EQ(outer.bottom - outer.top, 213);
  RECT client;
  GetClientRect(w->hwnd(), &client);
  EXPECT_EQ(client.right, 284);  // no frame: the client area is the whole window
  EXPECT_EQ(client.bottom, 213);

  auto* box = w->Find<tk::PicBox>("图片框1");
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->has_picture());
  const RECT r = ChildRect(box->hwnd());
  EXPECT_EQ(r.left, -56);
  EXPECT_EQ(r.right - r.left, 392);
  EXPECT_EQ(r.bottom - r.top, 216);

  const auto pixels = Capture(box->hwnd(), 392, 216);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  int face_in_bands = 0, face_in_picture = 0;
  for (int y = 0; y < 216; ++y) {
    for (int x = 0; x < 392; ++x) {
      const bool in_picture = x >= 52 && x < 340;
      const bool is_face = pixels[size_t(y) * 392 + x] == face;
      if (!in_picture && is_face) ++face_in_bands;
      if (in_picture && is_face) ++face_in_picture;
    }
  }
  EXPECT_EQ(face_in_bands, 2 * 52 * 216);  // background left and right of the picture
  EXPECT_LT(face_in_picture, 288 * 216 / 100);
  // What SplashWindow shows, x from 56 to 340 in the box, is all picture.
  int face_visible = 0;
  for (int y = 0; y < 213; ++y) {
    for (int x = 56; x < 340; ++x) face_visible += pixels[size_t(y) * 392 + x] == face;
  }
  EXPECT_LT(face_visible, 284 * 213 / 100);
}

TEST_F(Toolkit, DamagedOrMissingPictureShowsTheBackground) {
  tk::Window* w = tk::LoadWindow("TestWindow");
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(IsWindowVisible(w->hwnd()));  // its layout says hidden
  for (const char* name : {"Broken", "Missing"}) {
    auto* box = w->Find<tk::PicBox>(name);
    ASSERT_NE(box, nullptr) << name;
    EXPECT_FALSE(box->has_picture()) << name;
    const auto pixels = Capture(box->hwnd(), 100, 100);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    size_t face_count = 0;
    for (COLORREF c : pixels) face_count += c == face;
    EXPECT_EQ(face_count, pixels.size()) << name;
  }
}

TEST_F(Toolkit, DeferredDestroyWaitsForTheLoop) {
  tk::Window* w = tk::LoadWindow("MainWindow");
  ASSERT_NE(w, nullptr);
  const HWND hwnd = w->hwnd();
  tk::DestroyWindowLater(*w);
  EXPECT_TRUE(w->destroy_pending());
  EXPECT_TRUE(IsWindow(hwnd));  // not inside the request
  EXPECT_EQ(tk::LiveWindowCount(), 1u);
  Pump(50);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(tk::FindLiveWindow("MainWindow"), nullptr);
}

}  // namespace
