// Tavrin.exe driven from outside, as a user would meet it: its windows found on the
// screen, their places read from the system, keys typed through the input queue, pixels
// read back from the screen, and the exit code taken from the ended process.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <string>

#include "child_process.h"
#include "main_window.h"
#include "screen.h"
#include "toolkit/jpeg_image.h"

using namespace testing_support;

std::wstring testing_support::g_exe;
std::wstring testing_support::g_fixtures;
std::wstring testing_support::g_shots;

namespace {

struct Expected {
  POINT main, splash;
};
// Both windows are centred on the primary screen.
const std::map<std::pair<int, int>, Expected> kPlaces = {
    {{1920, 1080}, {{844, 402}, {818, 433}}},
    {{1366, 768}, {{567, 246}, {541, 277}}},
};

std::wstring Describe(HWND h) {
  const RECT r = RectInParent(h);
  return ClassOf(h) + L" '" + TextOf(h) + L"' at " + std::to_wstring(r.left) + L"," +
         std::to_wstring(r.top);
}

bool IsFace(COLORREF c) { return c == GetSysColor(COLOR_BTNFACE); }

void Save(const Shot& shot, const std::wstring& name) { SaveShot(shot, name); }

// The splash picture as the exe carries it.
std::optional<tk::Bgr24Image> ShippedSplashPicture() {
  HMODULE exe = LoadLibraryExW(g_exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (exe == nullptr) return std::nullopt;
  std::optional<tk::Bgr24Image> image;
  if (HRSRC found = FindResourceW(exe, L"SPLASH", MAKEINTRESOURCEW(10))) {
    if (const void* bytes = LockResource(LoadResource(exe, found))) {
      image = tk::DecodeJpeg(static_cast<const uint8_t*>(bytes), SizeofResource(exe, found));
    }
  }
  FreeLibrary(exe);
  return image;
}

// Mean difference per channel between a shot of SplashWindow's client area and the
// picture scaled to 288 x 216 by plain averaging, its column `skip` at the window's left.
double FittedPictureError(const Shot& shot, int skip) {
  static const auto picture = ShippedSplashPicture();
  if (!picture) return 1e9;
  const int drawn_w = 288, drawn_h = 216;
  double total = 0;
  long count = 0;
  for (int y = 0; y < shot.height && y < drawn_h; ++y) {
    for (int x = 0; x + skip < drawn_w && x < shot.width; ++x) {
      const int x0 = (x + skip) * picture->width / drawn_w, x1 = (x + skip + 1) * picture->width / drawn_w;
      const int y0 = y * picture->height / drawn_h, y1 = (y + 1) * picture->height / drawn_h;
      long sum[3] = {0, 0, 0}, n = 0;
      for (int sy = y0; sy < y1; ++sy) {
        for (int sx = x0; sx < x1; ++sx) {
          const uint8_t* p = &picture->pixels[size_t(sy) * picture->stride + size_t(sx) * 3];
          sum[0] += p[2];  // red
          sum[1] += p[1];
          sum[2] += p[0];
          ++n;
        }
      }
      const COLORREF c = shot.at(x, y);
      total += std::abs(double(GetRValue(c)) - double(sum[0]) / n) +
               std::abs(double(GetGValue(c)) - double(sum[1]) / n) +
               std::abs(double(GetBValue(c)) - double(sum[2]) / n);
      count += 3;
    }
  }
  return count > 0 ? total / count : 1e9;
}

Expected PlacesForThisScreen(bool* known) {
  const auto it = kPlaces.find({GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
  *known = it != kPlaces.end();
  return *known ? it->second : Expected{};
}

TEST(Startup, SplashThenMainWindowInTheirPlaces) {
  bool known = false;
  const Expected places = PlacesForThisScreen(&known);
  Program program;
  ASSERT_TRUE(program.process().started());
  HWND splash = program.WaitForSplash();
  ASSERT_NE(splash, nullptr);
  const DWORD splash_seen = GetTickCount();
  RECT r;
  GetWindowRect(splash, &r);
  EXPECT_EQ(r.right - r.left, 284);
  EXPECT_EQ(r.bottom - r.top, 213);
  if (known) {
    EXPECT_EQ(r.left, places.splash.x);
    EXPECT_EQ(r.top, places.splash.y);
  }
  EXPECT_FALSE(GetWindowLongW(splash, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));

  Sleep(500);  // painted by now
  const Shot shot = ShootScreen(r);
  Save(shot, L"splash");
  int face = 0;
  long long sum_r = 0, sum_g = 0, sum_b = 0;
  for (COLORREF c : shot.pixels) {
    face += IsFace(c);
    sum_r += GetRValue(c);
    sum_g += GetGValue(c);
    sum_b += GetBValue(c);
  }
  const long long n = (long long)shot.pixels.size();
  EXPECT_LT(face, n / 100) << "the picture must cover the whole splash";
  EXPECT_GT(sum_r / n, sum_b / n + 20) << "warm light: more red than blue";
  const double error = FittedPictureError(shot, 4);
  EXPECT_LT(error, 12.0) << "the splash must show the whole picture at 288 x 216, 4 columns off";
  // The same comparison, shifted by a few pixels, must be clearly worse: the check sees
  // where the picture is, not just its colours.
  const double shifted = FittedPictureError(shot, 10);
  EXPECT_GT(shifted, error + 3.0);
  std::printf("splash against the fitted picture: mean difference %.2f per channel (6 px off: %.2f)\n",
              error, shifted);

  HWND main = program.WaitForMain();
  ASSERT_NE(main, nullptr);
  const DWORD waited = GetTickCount() - splash_seen;
  EXPECT_GE(waited, 2500u);  // three seconds from the splash's creation
  EXPECT_LE(waited, 6000u);
  // The splash vanishes right after MainWindow appears.
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(splash) || !IsWindowVisible(splash); }, 1000));

  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 231);
  EXPECT_EQ(r.bottom - r.top, 275);
  if (known) {
    EXPECT_EQ(r.left, places.main.x);
    EXPECT_EQ(r.top, places.main.y);
  }
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU));
  EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  Sleep(300);  // painted by now
  // The orange icon at the left of the title bar.
  const int edge = GetSystemMetrics(SM_CXFRAME);
  const Shot icon = ShootScreen({r.left + edge, r.top + edge,
                                 r.left + edge + GetSystemMetrics(SM_CYCAPTION),
                                 r.top + edge + GetSystemMetrics(SM_CYCAPTION)});
  int orange = 0;
  for (COLORREF c : icon.pixels) {
    orange += GetRValue(c) > 200 && GetGValue(c) > 70 && GetGValue(c) < 190 && GetBValue(c) < 90;
  }
  EXPECT_GT(orange, 30) << "no orange icon in the title bar";

  for (const ControlPlace* c : kTabOrder) {
    HWND h = FindControl(main, *c);
    EXPECT_NE(h, nullptr) << "missing " << std::string(c->text, c->text + wcslen(c->text));
    if (h != nullptr) {
      EXPECT_TRUE(IsWindowVisible(h));
    }
  }
  for (const ControlPlace& c : kLabels) {
    // The clock label's text is the time by now; it is found by its place alone.
    EXPECT_NE(&c == &kClockLabel ? FindControlAt(main, c) : FindControl(main, c), nullptr);
  }
  EXPECT_EQ(SendMessageW(FindControl(main, kPlayMusic), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(FindControl(main, kButton2)));
  EXPECT_EQ(FocusOf(main), FindControl(main, kButton1));

  Sleep(300);
  GetWindowRect(main, &r);
  Save(ShootScreen(r), L"main");
  // The clock label shows the time inside its sunken border: dark text on the face.
  POINT origin{0, 0};
  ClientToScreen(main, &origin);
  const Shot clock = ShootScreen({origin.x + 72 + 1, origin.y + 8 + 1, origin.x + 224 - 1,
                                  origin.y + 32 - 1});
  int clock_face = 0, clock_ink = 0;
  for (COLORREF c : clock.pixels) {
    clock_face += IsFace(c);
    clock_ink += GetRValue(c) < 80 && GetGValue(c) < 80 && GetBValue(c) < 80;
  }
  EXPECT_GT(clock_face, int(clock.pixels.size()) / 2);
  EXPECT_GT(clock_ink, 30);

  // On the screen: edit boxes white inside their thin flat frames, the clock label's thin
  // edge dark at the top left and light at the bottom right.
  const Shot window = ShootScreen({origin.x, origin.y, origin.x + 225, origin.y + 250});
  for (const ControlPlace* c : {&kMemo, &kHour, &kMinute, &kSoundName}) {
    const RECT& e = c->rect;
    EXPECT_EQ(window.at(e.left + 3, e.bottom - 3), RGB(255, 255, 255));
    EXPECT_EQ(window.at(e.right - 3, e.top + 3), RGB(255, 255, 255));
    EXPECT_EQ(window.at(e.left, e.top), RGB(198, 197, 215));
    EXPECT_EQ(window.at(e.left + 1, e.top + 1), GetSysColor(COLOR_WINDOW));
  }
  EXPECT_EQ(window.at(72, 8), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(window.at(223, 31), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_TRUE(IsFace(window.at(73, 9)));

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.process().Wait(10000), std::optional<DWORD>(0));
}

TEST(Ending, EscOnTheSplashEndsWithCodeZeroAndNoMainWindow) {
  Program program;
  HWND splash = program.WaitForSplash();
  ASSERT_NE(splash, nullptr);
  SetForegroundWindow(splash);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == splash; }, 2000));
  PressKey(VK_ESCAPE);
  EXPECT_EQ(program.process().Wait(5000), std::optional<DWORD>(0));
}

struct EndBy {
  const char* name;
  void (*act)(HWND main);
};

void EscInMemo(HWND main) {
  ClickAt([&] {
    RECT r;
    GetWindowRect(FindControl(main, kMemo), &r);
    return (r.left + r.right) / 2;
  }(), [&] {
    RECT r;
    GetWindowRect(FindControl(main, kMemo), &r);
    return (r.top + r.bottom) / 2;
  }());
  ASSERT_EQ(FocusOf(main), FindControl(main, kMemo));
  PressKey(VK_ESCAPE);
}

void ClickCloseBox(HWND main) {
  RECT r;
  GetWindowRect(main, &r);
  const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  int first = -1, last = -1;  // the close box's extent along the title bar
  for (int x = r.right - 1; x > r.left; --x) {
    const bool close = SendMessageW(main, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE;
    if (close && last < 0) last = x;
    if (close) first = x;
    if (!close && last >= 0) break;
  }
  ASSERT_GE(first, 0) << "no close box on the title bar";
  ClickAt((first + last) / 2, y);
}

void ClickCloseButton(HWND main) {
  RECT r;
  GetWindowRect(FindControl(main, kButton3), &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

class Ending : public testing::TestWithParam<EndBy> {};

TEST_P(Ending, EndsWithCodeZero) {
  Program program;
  HWND main = program.ReadyMain();
  ASSERT_NE(main, nullptr);
  GetParam().act(main);
  EXPECT_EQ(program.process().Wait(5000), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(Ways, Ending,
                         testing::Values(EndBy{"EscInMemo", EscInMemo},
                                         EndBy{"CloseBox", ClickCloseBox},
                                         EndBy{"CloseButton", ClickCloseButton}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Keyboard, TabAndShiftTabWalkTheTabOrderAndWrap) {
  Program program;
  HWND main = program.ReadyMain();
  ASSERT_NE(main, nullptr);
  const size_t n = std::size(kTabOrder);
  ASSERT_EQ(FocusOf(main), FindControl(main, kButton1));
  for (size_t i = 1; i <= n; ++i) {
    PressKey(VK_TAB);
    HWND want = FindControl(main, *kTabOrder[i % n]);
    EXPECT_EQ(FocusOf(main), want) << "Tab " << i << ": focus on " << Describe(FocusOf(main));
  }
  for (size_t i = 1; i <= n; ++i) {
    PressKey(VK_TAB, /*shift=*/true);
    EXPECT_EQ(FocusOf(main), FindControl(main, *kTabOrder[(2 * n - i) % n])) << "Shift+Tab " << i;
  }
  EXPECT_EQ(TextOf(FindControl(main, kMemo)), L"");  // Tab never arrives as a character
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.process().Wait(5000), std::optional<DWORD>(0));
}

TEST(Keyboard, EnterOnlyBreaksLinesInTheMemoAndF1DoesNothing) {
  Program program;
  HWND main = program.ReadyMain();
  ASSERT_NE(main, nullptr);
  const size_t windows_before = ProcessWindows(program.process().id()).size();
  // Enter on 开始定时 and in the one-line boxes: nothing clicked, no focus moved.
  for (const ControlPlace* c : {&kButton1, &kHour, &kMinute, &kButton2, &kSoundName}) {
    HWND h = FindControl(main, *c);
    while (FocusOf(main) != h) PressKey(VK_TAB);
    PressKey(VK_RETURN);
    EXPECT_EQ(FocusOf(main), h);
    EXPECT_EQ(TextOf(h), c->text);
    PressKey(VK_F1);
    EXPECT_EQ(FocusOf(main), h);
  }
  EXPECT_EQ(ProcessWindows(program.process().id()).size(), windows_before);  // no help, no box

  HWND memo = FindControl(main, kMemo);
  while (FocusOf(main) != memo) PressKey(VK_TAB);
  TypeText(L"ab");
  PressKey(VK_RETURN);
  TypeText(L"cd");
  EXPECT_EQ(TextOf(memo), L"ab\r\ncd");
  EXPECT_EQ(FocusOf(main), memo);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.process().Wait(5000), std::optional<DWORD>(0));
}

// Counts pixels in a control's client area that are clearly green, and clearly dark.
void CountInk(HWND control, int* green, int* dark) {
  RECT c;
  GetClientRect(control, &c);
  MapWindowPoints(control, HWND_DESKTOP, reinterpret_cast<POINT*>(&c), 2);
  const Shot shot = ShootScreen(c);
  *green = *dark = 0;
  for (COLORREF p : shot.pixels) {
    const int r = GetRValue(p), g = GetGValue(p), b = GetBValue(p);
    if (g > r + 60 && g > b + 60) ++*green;
    if (r < 80 && g < 80 && b < 80) ++*dark;
  }
}

TEST(Keyboard, MemoTextIsGreenAndWrapsOtherBoxesAreBlackOnOneLine) {
  Program program;
  HWND main = program.ReadyMain();
  ASSERT_NE(main, nullptr);
  HWND memo = FindControl(main, kMemo);
  HWND hour = FindControl(main, kHour);
  while (FocusOf(main) != memo) PressKey(VK_TAB);
  TypeText(L"wrap wrap wrap wrap wrap wrap wrap wrap");
  EXPECT_GT(SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 1);
  while (FocusOf(main) != hour) PressKey(VK_TAB);
  TypeText(L"1234567890123456789");
  EXPECT_EQ(SendMessageW(hour, EM_GETLINECOUNT, 0, 0), 1);
  Sleep(200);
  int green = 0, dark = 0;
  CountInk(memo, &green, &dark);
  EXPECT_GT(green, 40);
  EXPECT_LT(dark, green / 4);
  CountInk(hour, &green, &dark);
  EXPECT_GT(dark, 20);
  EXPECT_EQ(green, 0);
  RECT r;
  GetWindowRect(main, &r);
  Save(ShootScreen(r), L"typed");
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.process().Wait(5000), std::optional<DWORD>(0));
}

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }

TEST(Keyboard, FocusComesBackWhenTheWindowIsReactivated) {
  Program program;
  HWND main = program.ReadyMain();
  ASSERT_NE(main, nullptr);
  HWND minute = FindControl(main, kMinute);
  while (FocusOf(main) != minute) PressKey(VK_TAB);

  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"OtherProgram";
  RegisterClassW(&wc);
  HWND other = CreateWindowW(L"OtherProgram", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                             200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  SetForegroundWindow(other);
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }, 2000));
  Sleep(100);
  SetForegroundWindow(main);
  EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == main; }, 2000));
  EXPECT_TRUE(WaitFor([&] { return FocusOf(main) == minute; }, 1000));
  DestroyWindow(other);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.process().Wait(5000), std::optional<DWORD>(0));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg.rfind(L"--exe=", 0) == 0) g_exe = arg.substr(6);
    if (arg.rfind(L"--shots=", 0) == 0) g_shots = arg.substr(8);
    if (arg.rfind(L"--fixtures=", 0) == 0) g_fixtures = arg.substr(11);
  }
  if (g_exe.empty()) g_exe = FolderOf(ThisExe()) + L"\\..\\..\\Tavrin.exe";
  if (g_fixtures.empty()) {
    // The native build's, beside this build; the path is typed into a dialog, so made whole.
    const std::wstring guess = FolderOf(ThisExe()) + L"\\..\\..\\..\\native\\fixtures\\mp3";
    wchar_t full[MAX_PATH] = {};
    if (GetFullPathNameW(guess.c_str(), MAX_PATH, full, nullptr) > 0) g_fixtures = full;
  }
  return RUN_ALL_TESTS();
}
