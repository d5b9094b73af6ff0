#include "reminder/clock.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace reminder {
namespace {

TEST(FormatDateTime, DropsTrailingZeroUnitsAndLeadingZeros) {
  const struct {
    DateTime t;
    const char* text;
  } cases[] = {
      {{2014, 10, 22, 22, 7, 5}, "2014年10月22日22时7分5秒"},
      {{2014, 10, 22, 22, 7, 0}, "2014年10月22日22时7分"},
      {{2014, 10, 22, 22, 0, 0}, "2014年10月22日22时"},
      {{2014, 10, 22, 22, 0, 30}, "2014年10月22日22时0分30秒"},
      {{2014, 10, 23, 0, 0, 0}, "2014年10月23日"},
      {{2014, 10, 23, 0, 0, 9}, "2014年10月23日0时0分9秒"},
      {{2014, 10, 23, 0, 30, 0}, "2014年10月23日0时30分"},
      {{2015, 1, 5, 9, 5, 3}, "2015年1月5日9时5分3秒"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.t), c.text) << c.text;
  // 年 月 日 时 分 秒 are two bytes each in GBK: the longest text is 26 bytes.
  EXPECT_EQ(FormatDateTime({2014, 10, 22, 22, 17, 25}).size(), 26u);
}

TEST(FormatDateTime, ExtremeFieldsStillFit) {
  const DateTime t{INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
  const std::string text = FormatDateTime(t);
  EXPECT_EQ(text.rfind("-2147483648年", 0), 0u);
  EXPECT_NE(text.find("-2147483648秒"), std::string::npos);
}

struct Typed {
  const char* what;
  std::string text;
  double value;
  int matches;  // the hour it matches, or -1 for none of 0 to 59
};

class TypedNumber : public testing::TestWithParam<Typed> {};

TEST_P(TypedNumber, ReadsAndMatchesAsTyped) {
  const Typed& c = GetParam();
  const double x = TextToNumber(c.text);
  if (std::isinf(c.value)) {
    EXPECT_EQ(x, c.value);
  } else {
    EXPECT_NEAR(x, c.value, 1e-12 * std::max(1.0, std::fabs(c.value)));
  }
  for (int v = 0; v < 60; ++v) EXPECT_EQ(Matches(v, x), v == c.matches) << "value " << v;
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Table, TypedNumber,
    testing::Values(
        Typed{"8", "8", 8, 8}, Typed{"08", "08", 8, 8}, Typed{"8.0", "8.0", 8, 8},
        Typed{"full-width 8", "\xA3\xB8", 8, 8},
        Typed{"ideographic space then 8", "\xA1\xA1" "8", 8, 8},
        Typed{"blanks then 8", " \t\r\n\v\f8", 8, 8}, Typed{"8 then a space", "8 ", 8, 8},
        Typed{"8 then a Chinese character", "8中", 8, 8},
        Typed{"7.99999995", "7.99999995", 7.99999995, 8},
        Typed{"8.0000002", "8.0000002", 8.0000002, -1}, Typed{"8.5", "8.5", 8.5, -1},
        Typed{"24", "24", 24, 24}, Typed{"-1", "-1", -1, -1}, Typed{"+8", "+8", 8, 8},
        Typed{"empty", "", 0, 0}, Typed{"text", "abc", 0, 0}, Typed{"5.", "5.", 5, 5},
        Typed{".5", ".5", 0.5, -1}, Typed{"a lone point", ".", 0, 0},
        Typed{"two points", "1.2.3", 1.2, -1}, Typed{"1e1", "1e1", 10, 10},
        Typed{"1d1", "1d1", 10, 10}, Typed{"1E+1", "1E+1", 10, 10},
        Typed{"1D-1", "1D-1", 0.1, -1}, Typed{"5e without digits", "5e", 5, 5},
        Typed{"hexadecimal", "0x10", 0, 0}, Typed{"inf", "inf", 0, 0},
        Typed{"nan", "nan", 0, 0}, Typed{"sign alone", "-", 0, 0},
        Typed{"lone lead byte at the end", "8\xB0", 8, 8},
        Typed{"lone lead byte only", "\xB0", 0, 0},
        Typed{"full-width minus and point", "\xA3\xAD\xA3\xB1\xA3\xAE\xA3\xB5", -1.5, -1},
        Typed{"full-width plus", "\xA3\xAB\xA3\xB3", 3, 3},
        Typed{"comma is no separator", "8,5", 8, 8},
        Typed{"too large", "1e999", HUGE_VAL, -1}, Typed{"too large, long", std::string(400, '9'), HUGE_VAL, -1},
        Typed{"too small", "1e-999", 0, 0}, Typed{"huge exponent", "-1e99999999999999999999", -HUGE_VAL, -1},
        Typed{"leading zeros", std::string(1000, '0') + "7", 7, 7}),
    [](const testing::TestParamInfo<Typed>& info) {
      std::string name;
      for (char ch : std::string(info.param.what)) {
        name.push_back(std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_');
      }
      return name;
    });

TEST(TextToNumber, AnyBytesOfAnyLengthReadSafely) {
  std::string junk;
  for (int i = 0; i < 200000; ++i) junk.push_back(char((i * 7919) & 0xFF));
  EXPECT_TRUE(std::isfinite(TextToNumber(junk)) || std::isinf(TextToNumber(junk)));
  EXPECT_EQ(TextToNumber(std::string(100000, '\xA3')), 0);
  EXPECT_EQ(TextToNumber(std::string("12") + std::string(100000, '0') + "e-100000"), 12);
}

TEST(Matches, BoundIsInclusive) {
  // At 0 the difference is the bound exactly, not a neighbour of it.
  EXPECT_TRUE(Matches(0, 1e-7));
  EXPECT_TRUE(Matches(0, -1e-7));
  EXPECT_FALSE(Matches(0, std::nextafter(1e-7, 1.0)));
  EXPECT_FALSE(Matches(8, 8 + 2e-7));
  EXPECT_FALSE(Matches(8, HUGE_VAL));
  EXPECT_FALSE(Matches(INT32_MAX, -HUGE_VAL));
}

}  // namespace
}  // namespace reminder
