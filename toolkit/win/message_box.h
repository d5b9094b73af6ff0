// The system's message box, for GBK texts.
#pragma once

#include <string_view>

namespace tk {

// OK alone, no icon, no owner, task-modal: every top-level window of the thread is disabled
// until the user dismisses it. Returns then.
void ShowMessageBox(std::string_view body, std::string_view title);

}  // namespace tk
