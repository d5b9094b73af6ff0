#include "toolkit/win/window.h"

#include "toolkit/geometry.h"
#include "toolkit/tab_order.h"
#include "toolkit/win/text.h"
#include "toolkit/win/toolkit.h"

namespace tk {
namespace {

constexpr UINT kMsgDestroyLater = WM_APP + 1;
constexpr int kFirstControlId = 1000;

bool Pressed(int key) { return GetKeyState(key) < 0; }

}  // namespace

Window::~Window() = default;

bool Window::Create() {
  DWORD style = WS_CLIPCHILDREN;
  style |= layout_.frame == Frame::kFixed ? WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU : WS_POPUP;
  if (!layout_.enabled) style |= WS_DISABLED;
  DWORD ex_style = layout_.taskbar ? WS_EX_APPWINDOW : WS_EX_TOOLWINDOW;
  if (layout_.topmost) ex_style |= WS_EX_TOPMOST;

  const Point at = CentreOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                  layout_.width, layout_.height);
  const HWND created = CreateWindowExW(ex_style, kWindowClass, Widen(layout_.caption).c_str(),
                                       style, at.x, at.y, layout_.width, layout_.height, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), this);
  if (created == nullptr) return false;
  detail::WindowCreated(this);

  RECT outer;
  GetWindowRect(hwnd_, &outer);
  if (outer.right - outer.left != layout_.width || outer.bottom - outer.top != layout_.height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, layout_.width, layout_.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }

  if (!layout_.icon.empty()) {
    // The icon file holds several sizes; the system picks from it the size it asks for.
    const std::wstring icon = Widen(layout_.icon);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    big_icon_.Reset(static_cast<HICON>(LoadImageW(instance, icon.c_str(), IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXICON),
                                                  GetSystemMetrics(SM_CYICON), 0)));
    small_icon_.Reset(static_cast<HICON>(LoadImageW(instance, icon.c_str(), IMAGE_ICON,
                                                    GetSystemMetrics(SM_CXSMICON),
                                                    GetSystemMetrics(SM_CYSMICON), 0)));
    if (big_icon_) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, LPARAM(big_icon_.get()));
    if (small_icon_) SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, LPARAM(small_icon_.get()));
  }
  return CreateControls();
}

bool Window::CreateControls() {
  const auto& stored = layout_.controls;
  controls_.reserve(stored.size());
  // Created from the end of the stored list to its start.
  for (size_t i = stored.size(); i-- > 0;) {
    const ControlLayout& c = stored[i];
    std::unique_ptr<Control> control;
    switch (c.kind) {
      case ControlKind::kLabel: control = std::make_unique<Label>(*this, c); break;
      case ControlKind::kButton: control = std::make_unique<Button>(*this, c); break;
      case ControlKind::kCheckBox: control = std::make_unique<CheckBox>(*this, c); break;
      case ControlKind::kEditBox: control = std::make_unique<EditBox>(*this, c); break;
      case ControlKind::kPicBox: control = std::make_unique<PicBox>(*this, c); break;
      case ControlKind::kTimer: control = std::make_unique<Timer>(*this, c); break;
      case ControlKind::kCommonDlg: control = std::make_unique<FileDialog>(*this, c); break;
    }
    HWND container = hwnd_;
    if (!c.container.empty()) {
      const Control* holder = Find<Control>(c.container);
      if (holder == nullptr || holder->hwnd() == nullptr) return false;
      container = holder->hwnd();
    }
    const int id = kFirstControlId + int(controls_.size());
    Control* raw = control.get();
    controls_.push_back(std::move(control));
    if (!raw->Create(container, id)) return false;
    // Each new control goes on top, so the first stored (last created) ends up top-most.
    if (raw->hwnd() != nullptr) {
      SetWindowPos(raw->hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
  }
  // Shown together while the window itself is still hidden, so they appear at once.
  for (const auto& c : controls_) {
    if (c->hwnd() != nullptr) ShowWindow(c->hwnd(), SW_SHOWNA);
  }
  return true;
}

void Window::ShowAsLaid() {
  if (!layout_.visible) return;
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
}

void Window::RequestDestroy() {
  if (destroy_pending_) return;
  destroy_pending_ = true;
  PostMessageW(hwnd_, kMsgDestroyLater, 0, 0);
}

Control* Window::ControlOf(HWND child) const {
  if (child == nullptr) return nullptr;
  for (const auto& c : controls_) {
    if (c->hwnd() == child) return c.get();
  }
  return nullptr;
}

void Window::Raise(const ControlLayout& layout, std::string_view event) {
  if (Handler handler = FindHandler(layout.Handler(event))) handler(*this);
}

void Window::RaiseCreated() {
  if (Handler handler = FindHandler(layout_.Handler("created"))) handler(*this);
}

std::vector<TabEntry> Window::TabEntries() const {
  std::vector<TabEntry> entries;
  entries.reserve(controls_.size());
  for (const auto& c : controls_) {
    const HWND h = c->hwnd();
    entries.push_back({c->layout().tab_index, c->layout().tab_stop && h != nullptr,
                       h != nullptr && IsWindowVisible(h) != FALSE,
                       h != nullptr && IsWindowEnabled(h) != FALSE});
  }
  return entries;
}

void Window::MoveFocus(bool backwards) {
  std::optional<size_t> current;
  const HWND focus = GetFocus();
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (focus != nullptr && controls_[i]->hwnd() == focus) current = i;
  }
  const auto next = NextTabStop(TabEntries(), current, backwards);
  if (!next) return;
  const Control& target = *controls_[*next];
  SetFocus(target.hwnd());
  // Like a dialog: an edit box reached by Tab has its text selected.
  if (dynamic_cast<const EditBox*>(&target) != nullptr) {
    SendMessageW(target.hwnd(), EM_SETSEL, 0, -1);
  }
}

void Window::FocusOnActivation() {
  if (last_focus_ != nullptr && IsWindow(last_focus_) && IsChild(hwnd_, last_focus_) &&
      IsWindowVisible(last_focus_) && IsWindowEnabled(last_focus_)) {
    SetFocus(last_focus_);
    return;
  }
  if (const auto first = FirstTabStop(TabEntries())) SetFocus(controls_[*first]->hwnd());
}

bool Window::PreTranslateKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  const bool shift = Pressed(VK_SHIFT);
  const bool ctrl = Pressed(VK_CONTROL);
  const bool alt = (HIWORD(msg.lParam) & KF_ALTDOWN) != 0 || Pressed(VK_MENU);
  const bool plain = !shift && !ctrl && !alt;
  switch (msg.wParam) {
    case VK_TAB:
      if (ctrl || alt) return false;
      MoveFocus(shift);
      return true;
    case VK_ESCAPE:
      if (!plain || !layout_.esc_closes) return false;
      // Closing destroys this object; nothing of it may be touched afterwards.
      SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      return true;
    case VK_RETURN: {
      if (!plain) return false;
      const auto* edit = dynamic_cast<const EditBox*>(ControlOf(GetFocus()));
      if (edit != nullptr && edit->layout().multiline) return false;  // a new line
      if (layout_.enter_moves_focus) {
        MoveFocus(false);
        return true;
      }
      return false;  // no default button: Enter reaches the focused control as it is
    }
    case VK_F1:
      return plain;  // no help file
  }
  return false;
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      if (HIWORD(wp) == BN_CLICKED) {
        if (Control* c = ControlOf(reinterpret_cast<HWND>(lp))) Raise(c->layout(), "clicked");
      }
      return 0;
    case WM_TIMER:
      for (const auto& c : controls_) {
        auto* timer = dynamic_cast<Timer*>(c.get());
        if (timer != nullptr && timer->timer_id() == wp) {
          if (timer->period() > 0) Raise(timer->layout(), "tick");
          return 0;
        }
      }
      break;
    case WM_CTLCOLOREDIT:
      if (auto* edit = dynamic_cast<EditBox*>(ControlOf(reinterpret_cast<HWND>(lp)))) {
        const HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, edit->text_colour());
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
      }
      break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (dynamic_cast<CheckBox*>(ControlOf(reinterpret_cast<HWND>(lp))) != nullptr ||
          dynamic_cast<Button*>(ControlOf(reinterpret_cast<HWND>(lp))) != nullptr) {
        const HDC dc = reinterpret_cast<HDC>(wp);
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      }
      break;
    case WM_SETCURSOR:
      // No control stores a pointer of its own: the arrow everywhere, edit boxes included
      // (a child asks its parent first, so this overrides their I-beam).
      if (LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) last_focus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      FocusOnActivation();
      return 0;
    case kMsgDestroyLater:
      destroy_pending_ = false;
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      for (const auto& c : controls_) {
        if (auto* timer = dynamic_cast<Timer*>(c.get())) {
          if (timer->period() > 0) KillTimer(hwnd_, timer->timer_id());
          timer->Detach();
        }
      }
      return 0;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    detail::WindowDestroyed(self);  // may delete self
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  // No exception may cross into the system's code.
  try {
    return self->HandleMessage(msg, wp, lp);
  } catch (...) {
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

}  // namespace tk
