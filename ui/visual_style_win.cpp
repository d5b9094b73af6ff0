// The flat look attached to the thread's standard controls by replacing their window
// procedure. Each restyled control keeps its own procedure for everything it does; only
// its drawing is taken over: buttons, check boxes, radio buttons, group boxes, spin
// controls and combo boxes are composed whole in an off-screen bitmap and copied in one
// step, edit fields and drop-down lists get their outer rings drawn after they have drawn
// themselves.
#include "ui/visual_style.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "toolkit/win/handles.h"
#include "toolkit/win/text.h"
#include "ui/style_paint.h"

namespace ui {
namespace {

enum class Kind { kPushButton, kCheckBox, kRadioButton, kGroupBox, kEdit, kCombo, kDropList, kSpin };

// The caption as last laid out; made again when its text or font is set (both come as
// messages), or when the area, the alignment or the font handle differ.
struct CaptionCache {
  bool valid = false;
  std::string text;  // GBK, cut to the drawn length
  Box area;
  HAlign halign = HAlign::kLeft;
  VAlign valign = VAlign::kNone;
  HFONT font = nullptr;
  int line_height = 0;
  CaptionBlock block;
};

struct Restyled {
  HWND hwnd = nullptr;
  Kind kind = Kind::kPushButton;
  WNDPROC own_proc = nullptr;
  bool active = true;  // false: the style is gone but another procedure sits above ours
  StateFlags flags = 0;
  bool colours_known = false;
  Rgb background, text;  // what the parent supplies for buttons
  int quiet = 0;         // nesting of calls whose own drawing is held back
  bool held = false;     // the outermost of them took the visible bit away
  int spin_hot = -1, spin_pressed = -1;
  CaptionCache caption;
};

// One off-screen bitmap for every redraw, grown to the largest control drawn so far.
class OffScreen {
 public:
  OffScreen() = default;
  OffScreen(const OffScreen&) = delete;
  OffScreen& operator=(const OffScreen&) = delete;
  ~OffScreen() { Release(); }

  HDC Get(int w, int h) {
    if (!dc_) {
      const HDC screen = GetDC(nullptr);
      dc_.Reset(CreateCompatibleDC(screen));
      ReleaseDC(nullptr, screen);
      if (!dc_) return nullptr;
    }
    if (w > size_.cx || h > size_.cy) {
      const int width = std::max<int>(w, size_.cx), height = std::max<int>(h, size_.cy);
      const HDC screen = GetDC(nullptr);
      const HBITMAP fresh = CreateCompatibleBitmap(screen, width, height);
      ReleaseDC(nullptr, screen);
      if (fresh == nullptr) return nullptr;
      const HGDIOBJ previous = SelectObject(dc_.get(), fresh);
      if (original_ == nullptr) original_ = previous;
      bitmap_.Reset(fresh);  // the one it replaces is no longer selected
      size_ = {width, height};
    }
    return dc_.get();
  }

  void Release() {
    if (dc_ && original_ != nullptr) SelectObject(dc_.get(), original_);
    original_ = nullptr;
    bitmap_.Reset();
    dc_.Reset();
    size_ = {};
  }

 private:
  tk::UniqueMemoryDc dc_;
  tk::UniqueBitmap bitmap_;
  HGDIOBJ original_ = nullptr;
  SIZE size_{};
};

struct StyleState {
  int style = 0;
  HHOOK hook = nullptr;
  std::unordered_map<HWND, std::unique_ptr<Restyled>> restyled;
  Drawing drawing;  // reused by every redraw
  OffScreen off_screen;
  bool composing = false;
};

// Never destroyed: restyled windows can still get messages while the process ends.
StyleState& State() {
  static StyleState* state = new StyleState;
  return *state;
}

Restyled* Find(HWND hwnd) {
  auto& map = State().restyled;
  const auto it = map.find(hwnd);
  return it == map.end() ? nullptr : it->second.get();
}

Rgb FromRef(COLORREF c) { return {GetRValue(c), GetGValue(c), GetBValue(c)}; }
COLORREF ToRef(Rgb c) { return RGB(c.r, c.g, c.b); }
Rgb Face() { return FromRef(GetSysColor(COLOR_BTNFACE)); }
Rgb WindowColour() { return FromRef(GetSysColor(COLOR_WINDOW)); }

// ---------------------------------------------------------------------------------------
// Replaying drawing steps with GDI.

void FillGradient(HDC dc, const Stroke& s) {
  auto vertex = [](int x, int y, Rgb c) {
    return TRIVERTEX{x, y, COLOR16(c.r << 8), COLOR16(c.g << 8), COLOR16(c.b << 8), 0};
  };
  const Box b = s.box;
  const Rgb tl = s.colour[0], tr = s.colour[1], bl = s.colour[2], br = s.colour[3];
  if (tl == tr && bl == br) {
    TRIVERTEX v[2] = {vertex(b.left, b.top, tl), vertex(b.right, b.bottom, bl)};
    GRADIENT_RECT rect{0, 1};
    GdiGradientFill(dc, v, 2, &rect, 1, GRADIENT_FILL_RECT_V);
    return;
  }
  TRIVERTEX v[4] = {vertex(b.left, b.top, tl), vertex(b.right, b.top, tr),
                    vertex(b.left, b.bottom, bl), vertex(b.right, b.bottom, br)};
  GRADIENT_TRIANGLE t[2] = {{0, 1, 2}, {3, 1, 2}};
  GdiGradientFill(dc, v, 4, t, 2, GRADIENT_FILL_TRIANGLE);
}

void Replay(HDC dc, const Drawing& d) {
  const auto brush = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
  for (const Stroke& s : d.strokes()) {
    const RECT r{s.box.left, s.box.top, s.box.right, s.box.bottom};
    switch (s.kind) {
      case Stroke::Kind::kFill:
      case Stroke::Kind::kPixel:
        SetDCBrushColor(dc, ToRef(s.colour[0]));
        FillRect(dc, &r, brush);
        break;
      case Stroke::Kind::kFrame:
        SetDCBrushColor(dc, ToRef(s.colour[0]));
        FrameRect(dc, &r, brush);
        break;
      case Stroke::Kind::kGradient:
        FillGradient(dc, s);
        break;
      case Stroke::Kind::kFocusRect:
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, RGB(255, 255, 255));
        DrawFocusRect(dc, &r);
        break;
    }
  }
}

// ---------------------------------------------------------------------------------------
// Captions.

class GdiMeasure final : public TextMeasure {
 public:
  explicit GdiMeasure(HDC dc) : dc_(dc) {}
  int Width(std::string_view shown) const override {
    const std::wstring wide = tk::Widen(shown);
    SIZE size{};
    GetTextExtentPoint32W(dc_, wide.c_str(), int(wide.size()), &size);
    return size.cx;
  }
  int LineHeight() const override {
    SIZE size{};
    GetTextExtentPoint32W(dc_, L"a", 1, &size);
    return size.cy;
  }

 private:
  HDC dc_;
};

LRESULT Own(const Restyled& e, UINT msg, WPARAM wp = 0, LPARAM lp = 0) {
  return CallWindowProcW(e.own_proc, e.hwnd, msg, wp, lp);
}

HFONT FontOf(const Restyled& e) {
  const auto font = reinterpret_cast<HFONT>(Own(e, WM_GETFONT));
  return font != nullptr ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

std::string CaptionOf(HWND hwnd) {
  // 255 bytes of GBK never need more than 255 UTF-16 units.
  wchar_t buffer[kCaptionLimit + 2];
  const int n = GetWindowTextW(hwnd, buffer, int(std::size(buffer)));
  return std::string(CutCaption(tk::Narrow(std::wstring_view(buffer, size_t(std::max(0, n))))));
}

const CaptionBlock& LaidOutCaption(Restyled& e, HDC dc, HFONT font, Box area, HAlign halign,
                                   VAlign valign) {
  CaptionCache& c = e.caption;
  if (!c.valid || !(c.area == area) || c.halign != halign || c.valign != valign ||
      c.font != font) {
    const GdiMeasure measure(dc);
    c.text = CaptionOf(e.hwnd);
    c.area = area;
    c.halign = halign;
    c.valign = valign;
    c.font = font;
    c.line_height = measure.LineHeight();
    LayoutCaption(c.text, area, halign, valign, measure, &c.block);
    c.valid = true;
  }
  return c.block;
}

void DrawCaption(HDC dc, const Restyled& e, COLORREF colour, size_t max_lines) {
  const CaptionBlock& block = e.caption.block;
  const int line_height = e.caption.line_height;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
  const size_t count = std::min(block.lines.size(), max_lines);
  for (size_t i = 0; i < count; ++i) {
    const CaptionLine& line = block.lines[i];
    const std::wstring raw =
        tk::Widen(std::string_view(e.caption.text).substr(line.begin, line.end - line.begin));
    RECT r{line.x, line.y, line.x + line.width, line.y + line_height};
    DrawTextW(dc, raw.c_str(), int(raw.size()), &r, DT_SINGLELINE | DT_LEFT | DT_TOP | DT_NOCLIP);
  }
}

HAlign HorizontalOf(DWORD style, bool push) {
  switch (style & BS_CENTER) {
    case BS_LEFT: return HAlign::kLeft;
    case BS_RIGHT: return HAlign::kRight;
    case BS_CENTER: return HAlign::kCentre;
    default: return push ? HAlign::kCentre : HAlign::kLeft;
  }
}

VAlign VerticalOf(DWORD style, bool push) {
  switch (style & BS_VCENTER) {
    case BS_TOP: return VAlign::kTop;
    case BS_BOTTOM: return VAlign::kBottom;
    case BS_VCENTER: return VAlign::kCentre;
    default: return push ? VAlign::kCentre : VAlign::kNone;
  }
}

// ---------------------------------------------------------------------------------------
// State.

Rgb BrushColour(HBRUSH brush) {
  const auto value = reinterpret_cast<UINT_PTR>(brush);
  if (value == 0) return Face();
  if (value <= COLOR_MENUBAR + 1) return FromRef(GetSysColor(int(value) - 1));
  LOGBRUSH lb{};
  if (GetObjectW(brush, sizeof lb, &lb) == sizeof lb && lb.lbStyle == BS_SOLID) {
    return FromRef(lb.lbColor);
  }
  return Face();
}

void FetchParentColours(Restyled& e, HDC dc) {
  HWND parent = GetParent(e.hwnd);
  if (parent == nullptr) parent = e.hwnd;
  const bool borrowed = dc == nullptr;
  if (borrowed) dc = GetDC(e.hwnd);
  if (dc == nullptr) return;
  const int saved = SaveDC(dc);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  LRESULT brush = SendMessageW(parent, WM_CTLCOLORBTN, WPARAM(dc), LPARAM(e.hwnd));
  if (brush == 0) brush = DefWindowProcW(parent, WM_CTLCOLORBTN, WPARAM(dc), LPARAM(e.hwnd));
  e.text = FromRef(GetTextColor(dc));
  e.background = BrushColour(reinterpret_cast<HBRUSH>(brush));
  e.colours_known = true;
  RestoreDC(dc, saved);
  if (borrowed) ReleaseDC(e.hwnd, dc);
}

StateFlags ReadFlags(const Restyled& e) {
  StateFlags f = e.flags & (kHot | kReadOnly);
  if (!IsWindowEnabled(e.hwnd)) f |= kDisabled;
  const HWND focus = GetFocus();
  if (focus != nullptr && (focus == e.hwnd || (e.kind == Kind::kCombo && IsChild(e.hwnd, focus)))) {
    f |= kFocused;
  }
  switch (e.kind) {
    case Kind::kPushButton:
    case Kind::kCheckBox:
    case Kind::kRadioButton: {
      const LRESULT state = Own(e, BM_GETSTATE);
      if (state & BST_PUSHED) f |= kPressed;
      if ((state & 3) == BST_CHECKED) f |= kTicked;
      if ((state & 3) == BST_INDETERMINATE) f |= kIndeterminate;
      const DWORD style = GetWindowLongW(e.hwnd, GWL_STYLE);
      if (e.kind == Kind::kPushButton && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) f |= kDefault;
      break;
    }
    case Kind::kCombo:
      if (Own(e, CB_GETDROPPEDSTATE)) f |= kPressed;
      break;
    case Kind::kSpin:
      if (e.spin_pressed >= 0) f |= kPressed;
      break;
    default:
      break;
  }
  return f;
}

// ---------------------------------------------------------------------------------------
// Drawing each kind.

void PaintPushButton(Restyled& e, HDC dc, int w, int h) {
  Drawing& d = State().drawing;
  d.Clear();
  DrawPushButton(d, w, h, e.flags, Face());
  Replay(dc, d);

  const DWORD style = GetWindowLongW(e.hwnd, GWL_STYLE);
  const HFONT font = FontOf(e);
  SelectObject(dc, font);
  const CaptionBlock& block = LaidOutCaption(e, dc, font, PushButtonCaptionArea(w, h, e.flags),
                                             HorizontalOf(style, true), VerticalOf(style, true));
  DrawCaption(dc, e, ToRef(PushButtonCaptionColour(e.flags)), block.lines.size());
}

void PaintCheckOrRadio(Restyled& e, HDC dc, int w, int h) {
  if (!e.colours_known) FetchParentColours(e, dc);
  const DWORD style = GetWindowLongW(e.hwnd, GWL_STYLE);
  const bool box_on_right = (style & BS_LEFTTEXT) != 0;
  const VAlign valign = VerticalOf(style, false);
  const BoxPlaces places = PlaceCheckBox(w, h, box_on_right, valign);
  const Rgb face = Face();

  Drawing& d = State().drawing;
  d.Clear();
  d.Fill({0, 0, w, h}, e.background);
  if (e.kind == Kind::kRadioButton) {
    DrawRadioButton(d, places.box, e.flags, face, e.background);
  } else {
    DrawCheckBox(d, places.box, e.flags, face);
  }
  Replay(dc, d);

  const HFONT font = FontOf(e);
  SelectObject(dc, font);
  const CaptionBlock& block =
      LaidOutCaption(e, dc, font, places.caption, HorizontalOf(style, false), valign);
  const COLORREF colour = (e.flags & kDisabled) ? GetSysColor(COLOR_GRAYTEXT) : ToRef(e.text);
  DrawCaption(dc, e, colour, block.lines.size());

  if ((e.flags & kFocused) && !block.bounds.empty()) {
    const Box b = block.bounds;
    d.Clear();
    d.FocusRect({std::max(0, b.left - 1), std::max(0, b.top - 1), std::min(w, b.right + 1),
                 std::min(h, b.bottom + 1)});
    Replay(dc, d);
  }
}

void PaintGroupBox(Restyled& e, HDC dc, int w, int h) {
  if (!e.colours_known) FetchParentColours(e, dc);
  const HFONT font = FontOf(e);
  SelectObject(dc, font);
  const int line_height = GdiMeasure(dc).LineHeight();
  // One line of caption, over the frame's top edge.
  const CaptionBlock& block =
      LaidOutCaption(e, dc, font, {kGroupCaptionLeft, 0, w - kGroupCaptionLeft, line_height},
                     HAlign::kLeft, VAlign::kTop);
  const int caption_width = block.lines.empty() ? 0 : block.lines[0].width;

  Drawing& d = State().drawing;
  d.Clear();
  DrawGroupBox(d, w, h, line_height, caption_width, e.background);
  Replay(dc, d);
  const COLORREF colour = (e.flags & kDisabled) ? GetSysColor(COLOR_GRAYTEXT) : ToRef(e.text);
  DrawCaption(dc, e, colour, 1);
}

void PaintCombo(Restyled& e, HDC dc, int w, int h) {
  // The box draws its text (or its owner draws the item) first; the frame and the button
  // are ours.
  Own(e, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT | PRF_ERASEBKGND);
  const Rgb face = Face();
  Drawing& d = State().drawing;
  d.Clear();
  DrawFieldRings(d, w, h, e.flags & kDisabled, face, WindowColour());
  DrawArrowButton(d, ComboButtonBox(w, h, GetSystemMetrics(SM_CYVTHUMB)), Arrow::kDown,
                  e.flags & (kDisabled | kHot | kPressed), face);
  Replay(dc, d);
}

void PaintSpin(Restyled& e, HDC dc, int w, int h) {
  const bool horizontal = (GetWindowLongW(e.hwnd, GWL_STYLE) & UDS_HORZ) != 0;
  const SpinParts parts = SplitSpin(w, h, horizontal);
  const Rgb face = Face();
  Drawing& d = State().drawing;
  d.Clear();
  d.Fill({0, 0, w, h}, face);
  for (int i = 0; i < 2; ++i) {
    StateFlags f = e.flags & kDisabled;
    if (e.spin_hot == i) f |= kHot;
    if (e.spin_pressed == i) f |= kPressed;
    const Arrow arrow = horizontal ? (i == 0 ? Arrow::kLeft : Arrow::kRight)
                                   : (i == 0 ? Arrow::kUp : Arrow::kDown);
    DrawArrowButton(d, i == 0 ? parts.first : parts.second, arrow, f, face);
  }
  Replay(dc, d);
}

// The whole client area composed off-screen, then copied in one step.
void Compose(Restyled& e, HDC target) {
  RECT rc;
  GetClientRect(e.hwnd, &rc);
  const int w = rc.right, h = rc.bottom;
  if (w <= 0 || h <= 0) return;

  StyleState& s = State();
  OffScreen nested;  // a redraw started while another is being composed gets its own
  OffScreen& buffer = s.composing ? nested : s.off_screen;
  const HDC memory = buffer.Get(w, h);
  if (memory == nullptr) return;
  const bool outer = !s.composing;
  s.composing = true;
  const HWND hwnd = e.hwnd;
  const int saved = SaveDC(memory);
  switch (e.kind) {
    case Kind::kPushButton: PaintPushButton(e, memory, w, h); break;
    case Kind::kCheckBox:
    case Kind::kRadioButton: PaintCheckOrRadio(e, memory, w, h); break;
    case Kind::kGroupBox: PaintGroupBox(e, memory, w, h); break;
    case Kind::kCombo: PaintCombo(e, memory, w, h); break;
    case Kind::kSpin: PaintSpin(e, memory, w, h); break;
    default: break;
  }
  RestoreDC(memory, saved);
  if (outer) s.composing = false;

  // Children (a combo box's field) draw themselves.
  const int target_saved = SaveDC(target);
  for (HWND c = GetWindow(hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    if (!IsWindowVisible(c)) continue;
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    ExcludeClipRect(target, r.left, r.top, r.right, r.bottom);
  }
  BitBlt(target, 0, 0, w, h, memory, 0, 0, SRCCOPY);
  RestoreDC(target, target_saved);
}

struct FrameWidths {
  int left, top, right, bottom;
};
FrameWidths FrameOf(HWND hwnd) {
  RECT window, client;
  GetWindowRect(hwnd, &window);
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  return {origin.x - window.left, origin.y - window.top, window.right - (origin.x + client.right),
          window.bottom - (origin.y + client.bottom)};
}

bool HasBorder(HWND hwnd) {
  const DWORD style = GetWindowLongW(hwnd, GWL_STYLE);
  const DWORD ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  return (style & WS_BORDER) || (ex & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
}

// An edit field's frame is ours alone when it is exactly the two rings, with no scroll bar.
bool FrameIsRings(HWND hwnd) {
  if (GetWindowLongW(hwnd, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL)) return false;
  const FrameWidths f = FrameOf(hwnd);
  return f.left == 2 && f.top == 2 && f.right == 2 && f.bottom == 2;
}

bool RingsOutsideClient(HWND hwnd) {
  const FrameWidths f = FrameOf(hwnd);
  return f.left >= 2 && f.top >= 2 && f.right >= 2 && f.bottom >= 2;
}

void DrawRings(Restyled& e) {
  if (e.kind == Kind::kEdit ? !HasBorder(e.hwnd)
                            : !(GetWindowLongW(e.hwnd, GWL_STYLE) & WS_BORDER)) {
    return;
  }
  RECT window;
  GetWindowRect(e.hwnd, &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  const HDC dc = GetWindowDC(e.hwnd);
  if (dc == nullptr) return;
  Drawing& d = State().drawing;
  d.Clear();
  if (e.kind == Kind::kEdit) {
    DrawFieldRings(d, w, h, e.flags, Face(), WindowColour());
  } else {
    DrawListRing(d, w, h, e.flags, Face());
  }
  Replay(dc, d);
  ReleaseDC(e.hwnd, dc);
}

void RedrawNow(Restyled& e) {
  if (!IsWindowVisible(e.hwnd)) return;
  if (e.kind == Kind::kEdit || e.kind == Kind::kDropList) {
    DrawRings(e);
    return;
  }
  const HDC dc = GetDC(e.hwnd);
  if (dc == nullptr) return;
  Compose(e, dc);
  ReleaseDC(e.hwnd, dc);
}

// ---------------------------------------------------------------------------------------
// Messages.

// Runs the control's own handling of a message after which it would draw itself at once
// (state, focus, text changes), with that drawing held back, then draws it our way.
LRESULT Quietly(Restyled& first, UINT msg, WPARAM wp, LPARAM lp) {
  const HWND hwnd = first.hwnd;
  const WNDPROC own = first.own_proc;
  if (msg == WM_SETTEXT || msg == WM_SETFONT) first.caption.valid = false;
  if (first.quiet++ == 0) {
    first.held = (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (first.held) DefWindowProcW(hwnd, WM_SETREDRAW, FALSE, 0);
  }
  const LRESULT result = CallWindowProcW(own, hwnd, msg, wp, lp);
  Restyled* e = Find(hwnd);
  if (e == nullptr) return result;  // destroyed meanwhile
  if (--e->quiet == 0) {
    if (e->held) DefWindowProcW(hwnd, WM_SETREDRAW, TRUE, 0);
    e->held = false;
    e->flags = ReadFlags(*e);
    // A control disabled under the pointer saw no leave: the pointer may be gone.
    if (e->flags & kHot) {
      POINT at{};
      GetCursorPos(&at);
      if (WindowFromPoint(at) != hwnd) e->flags &= ~kHot;
    }
    RedrawNow(*e);
  }
  return result;
}

void BecomeHot(HWND hwnd, bool left_held, bool nonclient) {
  Restyled* e = Find(hwnd);
  if (e == nullptr || (e->flags & kHot) || left_held) return;
  e->flags |= kHot;
  TRACKMOUSEEVENT track{sizeof track, DWORD(TME_LEAVE | (nonclient ? TME_NONCLIENT : 0)), hwnd, 0};
  TrackMouseEvent(&track);
  if (e->kind != Kind::kEdit) RedrawNow(*e);  // an edit field looks the same either way
}

void StopBeingHot(HWND hwnd) {
  Restyled* e = Find(hwnd);
  if (e == nullptr) return;
  const bool spin_changed = e->kind == Kind::kSpin && e->spin_hot >= 0;
  e->spin_hot = -1;
  if (!(e->flags & kHot) && !spin_changed) return;
  e->flags &= ~kHot;
  if (e->kind != Kind::kEdit) RedrawNow(*e);
}

// While the control holds the mouse capture the system's leave tracking lapses; once it
// lets go, the pointer is looked at again.
void RecheckHot(HWND hwnd) {
  Restyled* e = Find(hwnd);
  if (e == nullptr || !(e->flags & kHot)) return;
  POINT at{};
  GetCursorPos(&at);
  if (WindowFromPoint(at) != hwnd) {
    StopBeingHot(hwnd);
    return;
  }
  TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
  if (SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)) != HTCLIENT) {
    track.dwFlags |= TME_NONCLIENT;
  }
  TrackMouseEvent(&track);
}

// A mouse move inside the client area makes the control hot; one outside it (seen only
// while the control holds the capture) means the pointer has left.
void MouseMoved(HWND hwnd, WPARAM wp, LPARAM lp) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  const POINT p{short(LOWORD(lp)), short(HIWORD(lp))};
  if (!PtInRect(&rc, p)) {
    StopBeingHot(hwnd);
    return;
  }
  BecomeHot(hwnd, (wp & MK_LBUTTON) != 0, false);
}

// The messages that tell where the pointer is, for the hot flag: the control's own handling
// first, then ours. False for any other message, which is left to the caller.
bool FollowPointer(Restyled& e, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  switch (msg) {
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_KEYUP:
      break;
    default:
      return false;
  }
  const HWND hwnd = e.hwnd;
  *result = Own(e, msg, wp, lp);
  switch (msg) {
    case WM_MOUSEMOVE: MouseMoved(hwnd, wp, lp); break;
    case WM_NCMOUSEMOVE: BecomeHot(hwnd, GetKeyState(VK_LBUTTON) < 0, true); break;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE: StopBeingHot(hwnd); break;
    default: RecheckHot(hwnd); break;  // the capture may have ended
  }
  return true;
}

LRESULT PaintMessage(Restyled& e, UINT msg, WPARAM wp) {
  const HWND hwnd = e.hwnd;
  if (msg == WM_PRINTCLIENT) {
    Compose(e, reinterpret_cast<HDC>(wp));
    return 0;
  }
  PAINTSTRUCT ps;
  const HDC dc = BeginPaint(hwnd, &ps);  // may erase first, which fetches the colours again
  if (dc != nullptr) {
    if (Restyled* now = Find(hwnd)) Compose(*now, dc);
    EndPaint(hwnd, &ps);
  }
  return 0;
}

LRESULT ButtonMessage(Restyled& e, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
    case WM_SYSCOLORCHANGE:
    case WM_STYLECHANGED:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETIMAGE:
      return Quietly(e, msg, wp, lp);
    default: {
      LRESULT r = 0;
      return FollowPointer(e, msg, wp, lp, &r) ? r : Own(e, msg, wp, lp);
    }
  }
}

LRESULT EditMessage(Restyled& e, UINT msg, WPARAM wp, LPARAM lp) {
  const HWND hwnd = e.hwnd;
  switch (msg) {
    case WM_NCPAINT: {
      if (FrameIsRings(hwnd) && HasBorder(hwnd)) {
        DrawRings(e);
        return 0;
      }
      const LRESULT r = Own(e, msg, wp, lp);
      if (Restyled* now = Find(hwnd)) DrawRings(*now);
      return r;
    }
    case WM_PAINT: {
      const LRESULT r = Own(e, msg, wp, lp);
      if (Restyled* now = Find(hwnd)) DrawRings(*now);
      return r;
    }
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_STYLECHANGED:
    case WM_SYSCOLORCHANGE: {
      const LRESULT r = Own(e, msg, wp, lp);
      if (Restyled* now = Find(hwnd)) {
        now->flags = ReadFlags(*now);
        if (IsWindowVisible(hwnd)) DrawRings(*now);
      }
      return r;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_SETTEXT:
    case EM_SCROLL:
    case EM_LINESCROLL:
    case EM_SCROLLCARET:
    case EM_REPLACESEL:
    case EM_SETSEL: {
      const LRESULT r = Own(e, msg, wp, lp);
      // Scrolling moves client pixels; only a thin frame has a ring inside the client.
      Restyled* now = Find(hwnd);
      if (now != nullptr && IsWindowVisible(hwnd) && !RingsOutsideClient(hwnd)) DrawRings(*now);
      return r;
    }
    default: {
      LRESULT r = 0;
      return FollowPointer(e, msg, wp, lp, &r) ? r : Own(e, msg, wp, lp);
    }
  }
}

LRESULT DropListMessage(Restyled& e, UINT msg, WPARAM wp, LPARAM lp) {
  const HWND hwnd = e.hwnd;
  const LRESULT r = Own(e, msg, wp, lp);
  if (msg == WM_NCPAINT || msg == WM_ENABLE || msg == WM_SHOWWINDOW) {
    if (Restyled* now = Find(hwnd)) {
      now->flags = ReadFlags(*now);
      if (IsWindowVisible(hwnd)) DrawRings(*now);
    }
  }
  return r;
}

LRESULT ComboMessage(Restyled& e, UINT msg, WPARAM wp, LPARAM lp) {
  const HWND hwnd = e.hwnd;
  // Focus, dropping down and enabling all come as messages of their own; what changed
  // shows at the next paint.
  LRESULT r = 0;
  if (!FollowPointer(e, msg, wp, lp, &r)) r = Own(e, msg, wp, lp);
  Restyled* now = Find(hwnd);
  if (now != nullptr && msg != WM_DESTROY) {
    const StateFlags f = ReadFlags(*now);
    if (f != now->flags) {
      now->flags = f;
      InvalidateRect(hwnd, nullptr, FALSE);
    }
  }
  return r;
}

int SpinPartAt(HWND hwnd, LPARAM lp) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  const bool horizontal = (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
  const SpinParts parts = SplitSpin(rc.right, rc.bottom, horizontal);
  const POINT p{short(LOWORD(lp)), short(HIWORD(lp))};
  auto inside = [&](Box b) { return p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom; };
  if (inside(parts.first)) return 0;
  if (inside(parts.second)) return 1;
  return -1;
}

LRESULT SpinMessage(Restyled& e, UINT msg, WPARAM wp, LPARAM lp) {
  const HWND hwnd = e.hwnd;
  switch (msg) {
    case WM_MOUSELEAVE: {
      const LRESULT r = Own(e, msg, wp, lp);
      StopBeingHot(hwnd);
      return r;
    }
    default:
      break;
  }
  const LRESULT r = Own(e, msg, wp, lp);
  Restyled* now = Find(hwnd);
  if (now == nullptr) return r;
  const int hot = now->spin_hot, pressed = now->spin_pressed;
  const StateFlags before = now->flags;
  switch (msg) {
    case WM_MOUSEMOVE:
      if (!(now->flags & kHot) && !(wp & MK_LBUTTON)) {
        now->flags |= kHot;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, hwnd, 0};
        TrackMouseEvent(&track);
      }
      if (now->flags & kHot) now->spin_hot = SpinPartAt(hwnd, lp);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      now->spin_pressed = SpinPartAt(hwnd, lp);
      break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      now->spin_pressed = -1;
      break;
    case WM_ENABLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_STYLECHANGED:
      break;
    default:
      return r;
  }
  now->flags = ReadFlags(*now);
  if (now->flags != before || now->spin_hot != hot || now->spin_pressed != pressed) RedrawNow(*now);
  return r;
}

LRESULT CALLBACK StyledProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Restyled* e = Find(hwnd);
  if (e == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    const WNDPROC own = e->own_proc;
    const LRESULT r = CallWindowProcW(own, hwnd, msg, wp, lp);
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&StyledProc)) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
    }
    State().restyled.erase(hwnd);
    return r;
  }
  if (!e->active) return Own(*e, msg, wp, lp);
  if (e->kind != Kind::kEdit && e->kind != Kind::kDropList) {
    // Composed whole, off-screen: the paint covers everything, so nothing is erased first.
    switch (msg) {
      case WM_PAINT:
      case WM_PRINTCLIENT:
        return PaintMessage(*e, msg, wp);
      case WM_ERASEBKGND:
        if (e->kind != Kind::kCombo && e->kind != Kind::kSpin) {
          FetchParentColours(*e, reinterpret_cast<HDC>(wp));
        }
        return 1;
      default:
        break;
    }
  }
  switch (e->kind) {
    case Kind::kPushButton:
    case Kind::kCheckBox:
    case Kind::kRadioButton:
    case Kind::kGroupBox: return ButtonMessage(*e, msg, wp, lp);
    case Kind::kEdit: return EditMessage(*e, msg, wp, lp);
    case Kind::kCombo: return ComboMessage(*e, msg, wp, lp);
    case Kind::kDropList: return DropListMessage(*e, msg, wp, lp);
    case Kind::kSpin: return SpinMessage(*e, msg, wp, lp);
  }
  return Own(*e, msg, wp, lp);
}

// ---------------------------------------------------------------------------------------
// Which windows are restyled.

bool ClassIs(HWND hwnd, const wchar_t* name) {
  wchar_t cls[64];
  return hwnd != nullptr && GetClassNameW(hwnd, cls, int(std::size(cls))) > 0 &&
         _wcsicmp(cls, name) == 0;
}

std::optional<Kind> KindOf(HWND hwnd, DWORD style, HWND parent, bool has_caption) {
  if (ClassIs(hwnd, L"Button")) {
    if (style & (BS_BITMAP | BS_ICON)) return std::nullopt;
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        // An empty plain push button, nothing but a child window and a tab stop.
        if (!has_caption && (style & ~DWORD(WS_CHILD | WS_VISIBLE | WS_TABSTOP)) == 0) {
          return std::nullopt;
        }
        return Kind::kPushButton;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
        return (style & BS_PUSHLIKE) ? Kind::kPushButton : Kind::kCheckBox;
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        return (style & BS_PUSHLIKE) ? Kind::kPushButton : Kind::kRadioButton;
      case BS_GROUPBOX:
        return Kind::kGroupBox;
      default:  // owner-drawn, user buttons, push boxes, split buttons, command links
        return std::nullopt;
    }
  }
  if (ClassIs(hwnd, L"Edit")) {
    if (ClassIs(parent, WC_IPADDRESSW)) return std::nullopt;
    return Kind::kEdit;
  }
  if (ClassIs(hwnd, L"ComboBox")) {
    if ((style & 3) == CBS_SIMPLE) return std::nullopt;
    return Kind::kCombo;
  }
  // A combo box's list: covered when it drops down, not when it is always shown.
  if (ClassIs(hwnd, L"ComboLBox")) {
    if (style & WS_CHILD) return std::nullopt;
    return Kind::kDropList;
  }
  if (ClassIs(hwnd, UPDOWN_CLASSW)) return Kind::kSpin;
  return std::nullopt;
}

StateFlags FlagsFromStyle(Kind kind, DWORD style) {
  StateFlags f = 0;
  if (style & WS_DISABLED) f |= kDisabled;
  if (kind == Kind::kPushButton && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) f |= kDefault;
  if (kind == Kind::kEdit && (style & ES_READONLY)) f |= kReadOnly;
  return f;
}

// `creating`: the window is being made and has not yet seen a message.
void Restyle(HWND hwnd, DWORD style, HWND parent, bool has_caption, bool creating) {
  StyleState& s = State();
  if (Restyled* known = Find(hwnd)) {
    // Left in place when the style went, under another procedure: in use again.
    known->active = true;
    known->flags = ReadFlags(*known) | (known->flags & kReadOnly);
    known->caption.valid = false;
    known->colours_known = false;
    RedrawNow(*known);
    return;
  }
  const std::optional<Kind> kind = KindOf(hwnd, style, parent, has_caption);
  if (!kind) return;
  const auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  if (own == nullptr) return;

  auto entry = std::make_unique<Restyled>();
  entry->hwnd = hwnd;
  entry->kind = *kind;
  entry->own_proc = own;
  entry->flags = FlagsFromStyle(*kind, style);
  entry->background = Face();
  entry->text = FromRef(GetSysColor(COLOR_BTNTEXT));
  Restyled& e = *entry;
  s.restyled.emplace(hwnd, std::move(entry));
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&StyledProc));
  if (creating) return;  // it draws for the first time when it is shown

  e.flags = ReadFlags(e) | (e.flags & kReadOnly);
  if (e.kind == Kind::kEdit || e.kind == Kind::kDropList) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
  }
  RedrawNow(e);
}

void RestyleExisting(HWND hwnd) {
  if (GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) return;
  Restyle(hwnd, DWORD(GetWindowLongW(hwnd, GWL_STYLE)), GetAncestor(hwnd, GA_PARENT),
          GetWindowTextLengthW(hwnd) > 0, false);
}

BOOL CALLBACK RestyleChild(HWND hwnd, LPARAM) {
  RestyleExisting(hwnd);
  return TRUE;
}

BOOL CALLBACK RestyleTop(HWND hwnd, LPARAM) {
  RestyleExisting(hwnd);
  EnumChildWindows(hwnd, RestyleChild, 0);  // every level below
  return TRUE;
}

LRESULT CALLBACK CreationHook(int code, WPARAM wp, LPARAM lp) {
  // Hooks installed before ours may still refuse the window: asked first.
  const LRESULT refused = CallNextHookEx(nullptr, code, wp, lp);
  if (code == HCBT_CREATEWND && refused == 0 && State().style != 0) {
    const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lp)->lpcs;
    const bool has_caption =
        cs->lpszName != nullptr && (IS_INTRESOURCE(cs->lpszName) || cs->lpszName[0] != L'\0');
    try {
      Restyle(reinterpret_cast<HWND>(wp), DWORD(cs->style), cs->hwndParent, has_caption, true);
    } catch (...) {
      // Out of memory: the control keeps its own look.
    }
  }
  return refused;
}

void GiveBackAll() {
  StyleState& s = State();
  std::vector<HWND> windows;
  windows.reserve(s.restyled.size());
  for (const auto& [hwnd, entry] : s.restyled) windows.push_back(hwnd);
  for (HWND hwnd : windows) {
    Restyled* e = Find(hwnd);
    if (e == nullptr) continue;
    if (GetWindowLongPtrW(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&StyledProc)) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(e->own_proc));
      s.restyled.erase(hwnd);
    } else {
      e->active = false;  // another procedure above ours: ours only passes messages on
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
  s.off_screen.Release();
}

}  // namespace

bool ApplyVisualStyle(int style) {
  StyleState& s = State();
  try {
    if (style >= 1 && style <= 3) {
      if (s.style != 0) GiveBackAll();
      s.style = style;
      const DWORD thread = GetCurrentThreadId();
      if (s.hook == nullptr) s.hook = SetWindowsHookExW(WH_CBT, CreationHook, nullptr, thread);
      EnumThreadWindows(thread, RestyleTop, 0);
      return true;
    }
  } catch (...) {
    return s.style != 0;  // out of memory part-way: what was restyled stays so
  }
  if (s.style == 0) return false;
  GiveBackAll();
  if (s.hook != nullptr) UnhookWindowsHookEx(s.hook);
  s.hook = nullptr;
  s.style = 0;
  return true;
}

size_t RestyledControlCount() { return State().restyled.size(); }

}  // namespace ui
