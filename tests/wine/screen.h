// Looking at and typing into another program's windows, as a user would.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "wait.h"

namespace testing_support {

// Pixels of a rectangle of the screen, top row first.
struct Shot {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;
  COLORREF at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};
Shot ShootScreen(const RECT& area);
// What `draw` paints into a 32-bit bitmap of the given size.
Shot ShootDrawing(int width, int height, const std::function<void(HDC)>& draw);
// Saves a shot as a 24-bit BMP (for a person to look at).
bool SaveBmp(const Shot& shot, const std::wstring& path);

// Keys through the system's input queue, reaching the foreground window.
void PressKey(WORD vk, bool shift = false);
void TypeText(const std::wstring& text);
void ClickAt(int x, int y);
// The pointer moved to a place on the screen, and the left button or a key pressed or
// let go on its own.
void MoveTo(int x, int y);
void LeftButton(bool down);
void KeyState(WORD vk, bool down);
// Clicks the middle of a window as it lies on the screen.
void ClickOn(HWND hwnd);

// Top-level windows of a process with the given caption (visible ones only).
HWND FindProcessWindow(DWORD process_id, const wchar_t* caption);
std::vector<HWND> ProcessWindows(DWORD process_id);
// The focused window of the thread that owns `hwnd`.
HWND FocusOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);
std::wstring ClassOf(HWND hwnd);
// A child's rectangle relative to its parent's client area.
RECT RectInParent(HWND child);

}  // namespace testing_support
