#include "toolkit/win/text.h"

#include <windows.h>

namespace tk {

std::wstring Widen(std::string_view gbk) {
  if (gbk.empty() || gbk.size() > 0x7FFFFFFF) return {};
  const int n = MultiByteToWideChar(kTextCodePage, 0, gbk.data(), int(gbk.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(kTextCodePage, 0, gbk.data(), int(gbk.size()), out.data(), n);
  return out;
}

std::string Narrow(std::wstring_view wide) {
  if (wide.empty() || wide.size() > 0x3FFFFFFF) return {};
  const int n = WideCharToMultiByte(kTextCodePage, 0, wide.data(), int(wide.size()), nullptr, 0,
                                    nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(kTextCodePage, 0, wide.data(), int(wide.size()), out.data(), n, nullptr,
                      nullptr);
  return out;
}

}  // namespace tk
