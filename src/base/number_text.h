// Number text that does not depend on the process locale: the map files, the
// object files and the dialogs all read and write numbers with a '.' whatever
// LC_NUMERIC says.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// The leading numeric part of text, as the C decimal conversion reads it:
// leading whitespace, an optional sign, digits with an optional point and an
// optional exponent. Text without a numeric start gives 0. Values that are not
// finite ("nan", "inf", overflow) also give 0. In both cases *malformed is set
// when given; a clean number leaves it untouched.
double number_from_text(std::string_view text, bool* malformed = nullptr);

// The same for a single-precision field: values beyond the float range give 0
// and count as malformed too.
float float_from_text(std::string_view text, bool* malformed = nullptr);

// The parts of the number reading that field_from_word below takes in.
namespace number_text_detail {

inline bool is_c_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Powers of ten that are exact doubles.
inline constexpr int MOST_EXACT_DECIMALS = 22;
inline constexpr double TENS[MOST_EXACT_DECIMALS + 1] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Powers of ten up to seven digits, as whole numbers.
inline constexpr std::uint64_t WHOLE_TENS[8] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};

static_assert(std::endian::native == std::endian::little,
              "digits_of reads the first character as the lowest byte");

// The parts of a word of eight characters, the first in the lowest byte, that
// are digits, each as its value, and a mask with the high bit of every byte
// that is not a digit set. Past the first byte that is not a digit, the mask
// may be wrong (a carry from it), and that is the only byte it is read for.
struct digit_word {
  std::uint64_t values;
  std::uint64_t not_digits;
};

inline digit_word digits_of(const char* p) {
  std::uint64_t w = 0;
  std::memcpy(&w, p, sizeof w);
  const std::uint64_t v = w ^ 0x3030303030303030ULL;  // '0'..'9' become 0..9
  // 10 and up, and every byte with its high bit set, reach the high bit.
  return {v, (v | (v + 0x7676767676767676ULL)) & 0x8080808080808080ULL};
}

// The number the first n digits (1 to 8) of a digit_word's values make.
inline std::uint64_t leading_number(std::uint64_t values, int n) {
  std::uint64_t v = values << (64 - 8 * n);                // those digits at the top, zeros below
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFULL;         // pairs of digits
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFULL;       // fours
  return (v * 10000 + (v >> 32)) & 0x00000000FFFFFFFFULL;  // eight
}

// plain_decimal below, a character at a time, from after the sign.
const char* plain_decimal_bytes(const char* p, const char* end, bool negative, double& out);

// A plain decimal at p ("-64", "0.500000", ".5"; no exponent, at most 15
// digits), the form of nearly every number of a map. Its digits and the power
// of ten are then both exact doubles, so one division gives the correctly
// rounded value, the same the full conversion gives (Clinger's fast path).
// Zeros at the end of the decimals are left out of both, which leaves the
// quotient as it is and spares the division for whole numbers. Returns where
// the number ends, or nullptr when what is at p is not such a number (then out
// is not set).
//
// Where the text goes on far enough, the digits before and after the point
// are taken eight characters at a time: a number's length then costs no
// guess of the processor's at each digit. Runs of eight digits or more are
// read a character at a time.
[[gnu::always_inline]] inline const char* plain_decimal(const char* p, const char* end, double& out) {
  const bool negative = p != end && *p == '-';
  p += negative ? 1 : 0;
  // Two words: the digits before the point, and after it.
  if (end - p < 16) return plain_decimal_bytes(p, end, negative, out);
  const digit_word whole = digits_of(p);
  if (whole.not_digits == 0) return plain_decimal_bytes(p, end, negative, out);
  const int count = std::countr_zero(whole.not_digits) / 8;
  std::uint64_t digits = count > 0 ? leading_number(whole.values, count) : 0;
  const char* q = p + count;
  int decimals = 0;
  if (*q == '.') {
    const digit_word fraction = digits_of(++q);
    if (fraction.not_digits == 0) return plain_decimal_bytes(p, end, negative, out);
    const int fraction_count = std::countr_zero(fraction.not_digits) / 8;
    if (count + fraction_count == 0) return nullptr;
    // The decimals up to the last that is not 0: adding 0x7f to a digit
    // sets its high bit from 1 up.
    const std::uint64_t in_fraction = fraction_count > 0 ? ~0ULL >> (64 - 8 * fraction_count) : 0;
    const std::uint64_t not_zero =
        ((fraction.values & in_fraction) + 0x7f7f7f7f7f7f7f7fULL) & 0x8080808080808080ULL;
    if (not_zero != 0) {
      decimals = (63 - std::countl_zero(not_zero)) / 8 + 1;
      digits = digits * WHOLE_TENS[decimals] + leading_number(fraction.values, decimals);
    }
    q += fraction_count;
  } else if (count == 0) {
    return nullptr;
  }
  double v = static_cast<double>(static_cast<std::int64_t>(digits));
  if (decimals > 0) v /= TENS[decimals];
  out = negative ? -v : v;
  return q;
}

// field_from_word for a word that is not a plain decimal.
double field_from_other_word(const char* p, const char* end, const char** word_end, bool* malformed);

}  // namespace number_text_detail

// The word that starts at p, up to the first whitespace or end, read as
// float_from_text reads it but kept at the precision the text gives: rounded
// to float, the result is float_from_text's. *word_end is set to where the
// word ends. Reading and scanning at once spares a map's tokens a second pass.
// Inline, as the readers' loops run it for every number of a file.
inline double field_from_word(const char* p, const char* end, const char** word_end,
                              bool* malformed = nullptr) {
  using namespace number_text_detail;
  double v = 0;
  if (const char* stop = plain_decimal(p, end, v); stop != nullptr && (stop == end || is_c_space(*stop))) {
    *word_end = stop;
    return v;
  }
  return field_from_other_word(p, end, word_end, malformed);
}

// Appends v with a fixed number of decimals, exactly as "%.*lf" prints it in
// the C locale ("-0" for a small negative with 0 decimals included).
void append_fixed(std::string& out, double v, int decimals);

// Appends v in plain notation with the fewest decimals that float_from_text
// reads back as v exactly ("12.5", "0.1", "-3"; no exponent).
void append_shortest(std::string& out, float v);

// The same written into a buffer, for a line built whole before it is
// appended: each writes at p, which has at least NUMBER_TEXT_ROOM characters
// free, and returns the end of what it wrote.
constexpr std::size_t NUMBER_TEXT_ROOM = 400;
char* put_fixed(char* p, double v, int decimals);
char* put_shortest(char* p, float v);

// Writes v as put_fixed does when float_from_text reads that text back as v;
// otherwise writes nothing and returns p.
char* put_fixed_if_exact(char* p, float v, int decimals);

// The same two for a double, read back by number_from_text: the fewest
// decimals that give v again, and the fixed form only when it does.
char* put_shortest_double(char* p, double v);
char* put_fixed_if_exact_double(char* p, double v, int decimals);

// "%lf" and "%.0lf".
std::string format_lf(double v);
std::string format_0lf(double v);
