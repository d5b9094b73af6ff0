// The flat gradient look of buttons, check boxes, radio buttons, group boxes, edit fields,
// combo boxes and spin controls, as drawing steps in control coordinates. Nothing here
// knows the platform: the Win32 side replays the steps into an off-screen bitmap, and the
// unit tests replay them into a pixel grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ui {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(Rgb, Rgb) = default;
};

// "Face − n": each channel less `amount`, stopping at 0.
Rgb Darken(Rgb colour, int amount);

// Pixels from column left to right − 1 and from row top to bottom − 1.
struct Box {
  int left = 0, top = 0, right = 0, bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  friend bool operator==(Box, Box) = default;
};

// A restyled control's visual state.
enum StateFlag : uint32_t {
  kDisabled = 1u << 0,
  kFocused = 1u << 1,
  kHot = 1u << 2,
  kPressed = 1u << 3,
  kTicked = 1u << 4,
  kIndeterminate = 1u << 5,
  kDefault = 1u << 6,
  kReadOnly = 1u << 7,
};
using StateFlags = uint32_t;

struct Stroke {
  enum class Kind : uint8_t { kFill, kFrame, kGradient, kPixel, kFocusRect };
  Kind kind = Kind::kFill;
  Box box;
  // kFill, kFrame, kPixel: colour[0]. kGradient: top-left, top-right, bottom-left,
  // bottom-right, interpolated over the triangles TL/TR/BL and BR/TR/BL.
  Rgb colour[4];
};

// Drawing steps in order; later ones paint over earlier ones. Kept by its user and
// cleared for each redraw, so a redraw allocates nothing once the first has run.
class Drawing {
 public:
  void Clear() { strokes_.clear(); }
  void Fill(Box box, Rgb colour);
  void Frame(Box box, Rgb colour);  // a 1-pixel ring just inside `box`
  void Gradient(Box box, Rgb top_left, Rgb top_right, Rgb bottom_left, Rgb bottom_right);
  void Vertical(Box box, Rgb top, Rgb bottom) { Gradient(box, top, top, bottom, bottom); }
  void Pixel(int x, int y, Rgb colour);
  void FocusRect(Box box);  // dotted
  const std::vector<Stroke>& strokes() const { return strokes_; }

 private:
  std::vector<Stroke> strokes_;
};

enum class HAlign { kLeft, kCentre, kRight };
enum class VAlign { kNone, kTop, kCentre, kBottom };

// Push buttons, and check boxes and radio buttons that look like them.
void DrawPushButton(Drawing& out, int width, int height, StateFlags state, Rgb face);
// Where the caption is laid out; one pixel right and down while pressed.
Box PushButtonCaptionArea(int width, int height, StateFlags state);
Rgb PushButtonCaptionColour(StateFlags state);

// Check boxes and radio buttons: where the 13 × 13 box and the caption go.
struct BoxPlaces {
  Box box;
  Box caption;
};
BoxPlaces PlaceCheckBox(int width, int height, bool box_on_right, VAlign valign);
// The box itself (border, inside, inner square, tick); the background is the caller's.
void DrawCheckBox(Drawing& out, Box box, StateFlags state, Rgb face);
// A round box in the same colours, with a dot for the tick; corners outside the circle
// take `background`.
void DrawRadioButton(Drawing& out, Box box, StateFlags state, Rgb face, Rgb background);

// A group box: a thin rounded frame from half the caption's line height down, with a gap
// for the caption starting at x = 8. `caption_width` 0 means no caption.
void DrawGroupBox(Drawing& out, int width, int height, int line_height, int caption_width,
                  Rgb background);
inline constexpr int kGroupCaptionLeft = 8;

// The two outer rings of an edit field (or of a combo box), or the one ring of a
// drop-down list.
void DrawFieldRings(Drawing& out, int width, int height, StateFlags state, Rgb face,
                    Rgb window);
void DrawListRing(Drawing& out, int width, int height, StateFlags state, Rgb face);

// A small gradient button with a chevron, for combo boxes and spin controls.
enum class Arrow { kUp, kDown, kLeft, kRight };
void DrawArrowButton(Drawing& out, Box box, Arrow arrow, StateFlags state, Rgb face);
// The drop-down button of a combo box `width` wide, inside its rings.
Box ComboButtonBox(int width, int height, int button_width);

// A spin control: its two halves (the first is up, or left when horizontal).
struct SpinParts {
  Box first, second;
};
SpinParts SplitSpin(int width, int height, bool horizontal);

// Caption layout for buttons and check boxes.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  // Width of `shown` (GBK, as drawn: no ampersand markers) in the control's font.
  virtual int Width(std::string_view shown) const = 0;
  // The height of "a" in the control's font.
  virtual int LineHeight() const = 0;
};

struct CaptionLine {
  size_t begin = 0, end = 0;  // the line's bytes in the caption, markers included
  std::string shown;          // what is drawn
  int x = 0, y = 0, width = 0;
};
struct CaptionBlock {
  std::vector<CaptionLine> lines;
  Box bounds;  // around all lines; empty when there are none
};

// At most this many bytes of a caption are drawn.
inline constexpr size_t kCaptionLimit = 255;
// The caption's first bytes up to the limit, never ending inside a double-byte character.
std::string_view CutCaption(std::string_view caption);

// Lines end at CR LF, and before a character that would make the line wider than the
// area (a line holds at least one character). A double-byte character is never split.
// "&" is not drawn and marks the next character; "&&" draws one "&".
void LayoutCaption(std::string_view caption, Box area, HAlign halign, VAlign valign,
                   const TextMeasure& measure, CaptionBlock* out);

}  // namespace ui
