#include <windows.h>

#include "reminder/clock.h"

namespace reminder {

DateTime CurrentDateTime() {
  SYSTEMTIME now;
  GetLocalTime(&now);  // the milliseconds are dropped, never rounded
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
}

}  // namespace reminder
