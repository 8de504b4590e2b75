#include "base/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>

namespace {

using namespace number_text_detail;

// True when text starts with digits, or a point followed by a digit.
bool has_numeric_start(std::string_view text) {
  if (text.empty()) return false;
  if (is_digit(text[0])) return true;
  return text.size() > 1 && text[0] == '.' && is_digit(text[1]);
}

double flag(bool* malformed) {
  if (malformed != nullptr) *malformed = true;
  return 0.0;
}

}  // namespace

const char* number_text_detail::plain_decimal_bytes(const char* p, const char* end, bool negative,
                                                    double& out) {
  std::uint64_t digits = 0;
  const char* const first = p;
  while (p != end && is_digit(*p)) digits = digits * 10 + static_cast<std::uint64_t>(*p++ - '0');
  auto count = p - first;
  int decimals = 0;
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    while (p != end && is_digit(*p)) ++p;
    count += p - fraction;
    if (count > 15) return nullptr;  // 10^15 < 2^53
    const char* last = p;
    while (last != fraction && last[-1] == '0') --last;
    for (const char* q = fraction; q != last; ++q)
      digits = digits * 10 + static_cast<std::uint64_t>(*q - '0');
    decimals = static_cast<int>(last - fraction);
  }
  if (count == 0 || count > 15) return nullptr;
  const double v = static_cast<double>(digits) / TENS[decimals];
  out = negative ? -v : v;
  return p;
}

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
  // Anything but a plain decimal (an exponent, long digit strings) is left to
  // from_chars.
  const char* const rest_end = rest.data() + rest.size();
  double quick = 0;
  if (const char* stop = hex ? nullptr : plain_decimal(rest.data(), rest_end, quick);
      stop != nullptr && (stop == rest_end || (*stop != 'e' && *stop != 'E'))) {
    return negative ? -quick : quick;
  }
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

// float_from_text's reading before the rounding to float.
double float_field(std::string_view text, bool* malformed) {
  {
    const char* p = text.data();
    const char* const end = p + text.size();
    double v = 0;
    if (const char* stop = plain_decimal(p, end, v); stop != nullptr && stop == end) return v;
  }
  bool bad = false;
  const double v = number_from_text(text, &bad);
  if (bad || std::fabs(v) > static_cast<double>(std::numeric_limits<float>::max())) return flag(malformed);
  return v;
}

}  // namespace

double number_text_detail::field_from_other_word(const char* p, const char* end, const char** word_end,
                                                 bool* malformed) {
  const char* const start = p;
  while (p != end && !is_c_space(*p)) ++p;
  *word_end = p;
  return float_field(std::string_view(start, static_cast<std::size_t>(p - start)), malformed);
}

float float_from_text(std::string_view text, bool* malformed) {
  return static_cast<float>(float_field(text, malformed));
}

namespace {

// The bits 5^n takes. 10^n is 5^n times a power of two, so a product with
// 10^n needs this many bits more than the other factor has.
constexpr std::array<int, MOST_EXACT_DECIMALS + 1> FIVE_BITS = [] {
  std::array<int, MOST_EXACT_DECIMALS + 1> bits{};
  std::uint64_t power = 1;
  for (int& b : bits) {
    b = std::bit_width(power);
    power *= 5;
  }
  return bits;
}();

// The bits of a finite double's significand from its leading one to its
// last one.
int significant_bits(double a) {
  const auto bits = std::bit_cast<std::uint64_t>(a);
  std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
  if (((bits >> 52) & 0x7ff) != 0) m |= std::uint64_t{1} << 52;
  return m == 0 ? 0 : std::bit_width(m >> std::countr_zero(m));
}

// a (finite, not negative) times 10^decimals, rounded to a whole number the
// way the C formats round it: to nearest, an exact half to even. Done in
// double arithmetic where the product is exact, which holds for every float
// and every whole number; false otherwise, and when it is too large.
bool scaled_exactly(double a, int decimals, std::uint64_t& units) {
  if (decimals < 0 || decimals > MOST_EXACT_DECIMALS) return false;
  if (decimals > 0 && significant_bits(a) + FIVE_BITS[static_cast<std::size_t>(decimals)] > 53) return false;
  const double s = a * TENS[decimals];
  if (!(s < 0x1p63)) return false;
  units = static_cast<std::uint64_t>(s);
  const double rest = s - static_cast<double>(units);  // exact
  if (rest > 0.5 || (rest == 0.5 && (units & 1) != 0)) ++units;
  return true;
}

// "00" to "99", so that digits go out two at a time.
constexpr std::array<char, 200> DIGIT_PAIRS = [] {
  std::array<char, 200> pairs{};
  for (std::size_t i = 0; i < 100; ++i) {
    pairs[2 * i] = static_cast<char>('0' + i / 10);
    pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
  }
  return pairs;
}();

// Puts the last `count` digits of units before p, two at a time, and returns
// where they start; units keeps the digits above them. Taken as 32 bits
// where it fits, which is cheaper to divide.
template <typename Whole>
char* put_digits(char* p, Whole& units, int count) {
  for (; count >= 2; count -= 2) {
    const auto pair = static_cast<std::size_t>(units % 100);
    units /= 100;
    p -= 2;
    p[0] = DIGIT_PAIRS[2 * pair];
    p[1] = DIGIT_PAIRS[2 * pair + 1];
  }
  if (count == 1) {
    *--p = static_cast<char>('0' + units % 10);
    units /= 10;
  }
  return p;
}

template <typename Whole>
void put_whole_and_decimals(char* end, Whole units, int whole_digits, int decimals) {
  if (decimals > 0) {
    end = put_digits(end, units, decimals);
    *--end = '.';
  }
  put_digits(end, units, whole_digits);
}

// The digits of n, 0 included.
int digit_count(std::uint64_t n) {
  static constexpr std::uint64_t POWERS[20] = {1,
                                               10,
                                               100,
                                               1000,
                                               10000,
                                               100000,
                                               1000000,
                                               10000000,
                                               100000000,
                                               1000000000,
                                               10000000000,
                                               100000000000,
                                               1000000000000,
                                               10000000000000,
                                               100000000000000,
                                               1000000000000000,
                                               10000000000000000,
                                               100000000000000000,
                                               1000000000000000000,
                                               10000000000000000000u};
  // 1233 / 4096 is just above log10(2): a first guess from the bit count
  // that is at most one digit short (the well-known integer log10 bit trick).
  const int guess = (std::bit_width(n | 1) * 1233) >> 12;
  return guess + (n >= POWERS[guess] ? 1 : 0);
}

// Writes units / 10^decimals at p with exactly that many decimals and
// returns the end.
char* put_units(char* p, bool negative, std::uint64_t units, int decimals) {
  if (negative) *p++ = '-';
  const int whole_digits = std::max(digit_count(units) - decimals, 1);
  char* const end = p + whole_digits + (decimals > 0 ? decimals + 1 : 0);
  if (units <= UINT32_MAX) {
    put_whole_and_decimals(end, static_cast<std::uint32_t>(units), whole_digits, decimals);
  } else {
    put_whole_and_decimals(end, units, whole_digits, decimals);
  }
  return end;
}

// What float_from_text makes of the text of units / 10^decimals: the C
// conversion rounds it once to a double, which for a whole number of at most
// 53 bits over an exact power of ten is this one division, and the field
// then rounds that to a float.
float read_back(std::uint64_t units, int decimals) {
  return static_cast<float>(static_cast<double>(units) / TENS[decimals]);
}

// Beyond this many decimals the products in shortest_units could round.
constexpr int MOST_SHORTEST_DECIMALS = 11;

// The fewest decimals that keep a float below 2^23 (where its spacing is
// under 1, so no shorter text ends in zeros before the point): for 0, 1, 2...
// decimals, of the two numbers either side of v the one that the float
// conversion rounds to v, the nearer where both do. That is the shortest text
// there is, since among numbers this close to v fewer decimals always means
// fewer digits. The stretch that rounds to v runs halfway to each neighbour,
// its ends included when v's significand is even. These ends have at most 26
// bits and 5^11 has 26, so up to 11 decimals every product below is exact.
// False where this cannot decide.
bool shortest_units(float v, std::uint64_t& units, int& decimals) {
  const float a = std::fabs(v);
  if (a == 0) {
    units = 0;
    decimals = 0;
    return true;
  }
  if (!(a < 0x1p23f)) return false;
  const auto bits = std::bit_cast<std::uint32_t>(a);
  const double x = a;
  const double high = (x + static_cast<double>(std::bit_cast<float>(bits + 1))) / 2;
  const double low = (x + static_cast<double>(std::bit_cast<float>(bits - 1))) / 2;
  const bool ends_count = (bits & 1) == 0;
  for (int k = 0; k <= MOST_SHORTEST_DECIMALS; ++k) {
    const double scale = TENS[k], s = x * scale;
    if (!(s < 0x1p53)) return false;
    const double lo = low * scale, hi = high * scale;
    const auto rounds_to_v = [&](double n) {
      return (lo < n && n < hi) || (ends_count && (n == lo || n == hi));
    };
    const double below = std::floor(s), above = below + 1;
    const bool take_below = rounds_to_v(below), take_above = s != below && rounds_to_v(above);
    if (!take_below && !take_above) continue;
    double n = take_below ? below : above;
    if (take_below && take_above) {
      if (s - below == above - s) return false;
      n = s - below < above - s ? below : above;
    }
    units = static_cast<std::uint64_t>(n);
    decimals = k;
    return true;
  }
  return false;
}

}  // namespace

char* put_fixed(char* p, double v, int decimals) {
  std::uint64_t units = 0;
  if (std::isfinite(v) && scaled_exactly(std::fabs(v), decimals, units)) {
    return put_units(p, std::signbit(v), units, decimals);
  }
  const auto [end, ec] = std::to_chars(p, p + NUMBER_TEXT_ROOM, v, std::chars_format::fixed, decimals);
  return ec == std::errc{} ? end : p;
}

char* put_fixed_if_exact(char* p, float v, int decimals) {
  std::uint64_t units = 0;
  if (std::isfinite(v) && scaled_exactly(std::fabs(static_cast<double>(v)), decimals, units)) {
    if (read_back(units, decimals) != std::fabs(v)) return p;
    return put_units(p, std::signbit(v), units, decimals);
  }
  char* const end = put_fixed(p, v, decimals);
  return float_from_text(std::string_view(p, static_cast<std::size_t>(end - p))) == v ? end : p;
}

char* put_shortest(char* p, float v) {
  std::uint64_t units = 0;
  int decimals = 0;
  if (shortest_units(v, units, decimals) && read_back(units, decimals) == std::fabs(v)) {
    return put_units(p, std::signbit(v), units, decimals);
  }
  std::to_chars_result r = std::to_chars(p, p + NUMBER_TEXT_ROOM, v, std::chars_format::fixed);
  // The reader goes through double on its way to float; where that could
  // land on a neighbour, the double's own shortest text is exact.
  if (r.ec == std::errc{} && float_from_text(std::string_view(p, static_cast<std::size_t>(r.ptr - p))) != v) {
    r = std::to_chars(p, p + NUMBER_TEXT_ROOM, static_cast<double>(v), std::chars_format::fixed);
  }
  return r.ec == std::errc{} ? r.ptr : p;
}

char* put_shortest_double(char* p, double v) {
  const auto r = std::to_chars(p, p + NUMBER_TEXT_ROOM, v, std::chars_format::fixed);
  return r.ec == std::errc{} ? r.ptr : p;
}

char* put_fixed_if_exact_double(char* p, double v, int decimals) {
  char* const end = put_fixed(p, v, decimals);
  return number_from_text(std::string_view(p, static_cast<std::size_t>(end - p))) == v ? end : p;
}

void append_fixed(std::string& out, double v, int decimals) {
  char buf[NUMBER_TEXT_ROOM];
  out.append(buf, put_fixed(buf, v, decimals));
}

void append_shortest(std::string& out, float v) {
  char buf[NUMBER_TEXT_ROOM];
  out.append(buf, put_shortest(buf, v));
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
