#include "toolkit/file_filter.h"

namespace tk {
namespace {

// The first bytes of code page 936, the code page the list is widened with; '|' (0x7C)
// lies in the range of second bytes, as in 亅 (81 7C).
bool IsFirstByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

std::string_view WithoutTrailingBlanks(std::string_view text) {
  const size_t last_kept = text.find_last_not_of(' ');
  return last_kept == std::string_view::npos ? std::string_view() : text.substr(0, last_kept + 1);
}

std::string_view WithoutHalfCharacterAtEnd(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const size_t width = IsFirstByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + width > text.size()) return text.substr(0, i);
    i += width;
  }
  return text;
}

}  // namespace

std::string SystemFilterList(std::string_view filter) {
  filter = WithoutHalfCharacterAtEnd(WithoutTrailingBlanks(filter));
  if (filter.empty()) return {};

  std::string list;
  list.reserve(filter.size() + 2);
  int closing_separators = 0;
  for (size_t i = 0; i < filter.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(filter[i]);
    if (IsFirstByte(byte)) {
      list.append(filter.substr(i, 2));
      ++i;
      closing_separators = 0;
    } else if (byte == '|') {
      list += '\0';
      ++closing_separators;
    } else {
      list += char(byte);
      closing_separators = 0;
    }
  }
  if (closing_separators < 2) list.append(2, '\0');
  return list;
}

}  // namespace tk
