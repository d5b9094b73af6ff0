#include "screen.h"

namespace testing_support {

Shot ShootDrawing(int width, int height, const std::function<void(HDC)>& draw) {
  Shot shot;
  shot.width = width;
  shot.height = height;
  if (shot.width <= 0 || shot.height <= 0) return shot;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = shot.width;
  info.bmiHeader.biHeight = -shot.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  draw(memory);
  GdiFlush();
  shot.pixels.resize(size_t(shot.width) * shot.height);
  const auto* p = static_cast<const uint32_t*>(bits);
  for (size_t i = 0; i < shot.pixels.size(); ++i) {
    shot.pixels[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return shot;
}

Shot ShootScreen(const RECT& area) {
  return ShootDrawing(area.right - area.left, area.bottom - area.top, [&](HDC memory) {
    HDC screen = GetDC(nullptr);
    BitBlt(memory, 0, 0, area.right - area.left, area.bottom - area.top, screen, area.left,
           area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
  });
}

bool SaveBmp(const Shot& shot, const std::wstring& path) {
  const int stride = (shot.width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof(info);
  info.biWidth = shot.width;
  info.biHeight = -shot.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + DWORD(stride) * shot.height;
  std::string data(size_t(stride) * shot.height, '\0');
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      const COLORREF c = shot.at(x, y);
      char* p = &data[size_t(y) * stride + size_t(x) * 3];
      p[0] = char(GetBValue(c));
      p[1] = char(GetGValue(c));
      p[2] = char(GetRValue(c));
    }
  }
  HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD n = 0;
  WriteFile(out, &file, sizeof(file), &n, nullptr);
  WriteFile(out, &info, sizeof(info), &n, nullptr);
  WriteFile(out, data.data(), DWORD(data.size()), &n, nullptr);
  CloseHandle(out);
  return true;
}

namespace {

INPUT Key(WORD vk, bool up) {
  INPUT in{};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = vk;
  in.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return in;
}

}  // namespace

void PressKey(WORD vk, bool shift) {
  INPUT keys[4];
  UINT n = 0;
  if (shift) keys[n++] = Key(VK_SHIFT, false);
  keys[n++] = Key(vk, false);
  keys[n++] = Key(vk, true);
  if (shift) keys[n++] = Key(VK_SHIFT, true);
  SendInput(n, keys, sizeof(INPUT));
  Sleep(60);
}

void TypeText(const std::wstring& text) {
  for (wchar_t c : text) {
    INPUT in[2] = {};
    for (int i = 0; i < 2; ++i) {
      in[i].type = INPUT_KEYBOARD;
      in[i].ki.wScan = c;
      in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i == 1 ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, in, sizeof(INPUT));
    Sleep(15);
  }
  Sleep(60);
}

void MoveTo(int x, int y) {
  // Moved like a real mouse, through the input queue; Wine sometimes drops a single
  // move, so it is repeated until the pointer is really there.
  for (int attempt = 0; attempt < 20; ++attempt) {
    INPUT move{};
    move.type = INPUT_MOUSE;
    move.mi.dx = LONG((x * 65536LL + 32768) / GetSystemMetrics(SM_CXSCREEN));
    move.mi.dy = LONG((y * 65536LL + 32768) / GetSystemMetrics(SM_CYSCREEN));
    move.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &move, sizeof(INPUT));
    Sleep(50);
    POINT at{};
    GetCursorPos(&at);
    if (at.x == x && at.y == y) break;
    SetCursorPos(x, y);
    Sleep(50);
  }
}

void LeftButton(bool down) {
  INPUT button{};
  button.type = INPUT_MOUSE;
  button.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
  SendInput(1, &button, sizeof(INPUT));
  Sleep(down ? 60 : 100);
}

void KeyState(WORD vk, bool down) {
  INPUT key = Key(vk, !down);
  SendInput(1, &key, sizeof(INPUT));
  Sleep(60);
}

void ClickAt(int x, int y) {
  MoveTo(x, y);
  LeftButton(true);
  LeftButton(false);
}

void ClickOn(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

namespace {

struct Search {
  DWORD process_id;
  std::vector<HWND> found;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == s->process_id && IsWindowVisible(hwnd)) s->found.push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> ProcessWindows(DWORD process_id) {
  Search s{process_id, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindProcessWindow(DWORD process_id, const wchar_t* caption) {
  for (HWND h : ProcessWindows(process_id)) {
    if (TextOf(h) == caption) return h;
  }
  return nullptr;
}

HWND FocusOf(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[512] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, LPARAM(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[128] = {};
  GetClassNameW(hwnd, name, 128);
  return name;
}

RECT RectInParent(HWND child) {
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

}  // namespace testing_support
