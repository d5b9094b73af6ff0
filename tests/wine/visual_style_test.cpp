// ApplyVisualStyle against the system's real controls, in-process: which kinds it takes
// over (existing ones and those made later), what it gives back, what a restyled control
// draws in each state, read from the control's own drawing into a bitmap.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "look.h"
#include "ui/visual_style.h"

using namespace testing_support;

namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// A plain top-level window to hold the controls, and the style removed around each test.
class VisualStyle : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_INTERNET_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSW wc{};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TavrinStyleTestHost";
    RegisterClassW(&wc);
  }
  void SetUp() override {
    ui::ApplyVisualStyle(0);
    host_ = CreateWindowExW(0, L"TavrinStyleTestHost", L"host", WS_POPUP | WS_CLIPCHILDREN, 10, 10,
                            400, 300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(host_);
    ui::ApplyVisualStyle(0);
    EXPECT_EQ(ui::RestyledControlCount(), 0u);
  }

  HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, HWND parent = nullptr,
            int w = 80, int h = 32) {
    const HWND c = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 4, 4, w, h,
                                   parent != nullptr ? parent : host_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    if (c != nullptr) SendMessageW(c, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return c;
  }

  HWND host_ = nullptr;
};

LONG_PTR ProcOf(HWND h) { return GetWindowLongPtrW(h, GWLP_WNDPROC); }

TEST_F(VisualStyle, ResultSaysWhetherAStyleWasAppliedOrRemoved) {
  EXPECT_FALSE(ui::ApplyVisualStyle(0));  // nothing to remove
  EXPECT_FALSE(ui::ApplyVisualStyle(7));
  EXPECT_TRUE(ui::ApplyVisualStyle(3));
  EXPECT_TRUE(ui::ApplyVisualStyle(3));  // given back, then applied again
  EXPECT_TRUE(ui::ApplyVisualStyle(-1));
  EXPECT_FALSE(ui::ApplyVisualStyle(4));
  EXPECT_TRUE(ui::ApplyVisualStyle(1));
  EXPECT_TRUE(ui::ApplyVisualStyle(2));
  EXPECT_TRUE(ui::ApplyVisualStyle(0));
  EXPECT_FALSE(ui::ApplyVisualStyle(0));
}

struct KindCase {
  const char* name;
  const wchar_t* cls;
  const wchar_t* text;
  DWORD style;
  bool covered;
};
const KindCase kKinds[] = {
    {"push button", L"Button", L"OK", BS_PUSHBUTTON | WS_TABSTOP, true},
    {"default push button", L"Button", L"OK", BS_DEFPUSHBUTTON, true},
    {"check box", L"Button", L"tick", BS_AUTOCHECKBOX, true},
    {"three-state box", L"Button", L"tick", BS_AUTO3STATE, true},
    {"radio button", L"Button", L"one", BS_AUTORADIOBUTTON, true},
    {"push-like check box", L"Button", L"tick", BS_AUTOCHECKBOX | BS_PUSHLIKE, true},
    {"group box", L"Button", L"group", BS_GROUPBOX, true},
    {"empty push button with more style", L"Button", L"", BS_PUSHBUTTON | WS_TABSTOP | BS_LEFT, true},
    {"empty plain push button", L"Button", L"", BS_PUSHBUTTON | WS_TABSTOP, false},
    {"owner-drawn button", L"Button", L"OK", BS_OWNERDRAW, false},
    {"bitmap button", L"Button", L"OK", BS_PUSHBUTTON | BS_BITMAP, false},
    {"edit field", L"Edit", L"text", WS_BORDER, true},
    {"drop-down list box", L"ComboBox", L"", CBS_DROPDOWNLIST, true},
    {"drop-down combo box", L"ComboBox", L"", CBS_DROPDOWN, true},
    {"simple combo box", L"ComboBox", L"", CBS_SIMPLE, false},
    {"spin control", UPDOWN_CLASSW, L"", 0, true},
    {"static text", L"Static", L"text", SS_LEFT, false},
    {"list box", L"ListBox", L"", WS_BORDER, false},
    {"scroll bar", L"ScrollBar", L"", SBS_HORZ, false},
    {"progress bar", PROGRESS_CLASSW, L"", 0, false},
    {"IP address field", WC_IPADDRESSW, L"", 0, false},
};

TEST_F(VisualStyle, TakesOverCoveredKindsOnlyThoseThatExistAndThoseMadeLater) {
  std::vector<HWND> before;
  std::vector<LONG_PTR> own;
  for (const KindCase& k : kKinds) {
    before.push_back(Make(k.cls, k.text, k.style));
    ASSERT_NE(before.back(), nullptr) << k.name;
    own.push_back(ProcOf(before.back()));
  }
  // The IP address field's own edit fields are never restyled.
  std::vector<HWND> ip_edits;
  for (HWND c = GetWindow(before.back(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    ip_edits.push_back(c);
  }
  ASSERT_FALSE(ip_edits.empty());
  const LONG_PTR ip_edit_proc = ProcOf(ip_edits[0]);

  ASSERT_TRUE(ui::ApplyVisualStyle(3));
  for (size_t i = 0; i < std::size(kKinds); ++i) {
    EXPECT_EQ(ProcOf(before[i]) != own[i], kKinds[i].covered) << kKinds[i].name << ", existing";
  }
  EXPECT_EQ(ProcOf(ip_edits[0]), ip_edit_proc);

  // Made after the style: the same kinds, restyled as they are created.
  std::vector<HWND> after;
  for (size_t i = 0; i < std::size(kKinds); ++i) {
    after.push_back(Make(kKinds[i].cls, kKinds[i].text, kKinds[i].style));
    ASSERT_NE(after.back(), nullptr) << kKinds[i].name;
    EXPECT_EQ(ProcOf(after[i]) != own[i], kKinds[i].covered) << kKinds[i].name << ", made later";
  }
  // Restyling broke nothing: texts, ticks and selections still work.
  SetWindowTextW(after[0], L"changed");
  wchar_t text[32];
  GetWindowTextW(after[0], text, 32);
  EXPECT_STREQ(text, L"changed");
  SendMessageW(after[2], BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(after[2], BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(after[12], CB_ADDSTRING, 0, LPARAM(L"one"));
  SendMessageW(after[12], CB_SETCURSEL, 0, 0);
  EXPECT_EQ(SendMessageW(after[12], CB_GETCURSEL, 0, 0), 0);

  // Removed: every one draws its own way again, and new ones are left alone.
  ASSERT_TRUE(ui::ApplyVisualStyle(0));
  EXPECT_EQ(ui::RestyledControlCount(), 0u);
  for (size_t i = 0; i < std::size(kKinds); ++i) {
    EXPECT_EQ(ProcOf(before[i]), own[i]) << kKinds[i].name;
    EXPECT_EQ(ProcOf(after[i]), own[i]) << kKinds[i].name;
  }
  const HWND later = Make(L"Button", L"OK", BS_PUSHBUTTON);
  EXPECT_EQ(ProcOf(later), own[0]);
}

TEST_F(VisualStyle, ADestroyedControlLeavesNoEntryBehind) {
  ASSERT_TRUE(ui::ApplyVisualStyle(3));
  const size_t start = ui::RestyledControlCount();
  const HWND button = Make(L"Button", L"OK", BS_PUSHBUTTON);
  const HWND edit = Make(L"Edit", L"", WS_BORDER);
  EXPECT_EQ(ui::RestyledControlCount(), start + 2);
  DestroyWindow(button);
  EXPECT_EQ(ui::RestyledControlCount(), start + 1);
  DestroyWindow(edit);
  EXPECT_EQ(ui::RestyledControlCount(), start);
}

WNDPROC g_below = nullptr;
int g_seen_above = 0;
LRESULT CALLBACK Above(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  ++g_seen_above;
  return CallWindowProcW(g_below, hwnd, msg, wp, lp);
}

TEST_F(VisualStyle, AProcedurePutAboveOursStaysWorkingWhenTheStyleGoes) {
  ASSERT_TRUE(ui::ApplyVisualStyle(3));
  const HWND button = Make(L"Button", L"OK", BS_PUSHBUTTON);
  EXPECT_TRUE(LooksLike(PrintClient(button), kPlainButton));
  g_below = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Above)));

  ASSERT_TRUE(ui::ApplyVisualStyle(0));
  EXPECT_EQ(ProcOf(button), reinterpret_cast<LONG_PTR>(&Above));
  // Ours only passes messages on now: the button draws itself again.
  EXPECT_FALSE(LooksLike(PrintClient(button), kPlainButton));
  g_seen_above = 0;
  SetWindowTextW(button, L"still");
  wchar_t text[16];
  GetWindowTextW(button, text, 16);
  EXPECT_STREQ(text, L"still");
  EXPECT_GT(g_seen_above, 0);
  EXPECT_EQ(ui::RestyledControlCount(), 1u);  // its entry goes with the window
  DestroyWindow(button);
  EXPECT_EQ(ui::RestyledControlCount(), 0u);
}

// Pressed keeps the sunken face even when disabled.
const ButtonLook kPressedDisabled{"pressed and disabled", RGB(245, 244, 234), RGB(245, 244, 234),
                                  RGB(179, 178, 197), RGB(252, 252, 251), true};

TEST_F(VisualStyle, EachButtonStateDrawsItsLook) {
  ASSERT_TRUE(ui::ApplyVisualStyle(3));
  struct Case {
    const char* name;
    void (*set)(HWND);
    const ButtonLook& look;
  };
  const Case cases[] = {
      {"plain", [](HWND) {}, kPlainButton},
      {"pressed", [](HWND b) { SendMessageW(b, BM_SETSTATE, TRUE, 0); }, kPressedButton},
      {"default", [](HWND b) { SendMessageW(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE); }, kFocusedButton},
      {"hot", [](HWND b) { SendMessageW(b, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10)); }, kHotButton},
      {"disabled", [](HWND b) { EnableWindow(b, FALSE); }, kDisabledButton},
      {"pressed and disabled", [](HWND b) { SendMessageW(b, BM_SETSTATE, TRUE, 0); EnableWindow(b, FALSE); },
       kPressedDisabled},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HWND b = Make(L"Button", L"开始定时", BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER);
    c.set(b);
    const Shot s = PrintClient(b);
    EXPECT_TRUE(LooksLike(s, c.look));
    const COLORREF ink = c.look.disabled ? RGB(165, 162, 148) : RGB(0, 0, 0);
    EXPECT_GT(CountNear(s, {4, 4, s.width - 4, s.height - 4}, ink, 0), 5) << "caption";
    DestroyWindow(b);
  }
}

TEST_F(VisualStyle, CheckBoxesDrawTheirBoxTickAndThirdState) {
  ASSERT_TRUE(ui::ApplyVisualStyle(3));
  const HWND box = Make(L"Button", L"是否播放音乐", BS_AUTO3STATE | BS_LEFT | BS_VCENTER, nullptr, 96, 24);
  EXPECT_TRUE(BoxLooksLike(PrintClient(box), 0, 5, kPlainBox));
  SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_TRUE(BoxLooksLike(PrintClient(box), 0, 5, kTickedBox));
  SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(5, 10));
  EXPECT_TRUE(BoxLooksLike(PrintClient(box), 0, 5, kTickedHotBox));
  SendMessageW(box, WM_MOUSELEAVE, 0, 0);
  SendMessageW(box, BM_SETCHECK, BST_INDETERMINATE, 0);
  const Shot mixed = PrintClient(box);
  EXPECT_EQ(mixed.at(3, 8), RGB(115, 195, 115));
  EXPECT_EQ(mixed.at(9, 14), RGB(115, 195, 115));
  // The background the host supplies for buttons, the caption in its text colour.
  EXPECT_EQ(mixed.at(15, 2), FaceColour());
  EXPECT_GT(CountNear(mixed, {18, 0, 96, 24}, GetSysColor(COLOR_WINDOWTEXT), 0), 10);
  EnableWindow(box, FALSE);
  const Shot off = PrintClient(box);
  EXPECT_EQ(off.at(0, 5), Less(FaceColour(), 32));
  EXPECT_EQ(off.at(3, 8), RGB(206, 203, 189));
  EXPECT_GT(CountNear(off, {18, 0, 96, 24}, GetSysColor(COLOR_GRAYTEXT), 0), 10);
}

TEST_F(VisualStyle, TheOtherKindsDrawInTheSameManner) {
  ASSERT_TRUE(ui::ApplyVisualStyle(3));
  // A radio button: a round box, the host's face outside its circle, a green dot when on.
  const HWND radio = Make(L"Button", L"one", BS_AUTORADIOBUTTON | BS_VCENTER, nullptr, 80, 13);
  SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
  const Shot r = PrintClient(radio);
  EXPECT_EQ(r.at(0, 0), FaceColour());
  EXPECT_EQ(r.at(6, 0), RGB(24, 81, 132));
  EXPECT_EQ(r.at(6, 6), RGB(33, 162, 33));
  // A group box: its thin frame in the field colour, the caption breaking its top edge.
  const HWND group = Make(L"Button", L"group", BS_GROUPBOX, nullptr, 120, 60);
  const Shot g = PrintClient(group);
  EXPECT_EQ(g.at(0, 30), RGB(198, 197, 215));
  EXPECT_EQ(g.at(119, 30), RGB(198, 197, 215));
  EXPECT_EQ(g.at(60, 59), RGB(198, 197, 215));
  // A drop-down list: the field's rings and a framed button at its right edge.
  const HWND combo = Make(L"ComboBox", L"", CBS_DROPDOWNLIST, nullptr, 120, 200);
  SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(L"mp3"));
  SendMessageW(combo, CB_SETCURSEL, 0, 0);
  const Shot c = PrintClient(combo);
  EXPECT_TRUE(FieldRings(c, GetSysColor(COLOR_WINDOW)));
  EXPECT_EQ(c.at(c.width - 3, c.height / 2), RGB(198, 197, 215));
  EXPECT_EQ(c.at(c.width - 2 - GetSystemMetrics(SM_CYVTHUMB), c.height / 2), RGB(198, 197, 215));
  // A spin control: two framed halves.
  const HWND spin = Make(UPDOWN_CLASSW, L"", 0, nullptr, 17, 24);
  const Shot p = PrintClient(spin);
  EXPECT_EQ(p.at(0, 0), RGB(198, 197, 215));
  EXPECT_EQ(p.at(8, 11), RGB(198, 197, 215));
  EXPECT_EQ(p.at(8, 12), RGB(198, 197, 215));
  EXPECT_EQ(p.at(p.width - 1, p.height - 1), RGB(198, 197, 215)) << p.width << "x" << p.height;
}

}  // namespace
