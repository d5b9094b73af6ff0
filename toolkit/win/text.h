// The program keeps every text as GBK bytes; the system is spoken to in UTF-16, converted
// with code page 936 explicitly, so the texts come out right whatever the ANSI code page.
#pragma once

#include <string>
#include <string_view>

namespace tk {

inline constexpr unsigned kTextCodePage = 936;

std::wstring Widen(std::string_view gbk);
std::string Narrow(std::wstring_view wide);

}  // namespace tk
