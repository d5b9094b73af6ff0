#include "toolkit/layout.h"

#include <charconv>

namespace tk {
namespace {

constexpr std::string_view kKindNames[] = {"Label", "Button", "CheckBox", "EditBox",
                                           "PicBox", "Timer",  "CommonDlg"};

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits one line into words and quoted texts. A quote never occurs as the second byte of
// a GBK character (those are 0x40 and up), so a plain byte scan finds the closing quote.
bool Tokenise(std::string_view line, std::vector<Token>* tokens, std::string* why) {
  size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
    } else if (c == '#') {
      break;
    } else if (c == '"') {
      const size_t close = line.find('"', i + 1);
      if (close == std::string_view::npos) {
        *why = "unterminated text";
        return false;
      }
      tokens->push_back({std::string(line.substr(i + 1, close - i - 1)), true});
      i = close + 1;
    } else {
      size_t end = i;
      while (end < line.size() && line[end] != ' ' && line[end] != '\t' && line[end] != '\r' &&
             line[end] != '"') {
        ++end;
      }
      tokens->push_back({std::string(line.substr(i, end - i)), false});
      i = end;
    }
  }
  return true;
}

bool ToInt(const Token& t, int* out) {
  if (t.quoted || t.text.empty()) return false;
  const char* first = t.text.data();
  const char* last = first + t.text.size();
  auto [ptr, ec] = std::from_chars(first, last, *out);
  return ec == std::errc() && ptr == last;
}

bool ToYesNo(const Token& t, bool* out) {
  if (t.quoted) return false;
  if (t.text == "yes") {
    *out = true;
    return true;
  }
  if (t.text == "no") {
    *out = false;
    return true;
  }
  return false;
}

class Parser {
 public:
  explicit Parser(std::vector<WindowLayout>* out) : out_(out) {}

  bool Line(const std::vector<Token>& t, std::string* why) {
    if (t.empty()) return true;
    if (t[0].quoted) return Fail(why, "a line must begin with a keyword");
    const std::string& key = t[0].text;
    if (key == "window") return BeginWindow(t, why);
    if (window_ == nullptr) return Fail(why, "'" + key + "' outside a window");
    if (key == "end") return EndWindow(t, why);
    if (key == "control") return BeginControl(t, why);
    if (control_ != nullptr) return ControlProperty(t, why);
    return WindowProperty(t, why);
  }

  bool Finish(std::string* why) {
    if (window_ != nullptr) return Fail(why, "window '" + window_->name + "' lacks its 'end'");
    return true;
  }

 private:
  static bool Fail(std::string* why, std::string text) {
    *why = std::move(text);
    return false;
  }

  static bool Count(const std::vector<Token>& t, size_t n, std::string* why) {
    if (t.size() != n) return Fail(why, "'" + t[0].text + "' takes " + std::to_string(n - 1) +
                                            " value(s)");
    return true;
  }

  bool BeginWindow(const std::vector<Token>& t, std::string* why) {
    if (window_ != nullptr) return Fail(why, "window inside a window");
    if (!Count(t, 2, why)) return false;
    for (const WindowLayout& w : *out_) {
      if (w.name == t[1].text) return Fail(why, "window '" + t[1].text + "' twice");
    }
    out_->emplace_back();
    window_ = &out_->back();
    window_->name = t[1].text;
    return true;
  }

  bool EndWindow(const std::vector<Token>& t, std::string* why) {
    if (!Count(t, 1, why)) return false;
    if (window_->width <= 0 || window_->height <= 0) return Fail(why, "window without a size");
    // A container must be created before what it holds, i.e. stored after it.
    const auto& c = window_->controls;
    for (size_t i = 0; i < c.size(); ++i) {
      if (c[i].container.empty()) continue;
      bool found = false;
      for (size_t j = i + 1; j < c.size(); ++j) {
        if (c[j].name == c[i].container && IsWindowedKind(c[j].kind)) found = true;
      }
      if (!found) {
        return Fail(why, "control '" + c[i].name + "': container '" + c[i].container +
                             "' is not a windowed control stored after it");
      }
    }
    window_ = nullptr;
    control_ = nullptr;
    return true;
  }

  bool BeginControl(const std::vector<Token>& t, std::string* why) {
    if (!Count(t, 3, why)) return false;
    const auto kind = ControlKindFromName(t[1].text);
    if (!kind) return Fail(why, "unknown control kind '" + t[1].text + "'");
    if (window_->FindControl(t[2].text) != nullptr) {
      return Fail(why, "control '" + t[2].text + "' twice");
    }
    window_->controls.emplace_back();
    control_ = &window_->controls.back();
    control_->kind = *kind;
    control_->name = t[2].text;
    return true;
  }

  static bool Pair(const std::vector<Token>& t, int* a, int* b, std::string* why) {
    if (!Count(t, 3, why)) return false;
    if (!ToInt(t[1], a) || !ToInt(t[2], b)) return Fail(why, "'" + t[0].text + "' needs numbers");
    return true;
  }

  static bool Size(const std::vector<Token>& t, int* w, int* h, std::string* why) {
    if (!Pair(t, w, h, why)) return false;
    if (*w < 0 || *h < 0) return Fail(why, "negative size");
    return true;
  }

  static bool Text(const std::vector<Token>& t, std::string* out, std::string* why) {
    if (!Count(t, 2, why)) return false;
    if (!t[1].quoted) return Fail(why, "'" + t[0].text + "' needs a quoted text");
    *out = t[1].text;
    return true;
  }

  static bool Word(const std::vector<Token>& t, std::string* out, std::string* why) {
    if (!Count(t, 2, why)) return false;
    if (t[1].quoted) return Fail(why, "'" + t[0].text + "' needs a name, not a text");
    *out = t[1].text;
    return true;
  }

  static bool Flag(const std::vector<Token>& t, bool* out, std::string* why) {
    if (!Count(t, 2, why)) return false;
    if (!ToYesNo(t[1], out)) return Fail(why, "'" + t[0].text + "' takes yes or no");
    return true;
  }

  static bool Event(const std::vector<Token>& t,
                    std::map<std::string, std::string, std::less<>>* events, std::string* why) {
    if (!Count(t, 3, why)) return false;
    if (t[1].quoted || t[2].quoted) return Fail(why, "'on' takes an event and a handler name");
    if (!events->emplace(t[1].text, t[2].text).second) {
      return Fail(why, "event '" + t[1].text + "' twice");
    }
    return true;
  }

  bool WindowProperty(const std::vector<Token>& t, std::string* why) {
    WindowLayout& w = *window_;
    const std::string& key = t[0].text;
    if (key == "caption") return Text(t, &w.caption, why);
    if (key == "size") return Size(t, &w.width, &w.height, why);
    if (key == "place") return Pair(t, &w.left, &w.top, why);
    if (key == "icon") return Word(t, &w.icon, why);
    if (key == "visible") return Flag(t, &w.visible, why);
    if (key == "enabled") return Flag(t, &w.enabled, why);
    if (key == "taskbar") return Flag(t, &w.taskbar, why);
    if (key == "topmost") return Flag(t, &w.topmost, why);
    if (key == "esc-closes") return Flag(t, &w.esc_closes, why);
    if (key == "enter-moves-focus") return Flag(t, &w.enter_moves_focus, why);
    if (key == "on") return Event(t, &w.events, why);
    if (key == "frame") {
      std::string v;
      if (!Word(t, &v, why)) return false;
      if (v == "fixed") {
        w.frame = Frame::kFixed;
      } else if (v == "none") {
        w.frame = Frame::kNone;
      } else {
        return Fail(why, "frame is 'fixed' or 'none'");
      }
      return true;
    }
    return Fail(why, "unknown window setting '" + key + "'");
  }

  bool ControlProperty(const std::vector<Token>& t, std::string* why) {
    ControlLayout& c = *control_;
    const std::string& key = t[0].text;
    if (key == "place") return Pair(t, &c.left, &c.top, why);
    if (key == "size") return Size(t, &c.width, &c.height, why);
    if (key == "text") return Text(t, &c.text, why);
    if (key == "container") return Word(t, &c.container, why);
    if (key == "picture") return Word(t, &c.picture, why);
    if (key == "tab-stop") return Flag(t, &c.tab_stop, why);
    if (key == "enabled") return Flag(t, &c.enabled, why);
    if (key == "ticked") return Flag(t, &c.ticked, why);
    if (key == "multiline") return Flag(t, &c.multiline, why);
    if (key == "on") return Event(t, &c.events, why);
    if (key == "tab-index") {
      if (!Count(t, 2, why)) return false;
      if (!ToInt(t[1], &c.tab_index)) return Fail(why, "tab-index needs a number");
      return true;
    }
    if (key == "period") {
      int v = 0;
      if (!Count(t, 2, why)) return false;
      if (!ToInt(t[1], &v)) return Fail(why, "period needs a number");
      c.period = v;
      return true;
    }
    if (key == "border") {
      std::string v;
      if (!Word(t, &v, why)) return false;
      if (v == "thin-sunken") {
        c.thin_sunken_border = true;
      } else if (v == "none") {
        c.thin_sunken_border = false;
      } else {
        return Fail(why, "border is 'thin-sunken' or 'none'");
      }
      return true;
    }
    if (key == "text-colour") {
      int r = 0, g = 0, b = 0;
      if (!Count(t, 4, why)) return false;
      if (!ToInt(t[1], &r) || !ToInt(t[2], &g) || !ToInt(t[3], &b) || r < 0 || r > 255 || g < 0 ||
          g > 255 || b < 0 || b > 255) {
        return Fail(why, "text-colour needs three numbers from 0 to 255");
      }
      c.text_colour = Rgb{uint8_t(r), uint8_t(g), uint8_t(b)};
      return true;
    }
    return Fail(why, "unknown control setting '" + key + "'");
  }

  std::vector<WindowLayout>* out_;
  WindowLayout* window_ = nullptr;
  ControlLayout* control_ = nullptr;
};

}  // namespace

std::optional<ControlKind> ControlKindFromName(std::string_view name) {
  for (size_t i = 0; i < std::size(kKindNames); ++i) {
    if (kKindNames[i] == name) return ControlKind(i);
  }
  return std::nullopt;
}

std::string_view ControlKindName(ControlKind kind) { return kKindNames[size_t(kind)]; }

bool IsWindowedKind(ControlKind kind) {
  return kind != ControlKind::kTimer && kind != ControlKind::kCommonDlg;
}

std::string_view ControlLayout::Handler(std::string_view event) const {
  auto it = events.find(event);
  return it == events.end() ? std::string_view() : std::string_view(it->second);
}

const ControlLayout* WindowLayout::FindControl(std::string_view control_name) const {
  for (const ControlLayout& c : controls) {
    if (c.name == control_name) return &c;
  }
  return nullptr;
}

std::string_view WindowLayout::Handler(std::string_view event) const {
  auto it = events.find(event);
  return it == events.end() ? std::string_view() : std::string_view(it->second);
}

bool LayoutSet::Add(std::string_view text, std::string* error) {
  std::vector<WindowLayout> parsed = windows_;
  Parser parser(&parsed);
  std::string why;
  size_t line_no = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    ++line_no;
    std::vector<Token> tokens;
    if (!Tokenise(text.substr(pos, end - pos), &tokens, &why) || !parser.Line(tokens, &why)) {
      if (error) *error = "line " + std::to_string(line_no) + ": " + why;
      return false;
    }
    pos = end + 1;
  }
  if (!parser.Finish(&why)) {
    if (error) *error = "line " + std::to_string(line_no) + " (end of text): " + why;
    return false;
  }
  windows_ = std::move(parsed);
  return true;
}

const WindowLayout* LayoutSet::Find(std::string_view window_name) const {
  for (const WindowLayout& w : windows_) {
    if (w.name == window_name) return &w;
  }
  return nullptr;
}

}  // namespace tk
