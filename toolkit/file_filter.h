// The file dialog's filter, "name|pattern|name|pattern" in GBK, made into the list the
// system's dialog takes: each entry ended by a NUL, the list by an empty entry.
#pragma once

#include <string>
#include <string_view>

namespace tk {

// Trailing blanks are cut off, then a first byte left alone at the end (half a character
// is no text); "||" is appended unless the text already ends with two separators, and
// every '|' that is not the second byte of a character becomes a NUL: "mp3|*.mp3" gives
// "mp3\0*.mp3\0\0". A filter with nothing left gives the empty string: no list at
// all, so that the dialog shows every file.
std::string SystemFilterList(std::string_view filter);

}  // namespace tk
