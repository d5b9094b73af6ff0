#include "toolkit/win/toolkit.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/win/controls.h"

namespace tk {
namespace {

struct State {
  LayoutSet layouts;
  std::vector<HandlerEntry> handlers;
  // Every window object, live or being made; the live ones also in `live`.
  std::vector<std::unique_ptr<Window>> objects;
  std::vector<Window*> live;
  bool loop_started = false;
};

State& state() {
  static State s;
  return s;
}

void UseExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    if (n == 0) return;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return;
  path.resize(slash == 2 && path[1] == L':' ? slash + 1 : slash);  // keep "C:\" a root
  SetCurrentDirectoryW(path.c_str());
}

BOOL CALLBACK AddLayout(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param) {
  auto* ok = reinterpret_cast<bool*>(param);
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (bytes == nullptr) {
    *ok = false;
    return TRUE;
  }
  std::string error;
  if (!state().layouts.Add(std::string_view(bytes, SizeofResource(module, found)), &error)) {
    *ok = false;
  }
  return TRUE;
}

bool HandlerKnown(std::string_view name) { return name.empty() || FindHandler(name) != nullptr; }

bool AllHandlersKnown() {
  for (const WindowLayout& w : state().layouts.windows()) {
    for (const auto& [event, handler] : w.events) {
      if (!HandlerKnown(handler)) return false;
    }
    for (const ControlLayout& c : w.controls) {
      for (const auto& [event, handler] : c.events) {
        if (!HandlerKnown(handler)) return false;
      }
    }
  }
  return true;
}

bool RegisterWindowClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = Window::Proc;
  wc.hInstance = instance;
  // Windows without an icon of their own show the program's.
  wc.hIcon = LoadIconW(instance, L"APPICON");
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, L"APPICON", IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

void Forget(Window* window) {
  auto& objects = state().objects;
  auto it = std::find_if(objects.begin(), objects.end(),
                         [&](const std::unique_ptr<Window>& o) { return o.get() == window; });
  if (it != objects.end()) objects.erase(it);
}

bool IsLive(const Window* window) {
  const auto& live = state().live;
  return std::find(live.begin(), live.end(), window) != live.end();
}

}  // namespace

bool Initialise(std::span<const HandlerEntry> handlers) {
  UseExecutableFolder();
  State& s = state();
  s.handlers.assign(handlers.begin(), handlers.end());
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterWindowClass(instance) || !RegisterControlClasses(instance)) return false;
  s.layouts = LayoutSet();  // a second start reads them afresh
  bool ok = true;
  if (!EnumResourceNamesW(instance, L"LAYOUT", AddLayout, reinterpret_cast<LONG_PTR>(&ok))) {
    return false;
  }
  return ok && AllHandlersKnown();
}

const LayoutSet& Layouts() { return state().layouts; }

Handler FindHandler(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const HandlerEntry& h : state().handlers) {
    if (h.name == name) return h.handler;
  }
  return nullptr;
}

Window* LoadWindow(std::string_view window_name) {
  State& s = state();
  const WindowLayout* layout = s.layouts.Find(window_name);
  if (layout == nullptr || FindLiveWindow(window_name) != nullptr) return nullptr;
  s.objects.push_back(std::make_unique<Window>(*layout));
  Window* window = s.objects.back().get();
  if (!window->Create()) {
    if (IsLive(window)) {
      DestroyWindow(window->hwnd());  // its last message forgets it
    } else {
      Forget(window);
    }
    return nullptr;
  }
  window->RaiseCreated();
  if (!IsLive(window)) return nullptr;
  window->ShowAsLaid();
  return IsLive(window) ? window : nullptr;
}

void DestroyWindowLater(Window& window) { window.RequestDestroy(); }

Window* FindLiveWindow(std::string_view window_name) {
  for (Window* w : state().live) {
    if (w->name() == window_name) return w;
  }
  return nullptr;
}

size_t LiveWindowCount() { return state().live.size(); }

bool LoopStarted() { return state().loop_started; }

void RunMessageLoop() {
  State& s = state();
  s.loop_started = true;
  if (s.live.empty()) return;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) ProcessMessage(msg);
}

void ProcessMessage(const MSG& msg) {
  if (msg.hwnd != nullptr) {
    const HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    for (Window* w : state().live) {
      if (w->hwnd() == root) {
        if (w->PreTranslateKey(msg)) return;
        break;
      }
    }
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

namespace detail {

void WindowCreated(Window* window) { state().live.push_back(window); }

void WindowDestroyed(Window* window) {
  State& s = state();
  auto it = std::find(s.live.begin(), s.live.end(), window);
  if (it == s.live.end()) return;  // creation failed half-way; LoadWindow cleans up
  s.live.erase(it);
  Forget(window);
  if (s.live.empty() && s.loop_started) PostQuitMessage(0);
}

}  // namespace detail
}  // namespace tk
