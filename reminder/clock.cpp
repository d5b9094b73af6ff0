#include "reminder/clock.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace reminder {
namespace {

// Full-width forms to their ASCII look-alikes; a lone first byte at the end is half a
// character and dropped.
std::string FoldFullWidth(std::string_view gbk) {
  std::string out;
  out.reserve(gbk.size());
  for (size_t i = 0; i < gbk.size(); ++i) {
    const auto lead = static_cast<unsigned char>(gbk[i]);
    if (lead < 0x80) {
      out.push_back(char(lead));
      continue;
    }
    if (i + 1 == gbk.size()) break;
    const auto trail = static_cast<unsigned char>(gbk[++i]);
    if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) {
      out.push_back(char(trail - 0x80));  // the row of full-width "!" to "~"
    } else if (lead == 0xA1 && trail == 0xA1) {
      out.push_back(' ');  // ideographic space
    } else if (lead == 0xA1 && trail == 0xAB) {
      out.push_back('~');
    } else if (lead == 0xA1 && (trail == 0xEE || trail == 0xEF)) {
      out.push_back('*');  // white and black star
    } else {
      out.push_back(char(lead));
      out.push_back(char(trail));
    }
  }
  return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Roughly where the first significant digit of [-]digits[.digits][e[-]digits] stands:
// above 0 for numbers of 1 and more, the exponent saturated so that no length overflows.
long long DecimalMagnitude(const std::string& number) {
  const size_t e = number.find('e');
  const std::string mantissa = number.substr(0, e);
  long long exponent = 0;
  if (e != std::string::npos) {
    const bool negative = number[e + 1] == '-';
    for (size_t k = e + (negative ? 2 : 1); k < number.size(); ++k) {
      exponent = std::min(exponent * 10 + (number[k] - '0'), 1LL << 40);
    }
    if (negative) exponent = -exponent;
  }
  const size_t point = std::min(mantissa.find('.'), mantissa.size());
  const size_t first = mantissa.find_first_of("123456789");
  if (first == std::string::npos) return -1;  // all zeros
  const long long position =
      first < point ? (long long)(point - first) : -(long long)(first - point) + 1;
  return position + exponent;
}

}  // namespace

std::string FormatDateTime(const DateTime& t) {
  char text[96];
  int n = std::snprintf(text, sizeof(text), "%d年%d月%d日", int(t.year), int(t.month), int(t.day));
  if (n < 0) return {};
  const size_t room = sizeof(text) - size_t(n);
  if (t.second != 0) {
    std::snprintf(text + n, room, "%d时%d分%d秒", int(t.hour), int(t.minute), int(t.second));
  } else if (t.minute != 0) {
    std::snprintf(text + n, room, "%d时%d分", int(t.hour), int(t.minute));
  } else if (t.hour != 0) {
    std::snprintf(text + n, room, "%d时", int(t.hour));
  }
  return text;
}

double TextToNumber(std::string_view gbk) {
  const std::string text = FoldFullWidth(gbk);
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;

  // The number is copied in the one spelling from_chars reads, which does not depend on
  // the regional settings: [-]digits[.digits][e[-]digits].
  std::string number;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') number.push_back('-');
    ++i;
  }
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits = true;
      number.push_back(text[i]);
    } else if (text[i] == '.' && !point) {
      point = true;
      number.push_back('.');
    } else {
      break;
    }
  }
  if (!digits) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      if (text[j] == '-') exponent.push_back('-');
      ++j;
    }
    const size_t first = j;
    while (j < text.size() && IsDigit(text[j])) exponent.push_back(text[j++]);
    if (j > first) number += exponent;  // "5e" is 5 followed by a letter
  }
  double value = 0;
  const char* begin = number.data();
  const char* end = begin + number.size();
  const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Too large a number or too small a fraction: infinity or zero, as arithmetic has it.
    const double magnitude =
        DecimalMagnitude(number) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return number[0] == '-' ? -magnitude : magnitude;
  }
  if (ec != std::errc() || ptr != end) return 0;
  return value;
}

bool Matches(int32_t clock_value, double typed) {
  return std::fabs(double(clock_value) - typed) <= 1e-7;
}

}  // namespace reminder
