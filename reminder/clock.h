// The clock text, reading numbers out of what the user typed, and when a typed number
// names the clock's hour or minute. Portable: the clock itself is read elsewhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace reminder {

// A reading of the local clock, to the whole second.
struct DateTime {
  int32_t year = 0, month = 0, day = 0;
  int32_t hour = 0, minute = 0, second = 0;
};

// The current local date and time, daylight saving applied, fractions dropped.
DateTime CurrentDateTime();

// "2015年1月5日9时5分3秒" (GBK): no leading zeros; the seconds, then the minutes, then the
// hour left out from the end while they are 0, so midnight shows the date alone.
std::string FormatDateTime(const DateTime& t);

// The number a text begins with, after full-width forms are folded to ASCII: optional
// blanks, an optional sign, decimal digits with at most one ".", an optional exponent
// (e, E, d or D). Whatever follows is ignored; no number at all reads as 0. No
// hexadecimal, no inf or nan, "." whatever the regional settings.
double TextToNumber(std::string_view gbk);

// The clock's value and a typed number match when they differ by at most 1e-7.
bool Matches(int32_t clock_value, double typed);

}  // namespace reminder
