#include "reminder/sound_name.h"

namespace reminder {

std::ptrdiff_t LastBackslashPosition(std::string_view gbk) {
  std::ptrdiff_t last = -1;
  for (size_t i = 0; i < gbk.size(); ++i) {
    if (static_cast<unsigned char>(gbk[i]) >= 0x80) {
      // 0x5C is a valid second byte (籠 is BB 5C), so the byte after a first byte is
      // never looked at; a first byte that ends the text ends the walk.
      ++i;
      continue;
    }
    if (gbk[i] == '\\') last = std::ptrdiff_t(i) + 1;
  }
  return last;
}

std::string DisplayedSoundName(std::string_view path) {
  const std::ptrdiff_t length = std::ptrdiff_t(path.size());
  const std::ptrdiff_t kept = length - LastBackslashPosition(path);
  if (kept <= 0) return {};
  if (kept > length) return std::string(path);
  return std::string(path.substr(size_t(length - kept)));
}

}  // namespace reminder
