#include "toolkit/win/system_library.h"

namespace tk {

FARPROC SystemFunction(const wchar_t* dll, const char* name) {
  // LoadLibraryEx keeps its own count and is safe from any thread; a DLL already loaded is
  // found again at once.
  HMODULE module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return nullptr;
  return GetProcAddress(module, name);
}

}  // namespace tk
