#include "toolkit/win/message_box.h"

#include <windows.h>

#include "toolkit/win/text.h"

namespace tk {

void ShowMessageBox(std::string_view body, std::string_view title) {
  MessageBoxW(nullptr, Widen(body).c_str(), Widen(title).c_str(), MB_OK | MB_TASKMODAL);
}

}  // namespace tk
