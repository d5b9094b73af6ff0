// The flat gradient look for the standard controls of the user-interface thread: those
// that exist when it is applied and those the thread creates afterwards (the message box's
// buttons, the file dialog's buttons, fields and lists).
#pragma once

#include <cstddef>

namespace ui {

// Style 1, 2 or 3: gives back what an earlier call restyled, then restyles the thread's
// windows now and from now on. Styles 1 and 2 have no palettes of their own and look like
// 3. Any other value gives every restyled control its own drawing back and stops
// restyling new windows. True when a style was applied or one in force removed, false when
// there was nothing to remove. Called on the user-interface thread.
bool ApplyVisualStyle(int style);

// How many controls are restyled now (they leave when destroyed or when the style goes).
size_t RestyledControlCount();

}  // namespace ui
