// The name 编辑框4 shows for the chosen sound: the part of its full path after the last
// backslash, found without mistaking the second byte of a GBK character for one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace reminder {

// The 1-based byte position of the last backslash of `gbk`, or -1 when it has none.
std::ptrdiff_t LastBackslashPosition(std::string_view gbk);

// The last N bytes of `path`, N being its length less the last backslash's position:
// the empty text for N <= 0, the whole path when there is no backslash.
std::string DisplayedSoundName(std::string_view path);

}  // namespace reminder
