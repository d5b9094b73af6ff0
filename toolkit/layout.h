// Window layouts as data: what a window and each of its controls look like when the
// window is built. The layouts ship inside the program as text resources and are parsed
// once when the toolkit starts; nothing here knows about Win32.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tk {

enum class ControlKind { kLabel, kButton, kCheckBox, kEditBox, kPicBox, kTimer, kCommonDlg };

// The type names the layouts use: Label, Button, CheckBox, EditBox, PicBox, Timer, CommonDlg.
std::optional<ControlKind> ControlKindFromName(std::string_view name);
std::string_view ControlKindName(ControlKind kind);

// Timers and file dialogs have no window of their own and are never shown.
bool IsWindowedKind(ControlKind kind);

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

enum class Frame { kFixed, kNone };

// Texts are GBK byte strings, exactly as stored.
struct ControlLayout {
  ControlKind kind = ControlKind::kLabel;
  std::string name;
  std::string container;  // empty: the window itself
  int left = 0, top = 0, width = 0, height = 0;
  std::string text;
  bool tab_stop = false;
  int tab_index = 0;
  bool enabled = true;
  bool ticked = false;
  bool multiline = false;
  bool thin_sunken_border = false;
  std::optional<Rgb> text_colour;  // absent: black
  std::string picture;             // resource name of a picture box's picture
  int32_t period = 0;              // timers
  std::map<std::string, std::string, std::less<>> events;  // event name -> handler name

  std::string_view Handler(std::string_view event) const;
};

struct WindowLayout {
  std::string name;
  std::string caption;
  int width = 0, height = 0;
  int left = 0, top = 0;  // stored place; windows are centred, so it is not used
  Frame frame = Frame::kFixed;
  std::string icon;  // resource name; empty: the program's default icon
  bool visible = true;
  bool enabled = true;
  bool taskbar = true;
  bool topmost = false;
  bool esc_closes = true;
  bool enter_moves_focus = false;
  std::map<std::string, std::string, std::less<>> events;
  // Stored order: the reverse of the creation order.
  std::vector<ControlLayout> controls;

  const ControlLayout* FindControl(std::string_view name) const;
  std::string_view Handler(std::string_view event) const;
};

class LayoutSet {
 public:
  // Parses one layout text (one or more windows) and adds its windows. On a fault nothing
  // is added and `error` says which line and why.
  bool Add(std::string_view text, std::string* error);
  const WindowLayout* Find(std::string_view window_name) const;
  const std::vector<WindowLayout>& windows() const { return windows_; }

 private:
  std::vector<WindowLayout> windows_;
};

}  // namespace tk
