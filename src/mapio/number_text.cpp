#include "mapio/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// True when text starts with digits, or a point followed by a digit.
bool has_numeric_start(std::string_view text) {
  if (text.empty()) return false;
  if (is_digit(text[0])) return true;
  return text.size() > 1 && text[0] == '.' && is_digit(text[1]);
}

// Plain decimals ("448", "-1.000000") make up nearly every number of a map.
// When all their digits fit below 2^53 and there are at most 22 decimals, the
// digits and the power of ten are both exact doubles, so one division gives
// the correctly rounded value, the same the full conversion gives. Anything
// else (exponents, long digit strings) is left to from_chars.
bool quick_decimal(std::string_view s, double& out) {
  static constexpr double POWERS[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  std::uint64_t digits = 0;
  int count = 0, decimals = 0;
  std::size_t i = 0;
  bool point = false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (is_digit(c)) {
      if (++count > 15) return false;  // 10^15 < 2^53
      digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
      decimals += point ? 1 : 0;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) return false;
  out = static_cast<double>(digits) / POWERS[decimals];
  return true;
}

double flag(bool* malformed) {
  if (malformed != nullptr) *malformed = true;
  return 0.0;
}

}  // namespace

double number_from_text(std::string_view text, bool* malformed) {
  std::size_t i = 0;
  while (i < text.size() && is_c_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::string_view rest = text.substr(i);
  // from_chars would also take "inf" and "nan"; the C conversion would too, but
  // such values must never reach the map, so they are turned away here.
  if (!has_numeric_start(rest)) return flag(malformed);

  // Hexadecimal like "0x1p4" is read as the C conversion reads it.
  const bool hex = rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X') &&
                   (std::isxdigit(static_cast<unsigned char>(rest[2])) || rest[2] == '.');
  double quick = 0;
  if (!hex && quick_decimal(rest, quick)) return negative ? -quick : quick;
  const std::string_view digits = hex ? rest.substr(2) : rest;
  double value = 0;
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                         hex ? std::chars_format::hex : std::chars_format::general);
  (void)end;
  // Out of range covers overflow and also underflow below the smallest
  // double; both read as 0 and are counted.
  if (ec != std::errc{} || !std::isfinite(value)) return flag(malformed);
  return negative ? -value : value;
}

namespace {

// A plain decimal at p ("-64", "0.500000", no exponent, at most 15 digits),
// the form of nearly every number of a map: the same digits and the same
// division that quick_decimal makes, without the general checks. Zeros at the
// end of the decimals are left out of both the digits and the power of ten,
// which leaves the quotient as it is and spares the division for whole
// numbers. Returns where the number ends, or nullptr when what is at p is not
// such a number (then out is not set).
[[gnu::always_inline]] inline const char* plain_decimal(const char* p, const char* end, float& out) {
  const bool negative = p != end && *p == '-';
  p += negative ? 1 : 0;
  std::uint64_t digits = 0;
  const char* const first = p;
  while (p != end && is_digit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
  auto count = p - first;
  int decimals = 0;
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    while (p != end && is_digit(*p)) ++p;
    count += p - fraction;
    if (count > 15) return nullptr;
    const char* last = p;
    while (last != fraction && last[-1] == '0') --last;
    for (const char* q = fraction; q != last; ++q)
      digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
    decimals = static_cast<int>(last - fraction);
  }
  if (count == 0 || count > 15) return nullptr;
  static constexpr double POWERS[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                      1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  double v = static_cast<double>(digits);
  if (decimals > 0) v /= POWERS[decimals];
  out = static_cast<float>(negative ? -v : v);
  return p;
}

}  // namespace

float float_from_word(const char* p, const char* end, const char** word_end, bool* malformed) {
  const char* const start = p;
  float v = 0;
  if (const char* stop = plain_decimal(p, end, v); stop != nullptr && (stop == end || is_c_space(*stop))) {
    *word_end = stop;
    return v;
  }
  while (p != end && !is_c_space(*p)) ++p;
  *word_end = p;
  return float_from_text(std::string_view(start, static_cast<std::size_t>(p - start)), malformed);
}

float float_from_text(std::string_view text, bool* malformed) {
  {
    const char* p = text.data();
    const char* const end = p + text.size();
    float v = 0;
    if (const char* stop = plain_decimal(p, end, v); stop != nullptr && stop == end) return v;
  }
  bool bad = false;
  const double v = number_from_text(text, &bad);
  if (bad || std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max()))
    return static_cast<float>(flag(malformed));
  return static_cast<float>(v);
}

void append_fixed(std::string& out, double v, int decimals) {
  // Enough for the longest double in fixed notation (309 digits) plus decimals.
  char buf[400];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
  if (ec == std::errc{}) out.append(buf, end);
}

void append_shortest(std::string& out, float v) {
  char buf[400];
  std::to_chars_result r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
  // The reader goes through double on its way to float; where that could
  // land on a neighbour, the double's own shortest text is exact.
  if (r.ec == std::errc{} &&
      float_from_text(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf))) != v) {
    r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(v), std::chars_format::fixed);
  }
  if (r.ec == std::errc{}) out.append(buf, r.ptr);
}

std::string format_lf(double v) {
  std::string s;
  append_fixed(s, v, 6);
  return s;
}

std::string format_0lf(double v) {
  std::string s;
  append_fixed(s, v, 0);
  return s;
}
