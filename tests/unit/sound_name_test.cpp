#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "toolkit/file_filter.h"
#include "reminder/sound_name.h"

namespace reminder {
namespace {

using namespace std::string_literals;

// The cases below are only worth something if the literals really are GBK.
TEST(SoundName, LiteralsAreGbk) {
  EXPECT_EQ("籠"s, "\xBB\x5C"s);
  EXPECT_EQ("謡"s, "\xD6\x7C"s);
}

struct NameCase {
  const char* what;
  std::string path;
  std::ptrdiff_t backslash;
  std::string name;
};

TEST(SoundName, NameIsWhatFollowsTheLastBackslash) {
  const NameCase cases[] = {
      {"plain path", "C:\\music\\alarm.mp3", 9, "alarm.mp3"},
      {"second byte 0x5C is no backslash", "D:\\歌\\籠.mp3", 6, "籠.mp3"},
      {"no backslash: whole path", "alarm.mp3", -1, "alarm.mp3"},
      {"ends in a backslash", "C:\\music\\", 9, ""},
      {"empty", "", -1, ""},
      {"only a backslash", "\\", 1, ""},
      {"a character ending in 0x5C alone", "籠", -1, "籠"},
      {"a character ending in 0x5C last", "C:\\x籠", 3, "x籠"},
      {"two characters in a row stay paired", "\xBB\xBB\\a", 3, "a"},
      {"a first byte then an ASCII byte", "歌\\a", 3, "a"},
      {"0x80 begins a character too", "a\x80\\b", -1, "a\x80\\b"},
      {"0xFF begins a character too", "a\xFF\\b", -1, "a\xFF\\b"},
      {"lone first byte at the end", "C:\\a\\\xBB", 5, "\xBB"},
      {"lone first byte after the last backslash", "C:\\\xBB", 3, "\xBB"},
      {"lone first byte alone", "\xBB", -1, "\xBB"},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(LastBackslashPosition(c.path), c.backslash) << c.what;
    EXPECT_EQ(DisplayedSoundName(c.path), c.name) << c.what;
  }
}

struct FilterCase {
  const char* what;
  std::string filter;
  std::string list;
};

TEST(FilterList, BecomesTheSystemsDoubleNulList) {
  const FilterCase cases[] = {
      {"one pair", "mp3|*.mp3", "mp3\0*.mp3\0\0"s},
      {"trailing blanks cut", "mp3|*.mp3   ", "mp3\0*.mp3\0\0"s},
      {"already closed", "mp3|*.mp3||", "mp3\0*.mp3\0\0"s},
      {"closed before the blanks", "mp3|*.mp3||  ", "mp3\0*.mp3\0\0"s},
      {"one bar is not a closing", "mp3|*.mp3|", "mp3\0*.mp3\0\0\0"s},
      {"two pairs", "音乐|*.mp3|全部|*.*", "音乐\0*.mp3\0全部\0*.*\0\0"s},
      {"second byte 0x7C splits nothing", "謡|*.x", "謡\0*.x\0\0"s},
      {"second byte 0x7C is not a closing bar", "a|b謡|", "a\0b謡\0\0\0"s},
      {"text ending in a second byte 0x7C", "a|b謡", "a\0b謡\0\0"s},
      {"lone first byte dropped", "mp3|*.mp3\xD6", "mp3\0*.mp3\0\0"s},
      {"lone first byte before blanks dropped", "mp3|*.mp3\xD6  ", "mp3\0*.mp3\0\0"s},
      {"lone first byte after the closing", "mp3|*.mp3||\xD6", "mp3\0*.mp3\0\0"s},
      {"empty: no list", "", ""},
      {"blanks only: no list", "   ", ""},
      {"half a character only: no list", "\xD6", ""},
  };
  for (const FilterCase& c : cases) {
    EXPECT_EQ(tk::SystemFilterList(c.filter), c.list) << c.what;
  }
}

}  // namespace
}  // namespace reminder
