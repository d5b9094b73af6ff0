// A top-level window built from its layout, owning its controls.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "toolkit/layout.h"
#include "toolkit/tab_order.h"
#include "toolkit/win/controls.h"
#include "toolkit/win/handles.h"

namespace tk {

class Window;
using Handler = void (*)(Window&);

// The window class of every top-level window of the toolkit.
inline constexpr wchar_t kWindowClass[] = L"TavrinWindow";

class Window {
 public:
  explicit Window(const WindowLayout& layout) : layout_(layout) {}
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  ~Window();

  const WindowLayout& layout() const { return layout_; }
  const std::string& name() const { return layout_.name; }
  HWND hwnd() const { return hwnd_; }
  bool destroy_pending() const { return destroy_pending_; }

  // A control by its layout name and kind; null when there is no such control.
  template <typename T>
  T* Find(std::string_view control_name) const {
    for (const auto& c : controls_) {
      if (c->name() == control_name) return dynamic_cast<T*>(c.get());
    }
    return nullptr;
  }
  // Controls in creation order.
  const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }

  // Creates the window hidden, placed and sized, then its controls; false on failure (the
  // object is then unused).
  bool Create();
  // Shows the window if its layout marks it visible.
  void ShowAsLaid();
  void RaiseCreated();
  void RequestDestroy();

  // Keys the window handles itself before the focused control sees them; true if used.
  bool PreTranslateKey(const MSG& msg);

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
  bool CreateControls();
  Control* ControlOf(HWND child) const;
  std::vector<TabEntry> TabEntries() const;
  void MoveFocus(bool backwards);
  void FocusOnActivation();
  void Raise(const ControlLayout& layout, std::string_view event);

  const WindowLayout& layout_;
  HWND hwnd_ = nullptr;
  bool destroy_pending_ = false;
  HWND last_focus_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
  UniqueIcon big_icon_;
  UniqueIcon small_icon_;
};

}  // namespace tk
