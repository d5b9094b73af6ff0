#include "toolkit/win/controls.h"

#include "toolkit/geometry.h"
#include "toolkit/win/text.h"
#include "toolkit/win/window.h"

namespace tk {
namespace {

constexpr wchar_t kLabelClass[] = L"TavrinLabel";
constexpr wchar_t kPictureClass[] = L"TavrinPicture";

HFONT GuiFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

int GuiFontLineHeight() {
  ScopedWindowDc screen(nullptr);
  ScopedSelect font(screen.get(), GuiFont());
  TEXTMETRICW tm{};
  GetTextMetricsW(screen.get(), &tm);
  return tm.tmHeight;
}

std::wstring WindowTextW(HWND hwnd) {
  const int n = GetWindowTextLengthW(hwnd);
  if (n <= 0) return {};
  std::wstring text(size_t(n) + 1, L'\0');
  const int got = GetWindowTextW(hwnd, text.data(), n + 1);
  text.resize(size_t(got > 0 ? got : 0));
  return text;
}

}  // namespace

HWND Control::CreateChild(DWORD ex_style, const wchar_t* window_class, std::string_view text,
                          DWORD style, HWND container, int id, int height) {
  if (!layout_.enabled) style |= WS_DISABLED;
  if (layout_.tab_stop) style |= WS_TABSTOP;
  hwnd_ = CreateWindowExW(ex_style, window_class, Widen(text).c_str(), WS_CHILD | style,
                          layout_.left, layout_.top, layout_.width, height, container,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), this);
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), 0);
  return hwnd_;
}

// --- Label -------------------------------------------------------------------------------

bool Label::Create(HWND container, int id) {
  const DWORD ex = layout_.thin_sunken_border ? WS_EX_STATICEDGE : 0;
  return CreateChild(ex, kLabelClass, layout_.text, 0, container, id, layout_.height) != nullptr;
}

std::string Label::caption() const { return Narrow(WindowTextW(hwnd_)); }

void Label::SetCaption(std::string_view text) {
  SetWindowTextW(hwnd_, Widen(text).c_str());
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
}

void Label::PaintContent(HWND hwnd, HDC dc) {
  RECT rc;
  GetClientRect(hwnd, &rc);
  ScopedSelect font(dc, GuiFont());
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  const std::wstring text = WindowTextW(hwnd);
  // One call paints the face and the text, clipped to the label, so it never flickers
  // when the caption is rewritten many times a second.
  const int y = (rc.bottom - rc.top - tm.tmHeight) / 2;
  ExtTextOutW(dc, 0, y, ETO_OPAQUE | ETO_CLIPPED, &rc, text.c_str(), UINT(text.size()), nullptr);
}

LRESULT CALLBACK Label::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      ScopedPaint paint(hwnd);
      PaintContent(hwnd, paint.dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintContent(hwnd, reinterpret_cast<HDC>(wp));
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// --- Button and check box ------------------------------------------------------------------

bool Button::Create(HWND container, int id) {
  return CreateChild(0, L"BUTTON", layout_.text,
                     BS_PUSHBUTTON | BS_MULTILINE | BS_CENTER | BS_VCENTER, container, id,
                     layout_.height) != nullptr;
}

bool Button::disabled() const { return !IsWindowEnabled(hwnd_); }

void Button::SetDisabled(bool disabled) {
  if (this->disabled() != disabled) EnableWindow(hwnd_, disabled ? FALSE : TRUE);
}

bool CheckBox::Create(HWND container, int id) {
  if (CreateChild(0, L"BUTTON", layout_.text, BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER, container,
                  id, layout_.height) == nullptr) {
    return false;
  }
  SetTicked(layout_.ticked);
  return true;
}

bool CheckBox::ticked() const {
  return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void CheckBox::SetTicked(bool ticked) {
  SendMessageW(hwnd_, BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// --- Edit box ------------------------------------------------------------------------------

bool EditBox::Create(HWND container, int id) {
  DWORD style = ES_LEFT;
  // Without ES_AUTOHSCROLL a multi-line box wraps at its right edge.
  style |= layout_.multiline ? ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN : ES_AUTOHSCROLL;
  const int height = EditBoxHeight(layout_.height, layout_.multiline, GuiFontLineHeight(),
                                   GetSystemMetrics(SM_CYEDGE));
  if (CreateChild(WS_EX_CLIENTEDGE, L"EDIT", layout_.text, style, container, id, height) ==
      nullptr) {
    return false;
  }
  SendMessageW(hwnd_, EM_SETLIMITTEXT, 0, 0);  // 0: as long as the system allows
  return true;
}

std::string EditBox::text() const { return Narrow(WindowTextW(hwnd_)); }

void EditBox::SetText(std::string_view text) { SetWindowTextW(hwnd_, Widen(text).c_str()); }

COLORREF EditBox::text_colour() const {
  if (!layout_.text_colour) return RGB(0, 0, 0);
  return RGB(layout_.text_colour->r, layout_.text_colour->g, layout_.text_colour->b);
}

// --- Picture box ---------------------------------------------------------------------------

bool PicBox::Create(HWND container, int id) {
  if (!layout_.picture.empty()) {
    const std::wstring name = Widen(layout_.picture);
    HRSRC found = FindResourceW(Instance(), name.c_str(), RT_RCDATA);
    HGLOBAL loaded = found ? LoadResource(Instance(), found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes != nullptr) {
      picture_ = DecodeJpeg(static_cast<const uint8_t*>(bytes), SizeofResource(Instance(), found));
    }
  }
  return CreateChild(0, kPictureClass, "", 0, container, id, layout_.height) != nullptr;
}

void PicBox::PaintContent(HDC dc) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const SIZE size{rc.right - rc.left, rc.bottom - rc.top};
  if (size.cx <= 0 || size.cy <= 0) return;
  UniqueMemoryDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  if (!cache_ || cache_size_.cx != size.cx || cache_size_.cy != size.cy) {
    cache_.Reset(CreateCompatibleBitmap(dc, size.cx, size.cy));
    cache_size_ = size;
    if (!cache_) return;
    ScopedSelect bitmap(memory.get(), cache_.get());
    FillRect(memory.get(), &rc, GetSysColorBrush(COLOR_BTNFACE));
    if (picture_) {
      const Rect at = FitPicture(size.cx, size.cy, picture_->width, picture_->height);
      const int bits = GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES);
      SetStretchBltMode(memory.get(), bits > 16 ? HALFTONE : COLORONCOLOR);
      SetBrushOrgEx(memory.get(), 0, 0, nullptr);  // HALFTONE needs it set after the mode
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof(info.bmiHeader);
      info.bmiHeader.biWidth = picture_->width;
      info.bmiHeader.biHeight = -picture_->height;  // top-down rows
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 24;
      info.bmiHeader.biCompression = BI_RGB;
      StretchDIBits(memory.get(), at.left, at.top, at.width, at.height, 0, 0, picture_->width,
                    picture_->height, picture_->pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    }
  }
  ScopedSelect bitmap(memory.get(), cache_.get());
  BitBlt(dc, 0, 0, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
}

LRESULT CALLBACK PicBox::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<PicBox*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      ScopedPaint paint(hwnd);
      if (self != nullptr) self->PaintContent(paint.dc());
      return 0;
    }
    case WM_PRINTCLIENT:
      if (self != nullptr) self->PaintContent(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// --- Timer ---------------------------------------------------------------------------------

bool Timer::Create(HWND, int id) {
  host_ = owner_.hwnd();
  timer_id_ = UINT_PTR(id);
  SetPeriod(layout_.period);
  return true;
}

Timer::~Timer() {
  if (host_ != nullptr && period_.running()) KillTimer(host_, timer_id_);
}

void Timer::SetPeriod(int32_t milliseconds) {
  switch (period_.Set(milliseconds)) {
    case TimerPeriod::Action::kNone:
      break;
    case TimerPeriod::Action::kStop:
      if (host_ != nullptr) KillTimer(host_, timer_id_);
      break;
    case TimerPeriod::Action::kRestart:
      // SetTimer on an id already running replaces it, which restarts the countdown.
      if (host_ != nullptr) SetTimer(host_, timer_id_, UINT(period_.value()), nullptr);
      break;
  }
}

// --- Classes -------------------------------------------------------------------------------

bool RegisterControlClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpfnWndProc = Label::Proc;
  wc.lpszClassName = kLabelClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  wc.lpfnWndProc = PicBox::Proc;
  wc.lpszClassName = kPictureClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  return true;
}

}  // namespace tk
