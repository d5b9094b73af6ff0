// The flat look's pixel geometry: the drawing steps replayed into a pixel grid and read
// at the coordinates the look is defined by.
#include "ui/style_paint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

namespace ui {

std::ostream& operator<<(std::ostream& os, Rgb c) {
  return os << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ")";
}

namespace {

constexpr Rgb kFace{236, 233, 216};
constexpr Rgb kWindow{255, 255, 255};
constexpr Rgb kUnpainted{1, 2, 3};

// A reference replay of the steps: fills exact, gradients interpolated over the two
// triangles between pixel centres (so corners are exact, as GradientFill gives them).
class Raster {
 public:
  Raster(int w, int h) : w_(w), h_(h), pixels_(size_t(w * h), kUnpainted), focus_(size_t(w * h)) {}

  void Replay(const Drawing& d) {
    for (const Stroke& s : d.strokes()) {
      const Box b = s.box;
      switch (s.kind) {
        case Stroke::Kind::kFill:
        case Stroke::Kind::kPixel:
          for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) Set(x, y, s.colour[0]);
          break;
        case Stroke::Kind::kFrame:
          for (int x = b.left; x < b.right; ++x) Set(x, b.top, s.colour[0]), Set(x, b.bottom - 1, s.colour[0]);
          for (int y = b.top; y < b.bottom; ++y) Set(b.left, y, s.colour[0]), Set(b.right - 1, y, s.colour[0]);
          break;
        case Stroke::Kind::kGradient:
          for (int y = b.top; y < b.bottom; ++y)
            for (int x = b.left; x < b.right; ++x) Set(x, y, Blend(s, x, y));
          break;
        case Stroke::Kind::kFocusRect:
          for (int x = b.left; x < b.right; ++x) Mark(x, b.top), Mark(x, b.bottom - 1);
          for (int y = b.top; y < b.bottom; ++y) Mark(b.left, y), Mark(b.right - 1, y);
          break;
      }
    }
  }
  Rgb at(int x, int y) const { return pixels_[size_t(y * w_ + x)]; }
  bool focus_at(int x, int y) const { return focus_[size_t(y * w_ + x)]; }
  bool Untouched() const {
    for (Rgb p : pixels_) if (p == kUnpainted) return false;
    return true;
  }

 private:
  void Set(int x, int y, Rgb c) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) pixels_[size_t(y * w_ + x)] = c;
  }
  void Mark(int x, int y) {
    if (x >= 0 && y >= 0 && x < w_ && y < h_) focus_[size_t(y * w_ + x)] = true;
  }
  static Rgb Blend(const Stroke& s, int x, int y) {
    const double u = s.box.width() > 1 ? double(x - s.box.left) / (s.box.width() - 1) : 0;
    const double v = s.box.height() > 1 ? double(y - s.box.top) / (s.box.height() - 1) : 0;
    const Rgb tl = s.colour[0], tr = s.colour[1], bl = s.colour[2], br = s.colour[3];
    auto mix = [&](auto channel) {
      double value;
      if (u + v <= 1) {
        value = channel(tl) + u * (channel(tr) - channel(tl)) + v * (channel(bl) - channel(tl));
      } else {
        value = channel(br) + (1 - u) * (channel(bl) - channel(br)) + (1 - v) * (channel(tr) - channel(br));
      }
      return uint8_t(value + 0.5);
    };
    return {mix([](Rgb c) { return double(c.r); }), mix([](Rgb c) { return double(c.g); }),
            mix([](Rgb c) { return double(c.b); })};
  }

  int w_, h_;
  std::vector<Rgb> pixels_;
  std::vector<bool> focus_;
};

bool Near(Rgb a, Rgb b, int tolerance = 8) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

TEST(StylePaint, DarkenStopsAtZero) {
  EXPECT_EQ(Darken({236, 233, 216}, 32), (Rgb{204, 201, 184}));
  EXPECT_EQ(Darken({20, 40, 255}, 32), (Rgb{0, 8, 223}));
  EXPECT_EQ(Darken({0, 0, 0}, 17), (Rgb{0, 0, 0}));
}

struct ButtonCase {
  const char* name;
  StateFlags state;
  Rgb band_top, band_bottom;  // the band at its top and bottom row
  bool face_gradient;
  Rgb face_top, face_bottom;
};

const ButtonCase kButtonCases[] = {
    {"plain", 0, {255, 255, 255}, {226, 223, 214}, true, {252, 252, 251}, {198, 197, 215}},
    {"focused", kFocused, {206, 231, 255}, {105, 130, 238}, true, {252, 252, 251}, {198, 197, 215}},
    {"default", kDefault, {206, 231, 255}, {105, 130, 238}, true, {252, 252, 251}, {198, 197, 215}},
    {"hot", kHot, {255, 240, 207}, {229, 151, 0}, true, {252, 252, 251}, {198, 197, 215}},
    {"hot and focused", kHot | kFocused, {255, 240, 207}, {229, 151, 0}, true, {252, 252, 251}, {198, 197, 215}},
    {"pressed", kPressed | kFocused | kHot, {239, 227, 206}, {239, 227, 206}, true, {179, 178, 197}, {252, 252, 251}},
    {"ticked", kTicked, {214, 203, 189}, {247, 243, 239}, true, {179, 178, 197}, {252, 252, 251}},
    {"disabled", kDisabled, {245, 244, 234}, {245, 244, 234}, false, {245, 244, 234}, {245, 244, 234}},
    {"disabled ticked", kDisabled | kTicked, {245, 244, 234}, {245, 244, 234}, true, {179, 178, 197}, {252, 252, 251}},
};

TEST(StylePaint, PushButtonGeometryAcrossSizesAndStates) {
  const std::pair<int, int> sizes[] = {{80, 32}, {72, 32}, {96, 32}, {17, 11}};
  for (auto [w, h] : sizes) {
    for (const ButtonCase& c : kButtonCases) {
      SCOPED_TRACE(std::string(c.name) + " " + std::to_string(w) + "x" + std::to_string(h));
      Drawing d;
      DrawPushButton(d, w, h, c.state, kFace);
      Raster r(w, h);
      r.Replay(d);
      ASSERT_TRUE(r.Untouched());
      const bool disabled = c.state & kDisabled;
      const Rgb border = disabled ? Rgb{204, 201, 184} : Rgb{0, 60, 116};

      // The outer ring and the four outer corner pixels: face.
      for (auto [x, y] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, 0},
                          {0, h / 2}, {1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}}) {
        EXPECT_EQ(r.at(x, y), kFace) << x << "," << y;
      }
      // The border, straight parts.
      for (auto [x, y] : {std::pair{w / 2, 1}, {1, h / 2}, {w - 2, h / 2}, {w / 2, h - 2}}) {
        EXPECT_EQ(r.at(x, y), border) << x << "," << y;
      }
      // Rounded corners.
      const Rgb corner = disabled ? Rgb{215, 212, 195} : border;
      const Rgb shoulder = disabled ? Rgb{219, 216, 199} : border;
      for (auto [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}}) {
        EXPECT_EQ(r.at(x, y), corner) << x << "," << y;
      }
      for (auto [x, y] : {std::pair{1, 2}, {2, 1}, {w - 3, 1}, {w - 2, 2}, {1, h - 3}, {2, h - 2},
                          {w - 3, h - 2}, {w - 2, h - 3}}) {
        EXPECT_EQ(r.at(x, y), shoulder) << x << "," << y;
      }
      // The 2-pixel band: its top row and bottom row, rows 2–3 and H−4..H−3.
      EXPECT_TRUE(Near(r.at(w / 2, 2), c.band_top)) << r.at(w / 2, 2);
      EXPECT_TRUE(Near(r.at(w / 2, h - 3), c.band_bottom)) << r.at(w / 2, h - 3);
      EXPECT_TRUE(Near(r.at(3, h / 2), r.at(2, h / 2), 40));
      // The face, from row 4 to row H−5.
      EXPECT_TRUE(Near(r.at(w / 2, 4), c.face_top)) << r.at(w / 2, 4);
      EXPECT_TRUE(Near(r.at(w / 2, h - 5), c.face_bottom)) << r.at(w / 2, h - 5);
      if (!c.face_gradient) {
        EXPECT_EQ(r.at(w / 2, h / 2), (Rgb{245, 244, 234}));
      }

      // The dotted focus rectangle from (3, 3) to (W − 3, H − 3), only when focused.
      const bool focused = c.state & kFocused;
      EXPECT_EQ(r.focus_at(3, 3), focused);
      EXPECT_EQ(r.focus_at(w - 4, h - 4), focused);
      EXPECT_EQ(r.focus_at(w / 2, 3), focused);
      EXPECT_FALSE(r.focus_at(2, 2));
      EXPECT_FALSE(r.focus_at(w / 2, 4));
    }
  }
}

TEST(StylePaint, PushButtonCaptionPlaceAndColour) {
  EXPECT_EQ(PushButtonCaptionArea(80, 32, 0), (Box{4, 4, 76, 28}));
  EXPECT_EQ(PushButtonCaptionArea(80, 32, kPressed | kFocused), (Box{5, 5, 77, 29}));
  EXPECT_EQ(PushButtonCaptionColour(kFocused), (Rgb{0, 0, 0}));
  EXPECT_EQ(PushButtonCaptionColour(kDisabled), (Rgb{165, 162, 148}));
  EXPECT_EQ(PushButtonCaptionColour(kIndeterminate), (Rgb{165, 162, 148}));
}

TEST(StylePaint, CheckBoxPlaces) {
  struct Case {
    int w, h;
    bool right;
    VAlign valign;
    Box box, caption;
  };
  const Case cases[] = {
      {96, 24, false, VAlign::kCentre, {0, 5, 13, 18}, {18, 0, 96, 24}},
      {96, 25, false, VAlign::kCentre, {0, 6, 13, 19}, {18, 0, 96, 25}},
      {96, 24, false, VAlign::kTop, {0, 0, 13, 13}, {18, 1, 96, 24}},
      {96, 24, false, VAlign::kNone, {0, 0, 13, 13}, {18, 1, 96, 24}},
      {96, 24, false, VAlign::kBottom, {0, 11, 13, 24}, {18, 6, 96, 24}},
      {96, 24, true, VAlign::kCentre, {83, 5, 96, 18}, {0, 0, 78, 24}},
  };
  for (const Case& c : cases) {
    const BoxPlaces p = PlaceCheckBox(c.w, c.h, c.right, c.valign);
    EXPECT_EQ(p.box, c.box);
    EXPECT_EQ(p.caption, c.caption);
  }
}

TEST(StylePaint, CheckBoxStates) {
  struct Case {
    const char* name;
    StateFlags state;
    Rgb border, top_left, bottom_right;
    bool inner_filled;
    Rgb inner;  // the inner square, read where the tick does not reach
    bool tick;
    Rgb tick_colour;
  };
  const Case cases[] = {
      {"ticked", kTicked, {24, 81, 132}, {222, 223, 214}, {255, 255, 255}, false, {}, true, {33, 162, 33}},
      {"ticked and hot", kTicked | kHot, {24, 81, 132}, {255, 243, 206}, {255, 178, 49}, true, {247, 247, 247}, true, {33, 162, 33}},
      {"hot", kHot, {24, 81, 132}, {255, 243, 206}, {255, 178, 49}, true, {231, 231, 231}, false, {}},
      {"pressed", kPressed | kHot, {24, 81, 132}, {181, 178, 165}, {247, 239, 222}, false, {}, false, {}},
      {"plain", 0, {24, 81, 132}, {222, 223, 214}, {255, 255, 255}, false, {}, false, {}},
      {"disabled ticked", kDisabled | kTicked, {204, 201, 184}, {255, 255, 255}, {255, 255, 255}, false, {}, true, {206, 203, 189}},
      {"mixed", kIndeterminate, {24, 81, 132}, {222, 223, 214}, {255, 255, 255}, true, {115, 195, 115}, false, {}},
      {"mixed hot", kIndeterminate | kHot, {24, 81, 132}, {255, 243, 206}, {255, 178, 49}, true, {33, 162, 33}, false, {}},
      {"mixed pressed", kIndeterminate | kPressed, {24, 81, 132}, {181, 178, 165}, {247, 239, 222}, true, {24, 138, 24}, false, {}},
      {"mixed disabled", kIndeterminate | kDisabled, {204, 201, 184}, {255, 255, 255}, {255, 255, 255}, true, {206, 203, 189}, false, {}},
  };
  constexpr int kStart[7] = {2, 3, 4, 3, 2, 1, 0};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Box box{0, 5, 13, 18};
    Drawing d;
    d.Fill({0, 0, 96, 24}, kFace);
    DrawCheckBox(d, box, c.state, kFace);
    Raster r(96, 24);
    r.Replay(d);
    for (auto [x, y] : {std::pair{0, 5}, {12, 5}, {0, 17}, {12, 17}, {6, 5}, {0, 11}}) {
      EXPECT_EQ(r.at(x, y), c.border) << x << "," << y;
    }
    EXPECT_EQ(r.at(13, 11), kFace);  // nothing outside the 13 × 13 box
    EXPECT_EQ(r.at(1, 6), c.top_left);
    EXPECT_EQ(r.at(11, 16), c.bottom_right);
    // The inner square is 7 × 7 from (3, 8); its corner (3, 8) is never under the tick.
    if (c.inner_filled) {
      EXPECT_EQ(r.at(3, 8), c.inner);
      EXPECT_EQ(r.at(9, 14), c.inner);
    } else {
      EXPECT_TRUE(Near(r.at(3, 8), r.at(2, 7), 24));
    }
    for (int i = 0; i < 7; ++i) {
      for (int row = 0; row < 7; ++row) {
        const bool in_stroke = row >= kStart[i] && row < kStart[i] + 3;
        const Rgb p = r.at(3 + i, 8 + row);
        if (c.tick && in_stroke) {
          EXPECT_EQ(p, c.tick_colour) << "column " << i << " row " << row;
        } else if (c.inner_filled) {
          EXPECT_EQ(p, c.inner) << "column " << i << " row " << row;
        } else {
          EXPECT_NE(p, (Rgb{33, 162, 33})) << "column " << i << " row " << row;
        }
      }
    }
  }
}

TEST(StylePaint, RadioButtonIsRoundAndDotted) {
  const Rgb background{10, 20, 30};
  Drawing d;
  DrawRadioButton(d, {0, 0, 13, 13}, kTicked, kFace, background);
  Raster r(13, 13);
  r.Replay(d);
  EXPECT_EQ(r.at(0, 0), background);
  EXPECT_EQ(r.at(12, 12), background);
  for (auto [x, y] : {std::pair{6, 0}, {0, 6}, {12, 6}, {6, 12}}) {
    EXPECT_EQ(r.at(x, y), (Rgb{24, 81, 132})) << x << "," << y;
  }
  EXPECT_EQ(r.at(6, 6), (Rgb{33, 162, 33}));
  // Symmetric both ways.
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 13; ++x) {
      EXPECT_EQ(r.at(x, y) == background, r.at(12 - x, y) == background);
      EXPECT_EQ(r.at(x, y) == background, r.at(x, 12 - y) == background);
    }
}

TEST(StylePaint, FieldRings) {
  struct Case {
    StateFlags state;
    Rgb outer, second;
  };
  const Case cases[] = {
      {0, {198, 197, 215}, kWindow},
      {kHot | kFocused, {198, 197, 215}, kWindow},
      {kReadOnly, {198, 197, 215}, kFace},
      {kDisabled, {204, 201, 184}, kFace},
  };
  for (const Case& c : cases) {
    Drawing d;
    DrawFieldRings(d, 56, 24, c.state, kFace, kWindow);
    Raster r(56, 24);
    r.Replay(d);
    for (auto [x, y] : {std::pair{0, 0}, {55, 23}, {28, 0}, {0, 12}, {55, 12}, {28, 23}}) {
      EXPECT_EQ(r.at(x, y), c.outer);
    }
    for (auto [x, y] : {std::pair{1, 1}, {54, 22}, {28, 1}, {1, 12}, {54, 12}, {28, 22}}) {
      EXPECT_EQ(r.at(x, y), c.second);
    }
    EXPECT_EQ(r.at(2, 2), kUnpainted);  // the field's own drawing stays inside
  }
}

TEST(StylePaint, ArrowButtonChevronPointsTheWayAsked) {
  const Box b{0, 0, 17, 17};
  for (Arrow arrow : {Arrow::kDown, Arrow::kUp, Arrow::kLeft, Arrow::kRight}) {
    Drawing d;
    DrawArrowButton(d, b, arrow, 0, kFace);
    Raster r(17, 17);
    r.Replay(d);
    const Rgb ink{77, 97, 133};
    // The chevron's tip is at its middle stroke, furthest in the arrow's direction.
    int first = -1, last = -1;  // along the pointing axis, where ink appears on the middle line
    for (int i = 0; i < 17; ++i) {
      const bool vertical = arrow == Arrow::kDown || arrow == Arrow::kUp;
      const Rgb p = vertical ? r.at(8, i) : r.at(i, 8);
      if (p == ink) {
        if (first < 0) first = i;
        last = i;
      }
    }
    ASSERT_GE(first, 0);
    int edge_first = -1;  // where ink appears on the chevron's end stroke
    for (int i = 0; i < 17; ++i) {
      const bool vertical = arrow == Arrow::kDown || arrow == Arrow::kUp;
      if ((vertical ? r.at(5, i) : r.at(i, 5)) == ink && edge_first < 0) edge_first = i;
    }
    if (arrow == Arrow::kDown || arrow == Arrow::kRight) {
      EXPECT_GT(first, edge_first);
    } else {
      EXPECT_LT(first, edge_first);
    }
    EXPECT_EQ(last - first, 1);  // strokes are 2 pixels thick
  }
}

// A fixed-pitch font: single-byte characters 6 pixels wide, double-byte ones 12.
class FixedMeasure final : public TextMeasure {
 public:
  int Width(std::string_view shown) const override {
    int w = 0;
    for (size_t i = 0; i < shown.size(); ++i) {
      if (static_cast<unsigned char>(shown[i]) >= 0x80 && i + 1 < shown.size()) {
        w += 12;
        ++i;
      } else {
        w += 6;
      }
    }
    return w;
  }
  int LineHeight() const override { return 13; }
};

std::vector<std::string> Shown(const CaptionBlock& b) {
  std::vector<std::string> out;
  for (const auto& l : b.lines) out.push_back(l.shown);
  return out;
}

TEST(CaptionLayout, BreaksAndMarkers) {
  struct Case {
    const char* name;
    std::string caption;
    int width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"fits", "开始定时", 72, {"开始定时"}},
      {"breaks by width", "ABCDEFGH", 30, {"ABCDE", "FGH"}},
      {"double-byte never split", "AB开始", 25, {"AB开", "始"}},
      {"marker and doubled marker", "&Open && Save", 200, {"Open & Save"}},
      {"trailing marker", "Go&", 200, {"Go"}},
      {"CR LF ends a line", "ab\r\ncd", 200, {"ab", "cd"}},
      {"lone LF stays", "ab\ncd", 200, {"ab\ncd"}},
      {"a character wider than the area", "开始", 5, {"开", "始"}},
      {"nothing", "", 50, {}},
      {"lone lead byte at the end", "ab\xB0", 200, {"ab\xB0"}},
  };
  FixedMeasure m;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CaptionBlock b;
    LayoutCaption(c.caption, {0, 0, c.width, 40}, HAlign::kLeft, VAlign::kTop, m, &b);
    EXPECT_EQ(Shown(b), c.lines);
    for (const auto& l : b.lines) EXPECT_LE(l.end, c.caption.size());
  }
}

TEST(CaptionLayout, MarkerStaysWithItsCharacterAcrossABreak) {
  FixedMeasure m;
  CaptionBlock b;
  LayoutCaption("ABCD&EF", {0, 0, 24, 40}, HAlign::kLeft, VAlign::kTop, m, &b);
  ASSERT_EQ(Shown(b), (std::vector<std::string>{"ABCD", "EF"}));
  EXPECT_EQ(std::string("ABCD&EF").substr(b.lines[1].begin, b.lines[1].end - b.lines[1].begin), "&EF");
}

TEST(CaptionLayout, Placement) {
  FixedMeasure m;
  CaptionBlock b;
  // 按钮1: the caption area of an 80 × 32 button, centred both ways.
  LayoutCaption("开始定时", {4, 4, 76, 28}, HAlign::kCentre, VAlign::kCentre, m, &b);
  ASSERT_EQ(b.lines.size(), 1u);
  EXPECT_EQ(b.lines[0].x, 4 + (72 - 48) / 2);
  EXPECT_EQ(b.lines[0].y, 4 + (24 - 13) / 2);
  EXPECT_EQ(b.bounds, (Box{16, 9, 64, 22}));

  LayoutCaption("ab\r\nabcd", {10, 0, 110, 40}, HAlign::kRight, VAlign::kBottom, m, &b);
  ASSERT_EQ(b.lines.size(), 2u);
  EXPECT_EQ(b.lines[0].x, 110 - 12);
  EXPECT_EQ(b.lines[1].x, 110 - 24);
  EXPECT_EQ(b.lines[0].y, 40 - 26);
  EXPECT_EQ(b.lines[1].y, 40 - 13);

  // A block taller than the area is capped at it, so centring starts at the area's top.
  LayoutCaption("a\r\nb\r\nc", {0, 5, 50, 25}, HAlign::kLeft, VAlign::kCentre, m, &b);
  ASSERT_EQ(b.lines.size(), 3u);
  EXPECT_EQ(b.lines[0].y, 5);
}

TEST(CaptionLayout, CutKeepsWholeCharacters) {
  EXPECT_EQ(CutCaption(std::string(300, 'x')).size(), 255u);
  std::string mixed(254, 'x');
  mixed += "开始";
  EXPECT_EQ(CutCaption(mixed).size(), 254u);
  std::string odd(253, 'x');
  odd += "开始";
  EXPECT_EQ(CutCaption(odd).size(), 255u);
  EXPECT_EQ(CutCaption("开\xB0"), "开");  // a lone lead byte at the end is dropped
}

}  // namespace
}  // namespace ui
