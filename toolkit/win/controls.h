// The control kinds a layout can hold, with the run-time properties event handlers use.
// Each control object owns its child window (if it has one) for the life of its window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/win/handles.h"
#include "toolkit/jpeg_image.h"
#include "toolkit/layout.h"
#include "toolkit/timer_period.h"

namespace tk {

class Window;

class Control {
 public:
  Control(Window& owner, const ControlLayout& layout) : owner_(owner), layout_(layout) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const ControlLayout& layout() const { return layout_; }
  const std::string& name() const { return layout_.name; }
  Window& owner() const { return owner_; }
  // The control's own window; none for timers and file dialogs.
  HWND hwnd() const { return hwnd_; }

  // Makes the control, hidden, inside `container`. `id` identifies it in notifications.
  virtual bool Create(HWND container, int id) = 0;

 protected:
  HWND CreateChild(DWORD ex_style, const wchar_t* window_class, std::string_view text,
                   DWORD style, HWND container, int id, int height);

  Window& owner_;
  const ControlLayout& layout_;
  HWND hwnd_ = nullptr;
};

// Drawn by the toolkit: one line, face-coloured and opaque, cut off at its edge.
class Label final : public Control {
 public:
  using Control::Control;
  bool Create(HWND container, int id) override;

  std::string caption() const;
  void SetCaption(std::string_view text);  // redraws at once

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  static void PaintContent(HWND hwnd, HDC dc);
};

class Button final : public Control {
 public:
  using Control::Control;
  bool Create(HWND container, int id) override;

  bool disabled() const;
  void SetDisabled(bool disabled);
};

class CheckBox final : public Control {
 public:
  using Control::Control;
  bool Create(HWND container, int id) override;

  bool ticked() const;
  void SetTicked(bool ticked);
};

class EditBox final : public Control {
 public:
  using Control::Control;
  bool Create(HWND container, int id) override;

  std::string text() const;
  void SetText(std::string_view text);
  COLORREF text_colour() const;
};

// Shows its picture in the fitting display mode. The picture is decoded once, when the
// box is made; the fitted result is kept in an off-screen bitmap that is rebuilt only when
// the box's size changes.
class PicBox final : public Control {
 public:
  using Control::Control;
  bool Create(HWND container, int id) override;

  bool has_picture() const { return picture_.has_value(); }
  // What the box shows, drawn into any DC (the screen or a test's bitmap).
  void PaintContent(HDC dc);

  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  std::optional<Bgr24Image> picture_;
  UniqueBitmap cache_;
  SIZE cache_size_{};
};

// A window timer of the owning window; destroying the window stops it.
class Timer final : public Control {
 public:
  using Control::Control;
  ~Timer() override;
  bool Create(HWND container, int id) override;

  int32_t period() const { return period_.value(); }
  void SetPeriod(int32_t milliseconds);
  UINT_PTR timer_id() const { return timer_id_; }
  // The window is going away; the system stops its timers with it.
  void Detach() { host_ = nullptr; }

 private:
  TimerPeriod period_;
  HWND host_ = nullptr;
  UINT_PTR timer_id_ = 0;
};

// The open/save dialog's settings as the component keeps them between openings.
struct FileDialogSettings {
  enum class Kind { kOpen, kSave };
  Kind kind = Kind::kOpen;
  std::string filter;     // "name|pattern|name|pattern", GBK
  std::string file_name;  // the path confirmed last, GBK; shown in the name field
  std::string title;      // empty: the system's own title
  std::string initial_folder;
  std::string default_extension;
  int filter_index = 1;
  bool file_must_exist = true;
  bool path_must_exist = true;
  bool hide_read_only = true;
  bool create_prompt = false;
  bool overwrite_prompt = true;
  bool keep_current_folder = false;
  bool multiple_selection = false;
  bool explorer_look = true;
  bool resizable = true;
  size_t path_buffer_bytes = 260;
};

class FileDialog final : public Control {
 public:
  using Control::Control;
  bool Create(HWND, int) override { return true; }

  FileDialogSettings& settings() { return settings_; }
  const FileDialogSettings& settings() const { return settings_; }

  // Shows the system's dialog, modal to the owning window, with the settings held. On a
  // confirmation the full path (GBK) goes into `chosen` and becomes the file name shown
  // at the next opening; a cancellation, or a path longer than the buffer holds, changes
  // nothing and gives false.
  bool Open(std::string* chosen);

 private:
  FileDialogSettings settings_;
};

// Registers the toolkit's own control classes; false if the system refuses.
bool RegisterControlClasses(HINSTANCE instance);

}  // namespace tk
