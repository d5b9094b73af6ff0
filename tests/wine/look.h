// The flat look as the tests read it back from pixels: a push button's rings, band and
// face, a check box's box and tick, an edit field's rings. Colours GradientFill gives
// exactly (a gradient's first row, plain fills) are compared exactly; along a gradient a
// small tolerance is allowed.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "screen.h"

namespace testing_support {

inline int Distance(COLORREF a, COLORREF b) {
  return std::max({std::abs(int(GetRValue(a)) - int(GetRValue(b))),
                   std::abs(int(GetGValue(a)) - int(GetGValue(b))),
                   std::abs(int(GetBValue(a)) - int(GetBValue(b)))});
}

inline COLORREF Less(COLORREF c, int n) {
  return RGB(std::max(0, int(GetRValue(c)) - n), std::max(0, int(GetGValue(c)) - n),
             std::max(0, int(GetBValue(c)) - n));
}

inline COLORREF FaceColour() { return GetSysColor(COLOR_BTNFACE); }

inline Shot ShootWindow(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  return ShootScreen(r);
}

// What a window draws of itself into a bitmap of its size (WM_PRINTCLIENT), read back.
inline Shot PrintClient(HWND h) {
  RECT r;
  GetClientRect(h, &r);
  return ShootDrawing(r.right, r.bottom, [h](HDC memory) {
    SendMessageW(h, WM_PRINTCLIENT, WPARAM(memory), PRF_CLIENT);
  });
}

// Along a gradient GDI's steps may fall a little apart from the ideal colour.
constexpr int kAlongGradient = 12;

struct ButtonLook {
  const char* name;
  COLORREF band_top, band_bottom;
  COLORREF face_top, face_bottom;
  bool disabled = false;
};
inline const ButtonLook kPlainButton{"plain", RGB(255, 255, 255), RGB(226, 223, 214),
                                     RGB(252, 252, 251), RGB(198, 197, 215)};
inline const ButtonLook kFocusedButton{"focused or default", RGB(206, 231, 255), RGB(105, 130, 238),
                                       RGB(252, 252, 251), RGB(198, 197, 215)};
inline const ButtonLook kHotButton{"hot", RGB(255, 240, 207), RGB(229, 151, 0),
                                   RGB(252, 252, 251), RGB(198, 197, 215)};
inline const ButtonLook kPressedButton{"pressed", RGB(239, 227, 206), RGB(239, 227, 206),
                                       RGB(179, 178, 197), RGB(252, 252, 251)};
inline const ButtonLook kDisabledButton{"disabled", RGB(245, 244, 234), RGB(245, 244, 234),
                                        RGB(245, 244, 234), RGB(245, 244, 234), true};

inline std::string Hex(COLORREF c) {
  char text[32];
  std::snprintf(text, sizeof text, "(%d, %d, %d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

// Collects what is not as expected, for one message.
class PixelCheck {
 public:
  explicit PixelCheck(const Shot& s) : s_(s) {}
  void Expect(int x, int y, COLORREF want, int tolerance, const char* what) {
    if (x < 0 || y < 0 || x >= s_.width || y >= s_.height) {
      wrong_ += std::string(what) + " outside the shot; ";
      return;
    }
    const COLORREF got = s_.at(x, y);
    if (Distance(got, want) > tolerance) {
      wrong_ += std::string(what) + " at (" + std::to_string(x) + ", " + std::to_string(y) +
                ") is " + Hex(got) + ", not " + Hex(want) + "; ";
    }
  }
  testing::AssertionResult Result() const {
    if (wrong_.empty()) return testing::AssertionSuccess();
    return testing::AssertionFailure() << wrong_;
  }

 private:
  const Shot& s_;
  std::string wrong_;
};

inline testing::AssertionResult LooksLike(const Shot& s, const ButtonLook& look) {
  const int w = s.width, h = s.height;
  if (w < 12 || h < 12) return testing::AssertionFailure() << "no button in the shot";
  PixelCheck c(s);
  const COLORREF face = FaceColour();
  const COLORREF border = look.disabled ? Less(face, 32) : RGB(0, 60, 116);
  for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, 0}, {0, h / 2}}) {
    c.Expect(x, y, face, 0, "outer ring");
  }
  for (auto [x, y] : {std::pair{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}}) {
    c.Expect(x, y, face, 0, "outer corner");
  }
  for (auto [x, y] : {std::pair{w / 2, 1}, {1, h / 2}, {w - 2, h / 2}, {w / 2, h - 2}}) {
    c.Expect(x, y, border, 0, "border");
  }
  for (auto [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}}) {
    c.Expect(x, y, look.disabled ? Less(face, 21) : border, 0, "rounded corner");
  }
  for (auto [x, y] : {std::pair{1, 2}, {2, 1}, {w - 2, h - 3}, {w - 3, h - 2}}) {
    c.Expect(x, y, look.disabled ? Less(face, 17) : border, 0, "corner shoulder");
  }
  c.Expect(w / 2, 2, look.band_top, 0, "band top");
  c.Expect(w / 2, h - 3, look.band_bottom, kAlongGradient, "band bottom");
  c.Expect(2, h / 2, look.band_top == look.band_bottom ? look.band_top : s.at(2, h / 2), 0, "band side");
  c.Expect(5, 4, look.face_top, 0, "face top");
  c.Expect(5, h - 5, look.face_bottom, kAlongGradient, "face bottom");
  return c.Result();
}

// Pixels of row 3 (where the dotted focus rectangle runs) that stand out from row 2.
inline int FocusDots(const Shot& s) {
  int dots = 0;
  for (int x = 4; x < s.width - 4; ++x) dots += Distance(s.at(x, 3), s.at(x, 2)) > 40;
  return dots;
}

// The box of pixels inside `area` within `tolerance` of `ink`; empty when there are none.
inline RECT InkBox(const Shot& s, const RECT& area, COLORREF ink, int tolerance) {
  RECT box{area.right, area.bottom, area.left, area.top};
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (Distance(s.at(x, y), ink) > tolerance) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box.left < box.right ? box : RECT{};
}

inline int CountNear(const Shot& s, const RECT& area, COLORREF ink, int tolerance) {
  int n = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x) n += Distance(s.at(x, y), ink) <= tolerance;
  return n;
}

struct CheckLook {
  const char* name;
  COLORREF top_left, bottom_right;
  bool inner_plain;  // the inner square one colour
  COLORREF inner;
  bool ticked;
};
inline const CheckLook kTickedBox{"ticked", RGB(222, 223, 214), RGB(255, 255, 255), false, 0, true};
inline const CheckLook kTickedHotBox{"ticked and hot", RGB(255, 243, 206), RGB(255, 178, 49), true,
                                     RGB(247, 247, 247), true};
inline const CheckLook kHotBox{"hot", RGB(255, 243, 206), RGB(255, 178, 49), true, RGB(231, 231, 231),
                               false};
inline const CheckLook kPlainBox{"plain", RGB(222, 223, 214), RGB(255, 255, 255), false, 0, false};

// The 13 × 13 box with its top-left corner at (bx, by) in the shot.
inline testing::AssertionResult BoxLooksLike(const Shot& s, int bx, int by, const CheckLook& look) {
  PixelCheck c(s);
  const COLORREF border = RGB(24, 81, 132), tick = RGB(33, 162, 33);
  for (auto [x, y] : {std::pair{0, 0}, {12, 0}, {0, 12}, {12, 12}, {6, 0}, {0, 6}, {12, 6}, {6, 12}}) {
    c.Expect(bx + x, by + y, border, 0, "box border");
  }
  c.Expect(bx + 1, by + 1, look.top_left, 0, "inside, top left");
  c.Expect(bx + 11, by + 11, look.bottom_right, kAlongGradient, "inside, bottom right");
  if (look.inner_plain) {
    c.Expect(bx + 3, by + 3, look.inner, 0, "inner square");
    c.Expect(bx + 9, by + 9, look.inner, 0, "inner square");
  }
  // The tick's strokes: columns 0, 3 and 6 of the inner square begin at rows 2, 3 and 0.
  for (auto [col, row] : {std::pair{0, 2}, {0, 4}, {3, 3}, {3, 5}, {6, 0}, {6, 2}, {4, 4}}) {
    if (look.ticked) {
      c.Expect(bx + 3 + col, by + 3 + row, tick, 0, "tick");
    } else if (Distance(s.at(bx + 3 + col, by + 3 + row), tick) < 30) {
      c.Expect(bx + 3 + col, by + 3 + row, look.inner, 0, "no tick");
    }
  }
  return c.Result();
}

inline testing::AssertionResult FieldRings(const Shot& s, COLORREF second) {
  const int w = s.width, h = s.height;
  PixelCheck c(s);
  for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, 0}, {0, h / 2},
                      {w - 1, h / 2}, {w / 2, h - 1}}) {
    c.Expect(x, y, RGB(198, 197, 215), 0, "outer ring");
  }
  for (auto [x, y] : {std::pair{1, 1}, {w - 2, h - 2}, {w / 2, 1}, {1, h / 2}, {w - 2, h / 2},
                      {w / 2, h - 2}}) {
    c.Expect(x, y, second, 0, "second ring");
  }
  return c.Result();
}

}  // namespace testing_support
