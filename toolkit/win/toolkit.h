// The window toolkit's services: start-up, loading windows from their layouts, deferred
// destruction, the live-window bookkeeping and the message loop.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "toolkit/layout.h"
#include "toolkit/win/window.h"

namespace tk {

struct HandlerEntry {
  std::string_view name;
  Handler handler;
};

// Makes the folder of the program's executable the current directory, reads the layouts
// stored in the executable's LAYOUT resources and binds their handler names. False if a
// layout is damaged or names a handler that is not in the table.
bool Initialise(std::span<const HandlerEntry> handlers);

const LayoutSet& Layouts();
Handler FindHandler(std::string_view name);

// Creates the window and its controls, runs its created handler, then shows it if its
// layout says so. Null if the window is already live or cannot be created. Top-level, no
// owner, not modal.
Window* LoadWindow(std::string_view window_name);

// Marks the window and posts it a private message; it destroys itself when the message
// loop delivers that message.
void DestroyWindowLater(Window& window);

Window* FindLiveWindow(std::string_view window_name);
size_t LiveWindowCount();

// Runs the thread's message loop until the quit message. With no live window at all it
// returns at once. The end-of-program rule applies from here on: once the last live
// window is destroyed the quit message is posted with code 0.
void RunMessageLoop();
bool LoopStarted();

// What the loop does with each message: the window it belongs to sees keys first, then
// the message is translated and dispatched. Modal loops of the system do not come here.
void ProcessMessage(const MSG& msg);

// Bookkeeping called by windows themselves.
namespace detail {
void WindowCreated(Window* window);
void WindowDestroyed(Window* window);  // deletes it
}  // namespace detail

}  // namespace tk
