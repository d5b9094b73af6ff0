#include "ui/style_paint.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace ui {
namespace {

constexpr Rgb kWhite{255, 255, 255};

// Push buttons.
constexpr Rgb kButtonBorder{0, 60, 116};
constexpr Rgb kBandDisabled{245, 244, 234};
constexpr Rgb kBandPressed{239, 227, 206};
constexpr Rgb kBandHotTop{255, 240, 207}, kBandHotBottom{229, 151, 0};
constexpr Rgb kBandTickedLeft{214, 203, 189}, kBandTickedRight{214, 207, 198};
constexpr Rgb kBandTickedBottom{247, 243, 239};
constexpr Rgb kBandFocusTop{206, 231, 255}, kBandFocusBottom{105, 130, 238};
constexpr Rgb kBandPlainTop{255, 255, 255}, kBandPlainBottom{226, 223, 214};
constexpr Rgb kFaceSunkenTop{179, 178, 197}, kFaceSunkenBottom{252, 252, 251};
constexpr Rgb kFaceRaisedTop{252, 252, 251}, kFaceRaisedBottom{198, 197, 215};
constexpr Rgb kCaption{0, 0, 0}, kCaptionGrey{165, 162, 148};

// Check boxes and radio buttons.
constexpr Rgb kBoxBorder{24, 81, 132};
constexpr Rgb kTick{33, 162, 33}, kTickDisabled{206, 203, 189};
constexpr Rgb kMixedPressed{24, 138, 24}, kMixedHot{33, 162, 33}, kMixed{115, 195, 115};
constexpr Rgb kInnerHotTicked{247, 247, 247}, kInnerHot{231, 231, 231};
constexpr int kBoxSize = 13;
constexpr int kBoxGap = 18;
// Rows (within the 7 × 7 inner square) where each of the tick's 3-pixel strokes begins.
constexpr int kTickStart[7] = {2, 3, 4, 3, 2, 1, 0};

struct BoxColours {
  Rgb top_left, top_right, bottom_left, bottom_right;
};
BoxColours BoxInside(StateFlags state) {
  if (state & kPressed) return {{181, 178, 165}, {214, 215, 206}, {214, 215, 206}, {247, 239, 222}};
  if (state & kHot) return {{255, 243, 206}, {255, 203, 99}, {255, 203, 99}, {255, 178, 49}};
  return {{222, 223, 214}, {247, 243, 239}, {247, 243, 239}, {255, 255, 255}};
}

// Edit fields, lists and the small arrow buttons.
constexpr Rgb kFieldRing{198, 197, 215};
constexpr Rgb kChevron{77, 97, 133};

Box Inset(Box b, int by) { return {b.left + by, b.top + by, b.right - by, b.bottom - by}; }

// Where a pixel of the round box lies: outside the circle, on its rim, or inside.
enum class Round { kOutside, kRim, kInside };
bool InCircle(int x, int y, int diameter_squared) {
  const int dx = 2 * x - (kBoxSize - 1), dy = 2 * y - (kBoxSize - 1);
  return dx * dx + dy * dy <= diameter_squared;
}
Round RoundAt(int x, int y) {
  constexpr int kOuter = kBoxSize * kBoxSize;
  if (!InCircle(x, y, kOuter)) return Round::kOutside;
  const bool edge = x == 0 || y == 0 || x == kBoxSize - 1 || y == kBoxSize - 1 ||
                    !InCircle(x - 1, y, kOuter) || !InCircle(x + 1, y, kOuter) ||
                    !InCircle(x, y - 1, kOuter) || !InCircle(x, y + 1, kOuter);
  return edge ? Round::kRim : Round::kInside;
}

// Fills, row by row, the runs of pixels of the round box for which `pick` gives a colour.
template <typename Pick>
void FillRoundRuns(Drawing& out, Box box, Pick pick) {
  for (int y = 0; y < kBoxSize; ++y) {
    int x = 0;
    while (x < kBoxSize) {
      const auto colour = pick(x, y);
      int end = x + 1;
      while (end < kBoxSize && pick(end, y) == colour) ++end;
      if (colour.has_value()) {
        out.Fill({box.left + x, box.top + y, box.left + end, box.top + y + 1}, *colour);
      }
      x = end;
    }
  }
}

}  // namespace

Rgb Darken(Rgb c, int amount) {
  auto less = [amount](uint8_t v) { return uint8_t(std::max(0, int(v) - amount)); };
  return {less(c.r), less(c.g), less(c.b)};
}

void Drawing::Fill(Box box, Rgb colour) {
  if (box.empty()) return;
  strokes_.push_back({Stroke::Kind::kFill, box, {colour}});
}

void Drawing::Frame(Box box, Rgb colour) {
  if (box.empty()) return;
  strokes_.push_back({Stroke::Kind::kFrame, box, {colour}});
}

void Drawing::Gradient(Box box, Rgb top_left, Rgb top_right, Rgb bottom_left, Rgb bottom_right) {
  if (box.empty()) return;
  strokes_.push_back({Stroke::Kind::kGradient, box, {top_left, top_right, bottom_left, bottom_right}});
}

void Drawing::Pixel(int x, int y, Rgb colour) {
  strokes_.push_back({Stroke::Kind::kPixel, {x, y, x + 1, y + 1}, {colour}});
}

void Drawing::FocusRect(Box box) {
  if (box.empty()) return;
  strokes_.push_back({Stroke::Kind::kFocusRect, box, {}});
}

void DrawPushButton(Drawing& out, int w, int h, StateFlags state, Rgb face) {
  const bool disabled = state & kDisabled;
  const bool sunken = state & (kPressed | kTicked | kIndeterminate);
  const Rgb border = disabled ? Darken(face, 32) : kButtonBorder;

  out.Fill({0, 0, w, h}, face);
  out.Frame({1, 1, w - 1, h - 1}, border);

  const Box band{2, 2, w - 2, h - 2};
  if (disabled) {
    out.Fill(band, kBandDisabled);
  } else if (state & kPressed) {
    out.Fill(band, kBandPressed);
  } else if (state & kHot) {
    out.Vertical(band, kBandHotTop, kBandHotBottom);
  } else if (state & (kTicked | kIndeterminate)) {
    out.Gradient(band, kBandTickedLeft, kBandTickedRight, kBandTickedBottom, kBandTickedBottom);
  } else if (state & (kFocused | kDefault)) {
    out.Vertical(band, kBandFocusTop, kBandFocusBottom);
  } else {
    out.Vertical(band, kBandPlainTop, kBandPlainBottom);
  }

  const Box inner{4, 4, w - 4, h - 4};
  if (sunken) {
    out.Vertical(inner, kFaceSunkenTop, kFaceSunkenBottom);
  } else if (!disabled) {
    out.Vertical(inner, kFaceRaisedTop, kFaceRaisedBottom);
  }

  // Rounded corners.
  const Rgb corner = disabled ? Darken(face, 21) : border;
  const Rgb shoulder = disabled ? Darken(face, 17) : border;
  for (auto [x, y] : {std::pair{1, 1}, {w - 2, 1}, {1, h - 2}, {w - 2, h - 2}}) out.Pixel(x, y, face);
  for (auto [x, y] : {std::pair{2, 2}, {w - 3, 2}, {2, h - 3}, {w - 3, h - 3}}) out.Pixel(x, y, corner);
  for (auto [x, y] : {std::pair{1, 2}, {2, 1}, {w - 3, 1}, {w - 2, 2}, {1, h - 3}, {2, h - 2},
                      {w - 3, h - 2}, {w - 2, h - 3}}) {
    out.Pixel(x, y, shoulder);
  }

  if (state & kFocused) out.FocusRect({3, 3, w - 3, h - 3});
}

Box PushButtonCaptionArea(int w, int h, StateFlags state) {
  const int shift = (state & kPressed) ? 1 : 0;
  return {4 + shift, 4 + shift, w - 4 + shift, h - 4 + shift};
}

Rgb PushButtonCaptionColour(StateFlags state) {
  return (state & (kDisabled | kIndeterminate)) ? kCaptionGrey : kCaption;
}

BoxPlaces PlaceCheckBox(int w, int h, bool box_on_right, VAlign valign) {
  BoxPlaces p;
  const int x = box_on_right ? w - kBoxSize : 0;
  int y = 0;
  if (valign == VAlign::kCentre) y = (h - kBoxSize) / 2;
  if (valign == VAlign::kBottom) y = h - kBoxSize;
  p.box = {x, y, x + kBoxSize, y + kBoxSize};

  int top = 1;
  if (valign == VAlign::kCentre) top = 0;
  if (valign == VAlign::kBottom) top = h - kBoxGap;
  p.caption = box_on_right ? Box{0, top, w - kBoxGap, h} : Box{kBoxGap, top, w, h};
  return p;
}

void DrawCheckBox(Drawing& out, Box box, StateFlags state, Rgb face) {
  const bool disabled = state & kDisabled;
  out.Frame(box, disabled ? Darken(face, 32) : kBoxBorder);

  const Box inside = Inset(box, 1);
  if (disabled) {
    out.Fill(inside, kWhite);
  } else {
    const BoxColours c = BoxInside(state);
    out.Gradient(inside, c.top_left, c.top_right, c.bottom_left, c.bottom_right);
  }

  const Box inner = Inset(box, 3);
  if (state & kIndeterminate) {
    Rgb mixed = kMixed;
    if (disabled) {
      mixed = kTickDisabled;
    } else if (state & kPressed) {
      mixed = kMixedPressed;
    } else if (state & kHot) {
      mixed = kMixedHot;
    }
    out.Fill(inner, mixed);
  } else if ((state & kHot) && !(state & kPressed)) {
    out.Fill(inner, (state & kTicked) ? kInnerHotTicked : kInnerHot);
  }

  if ((state & kTicked) && !(state & kIndeterminate)) {
    const Rgb tick = disabled ? kTickDisabled : kTick;
    for (int i = 0; i < 7; ++i) {
      const int x = inner.left + i, y = inner.top + kTickStart[i];
      out.Fill({x, y, x + 1, y + 3}, tick);
    }
  }
}

void DrawRadioButton(Drawing& out, Box box, StateFlags state, Rgb face, Rgb background) {
  const bool disabled = state & kDisabled;
  if (disabled) {
    out.Fill(box, kWhite);
  } else {
    const BoxColours c = BoxInside(state);
    out.Gradient(box, c.top_left, c.top_right, c.bottom_left, c.bottom_right);
  }
  const Rgb rim = disabled ? Darken(face, 32) : kBoxBorder;
  FillRoundRuns(out, box, [&](int x, int y) -> std::optional<Rgb> {
    switch (RoundAt(x, y)) {
      case Round::kOutside: return background;
      case Round::kRim: return rim;
      case Round::kInside: break;
    }
    return std::nullopt;
  });

  // The hot inner disc, then the dot (the tick of a radio button).
  constexpr int kInnerDisc = 7 * 7, kDot = 5 * 5;
  if ((state & kHot) && !(state & kPressed)) {
    const Rgb inner = (state & kTicked) ? kInnerHotTicked : kInnerHot;
    FillRoundRuns(out, box, [&](int x, int y) -> std::optional<Rgb> {
      if (InCircle(x, y, kInnerDisc)) return inner;
      return std::nullopt;
    });
  }
  if (state & kTicked) {
    const Rgb dot = disabled ? kTickDisabled : kTick;
    FillRoundRuns(out, box, [&](int x, int y) -> std::optional<Rgb> {
      if (InCircle(x, y, kDot)) return dot;
      return std::nullopt;
    });
  }
}

void DrawGroupBox(Drawing& out, int w, int h, int line_height, int caption_width,
                  Rgb background) {
  out.Fill({0, 0, w, h}, background);
  const int top = line_height / 2;
  out.Frame({0, top, w, h}, kFieldRing);
  for (auto [x, y] : {std::pair{0, top}, {w - 1, top}, {0, h - 1}, {w - 1, h - 1}}) {
    out.Pixel(x, y, background);
  }
  if (caption_width > 0) {
    out.Fill({kGroupCaptionLeft - 2, top, kGroupCaptionLeft + caption_width + 2, top + 1},
             background);
  }
}

void DrawFieldRings(Drawing& out, int w, int h, StateFlags state, Rgb face, Rgb window) {
  const bool disabled = state & kDisabled;
  out.Frame({0, 0, w, h}, disabled ? Darken(face, 32) : kFieldRing);
  out.Frame({1, 1, w - 1, h - 1}, (state & (kDisabled | kReadOnly)) ? face : window);
}

void DrawListRing(Drawing& out, int w, int h, StateFlags state, Rgb face) {
  out.Frame({0, 0, w, h}, (state & kDisabled) ? Darken(face, 32) : kFieldRing);
}

void DrawArrowButton(Drawing& out, Box b, Arrow arrow, StateFlags state, Rgb face) {
  const bool disabled = state & kDisabled;
  out.Frame(b, disabled ? Darken(face, 32) : kFieldRing);
  const Box inside = Inset(b, 1);
  if (disabled) {
    out.Fill(inside, kBandDisabled);
  } else if (state & kPressed) {
    out.Vertical(inside, kFaceSunkenTop, kFaceSunkenBottom);
  } else if (state & kHot) {
    out.Vertical(inside, kBandHotTop, kBandHotBottom);
  } else {
    out.Vertical(inside, kFaceRaisedTop, kFaceRaisedBottom);
  }

  // A chevron of 2-pixel strokes, 7 long and 5 deep, centred; one pixel on when pressed.
  const Rgb ink = disabled ? kCaptionGrey : kChevron;
  const int shift = (state & kPressed) ? 1 : 0;
  const bool across = arrow == Arrow::kUp || arrow == Arrow::kDown;
  const int long_side = across ? b.width() : b.height();
  const int short_side = across ? b.height() : b.width();
  if (long_side < 9 || short_side < 7) return;
  const int along0 = (across ? b.left : b.top) + (long_side - 7) / 2 + shift;
  const int deep0 = (across ? b.top : b.left) + (short_side - 5) / 2 + shift;
  for (int i = 0; i < 7; ++i) {
    const int step = i <= 3 ? i : 6 - i;
    const bool points_forward = arrow == Arrow::kDown || arrow == Arrow::kRight;
    const int d = deep0 + (points_forward ? step : 3 - step);
    const int a = along0 + i;
    out.Fill(across ? Box{a, d, a + 1, d + 2} : Box{d, a, d + 2, a + 1}, ink);
  }
}

Box ComboButtonBox(int w, int h, int button_width) {
  return {w - 2 - button_width, 2, w - 2, h - 2};
}

SpinParts SplitSpin(int w, int h, bool horizontal) {
  if (horizontal) return {{0, 0, w / 2, h}, {w / 2, 0, w, h}};
  return {{0, 0, w, h / 2}, {0, h / 2, w, h}};
}

std::string_view CutCaption(std::string_view caption) {
  size_t end = 0;
  while (end < caption.size()) {
    const size_t step = static_cast<unsigned char>(caption[end]) >= 0x80 ? 2 : 1;
    if (end + step > kCaptionLimit || end + step > caption.size()) break;
    end += step;
  }
  return caption.substr(0, end);
}

void LayoutCaption(std::string_view text, Box area, HAlign halign, VAlign valign,
                   const TextMeasure& measure, CaptionBlock* out) {
  out->lines.clear();
  out->bounds = {};
  const int line_height = measure.LineHeight();
  const size_t n = text.size();
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  auto char_length = [&](size_t i) -> size_t { return byte(i) >= 0x80 && i + 1 < n ? 2 : 1; };

  size_t pos = 0;
  while (pos < n) {
    CaptionLine line;
    line.begin = pos;
    while (pos < n) {
      if (text[pos] == '\r' && pos + 1 < n && text[pos + 1] == '\n') {
        line.end = pos;
        pos += 2;
        goto line_done;
      }
      // One shown character and the bytes it takes, its marker included.
      size_t raw = 0;
      std::string_view shown;
      if (text[pos] == '&') {
        if (pos + 1 >= n) {
          raw = 1;  // a marker with nothing after it
        } else if (text[pos + 1] == '&') {
          raw = 2;
          shown = text.substr(pos, 1);
        } else if (text[pos + 1] == '\r' && pos + 2 < n && text[pos + 2] == '\n') {
          raw = 1;  // marks the line's end: nothing to underline
        } else {
          const size_t len = char_length(pos + 1);
          raw = 1 + len;
          shown = text.substr(pos + 1, len);
        }
      } else {
        raw = char_length(pos);
        shown = text.substr(pos, raw);
      }
      if (!shown.empty() && !line.shown.empty()) {
        const size_t before = line.shown.size();
        line.shown.append(shown);
        if (measure.Width(line.shown) > area.width()) {
          line.shown.resize(before);
          break;  // this character starts the next line
        }
      } else {
        line.shown.append(shown);
      }
      pos += raw;
    }
    line.end = pos;
  line_done:
    line.width = line.shown.empty() ? 0 : measure.Width(line.shown);
    out->lines.push_back(std::move(line));
  }

  const int count = int(out->lines.size());
  if (count == 0) return;
  const int block = std::min(count * line_height, area.height());
  int top = area.top;
  if (valign == VAlign::kCentre) top = area.top + (area.height() - block) / 2;
  if (valign == VAlign::kBottom) top = area.bottom - block;

  Box bounds{area.right, top, area.left, top + block};
  for (int i = 0; i < count; ++i) {
    CaptionLine& line = out->lines[size_t(i)];
    line.y = top + i * line_height;
    line.x = area.left;
    if (halign == HAlign::kCentre) line.x = area.left + (area.width() - line.width) / 2;
    if (halign == HAlign::kRight) line.x = area.right - line.width;
    bounds.left = std::min(bounds.left, line.x);
    bounds.right = std::max(bounds.right, line.x + line.width);
  }
  out->bounds = bounds.left < bounds.right ? bounds : Box{};
}

}  // namespace ui
