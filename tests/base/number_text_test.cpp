#include "base/number_text.h"

#include <gtest/gtest.h>

#include <locale.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

namespace {

std::string c_format(const char* format, double v) {
  char buf[512];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// Decimals where the text has a point, else 0.
int decimals_of(const std::string& text) {
  const std::size_t point = text.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

std::string c_fixed(int decimals, double v) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

}  // namespace

TEST(NumberText, ReadsTheLeadingNumericPartLikeTheCConversion) {
  for (const char* text :
       {"128",  "-16", "+8",  "0.5", ".5",   "5.",      "-.25", "1e3",    "2.5E-1", "1e",
        "64\"", "0)",  "  7", "-0",  "0x10", "0X1.8p1", "0x",   "3.4e38", "12abc",  "1.5e+2x"}) {
    SCOPED_TRACE(text);
    bool malformed = false;
    const double v = number_from_text(text, &malformed);
    EXPECT_FALSE(malformed);
    EXPECT_EQ(v, std::strtod(text, nullptr));
    EXPECT_EQ(std::signbit(v), std::signbit(std::strtod(text, nullptr)));
  }
  // Hundreds of digits are read whole.
  EXPECT_EQ(number_from_text(std::string(300, '0') + "42." + std::string(300, '0')), 42.0);
  EXPECT_EQ(number_from_text("1" + std::string(300, '0')), 1e300);
}

TEST(NumberText, AgreesWithTheCConversionOnManyRandomDecimals) {
  // Digits, point position, sign and an occasional exponent or trailing
  // character; compared as the double and as the float a map field keeps.
  std::uint64_t state = 12345;
  auto next = [&state](int n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
  };
  for (int round = 0; round < 200000; ++round) {
    std::string text = next(3) == 0 ? "-" : "";
    const int digits = 1 + next(20);
    const int point = next(digits + 2);
    const int zeros = next(3) == 0 ? next(digits + 1) : 0;  // a run of zeros at the end, as "1.000000" has
    for (int i = 0; i < digits; ++i) {
      if (i == point) text += '.';
      text += static_cast<char>('0' + (i >= digits - zeros ? 0 : next(10)));
    }
    if (next(10) == 0) text += "e" + std::to_string(next(40) - 20);
    if (next(10) == 0) text += ')';
    const double expected = std::strtod(text.c_str(), nullptr);
    ASSERT_EQ(number_from_text(text), expected) << text;
    ASSERT_EQ(float_from_text(text), static_cast<float>(expected)) << text;
    // As a word of a face, with the rest of the line after it.
    if (text.find_first_of("e)") == std::string::npos) {
      const std::string line = text + " 0 0 1.000000 1.000000 ( 8 8 8 )";
      const char* word_end = nullptr;
      ASSERT_EQ(field_from_word(line.data(), line.data() + line.size(), &word_end), expected) << text;
      ASSERT_EQ(word_end, line.data() + text.size()) << text;
    }
  }
}

// Tokens of random characters, numbers and near-numbers alike, read as a map
// field: the value the C conversion gives (in the C locale), bit for bit, and
// 0 with the malformed flag where there is no numeric start or the value is
// beyond the float range. Read as the first word of a line, the same.
TEST(NumberText, FloatsAgreeWithTheCConversionOnRandomTokens) {
  const locale_t c_locale = newlocale(LC_ALL_MASK, "C", nullptr);
  ASSERT_NE(c_locale, nullptr);
  std::uint64_t state = 977;
  auto next = [&state](int n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
  };
  static constexpr char ALPHABET[] = "0123456789012345678901234567890123456789..--+eE )a\t";
  int malformed_seen = 0;
  for (int round = 0; round < 300000; ++round) {
    std::string text;
    for (int i = 0, n = next(24); i < n; ++i) text += ALPHABET[next(sizeof ALPHABET - 1)];
    // Read where it stands in a line, the first word gives what it gives alone.
    if (!text.empty() && text[0] != ' ' && text[0] != '\t') {
      const std::size_t end = std::min(text.find_first_of(" \t"), text.size());
      const char* word_end = nullptr;
      bool alone = false, in_line = false;
      const auto v =
          static_cast<float>(field_from_word(text.data(), text.data() + text.size(), &word_end, &in_line));
      const float w = float_from_text(std::string_view(text).substr(0, end), &alone);
      ASSERT_EQ(word_end, text.data() + end) << '"' << text << '"';
      ASSERT_EQ(std::bit_cast<std::uint32_t>(v), std::bit_cast<std::uint32_t>(w)) << '"' << text << '"';
      ASSERT_EQ(in_line, alone) << '"' << text << '"';
      // Followed by more of its line, the word reads the same.
      const std::string line = text + " 12 -0.5 ( 1 2 3 )";
      const char* line_word_end = nullptr;
      bool in_longer_line = false;
      const double u =
          field_from_word(line.data(), line.data() + line.size(), &line_word_end, &in_longer_line);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(u), std::bit_cast<std::uint64_t>(field_from_word(
                                                     text.data(), text.data() + text.size(), &word_end)))
          << '"' << text << '"';
      ASSERT_EQ(line_word_end, line.data() + end) << '"' << text << '"';
      ASSERT_EQ(in_longer_line, alone) << '"' << text << '"';
    }
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) start = text.size();
    if (start < text.size() && (text[start] == '-' || text[start] == '+')) ++start;
    const bool numeric =
        start < text.size() && (std::isdigit(static_cast<unsigned char>(text[start])) != 0 ||
                                (text[start] == '.' && start + 1 < text.size() &&
                                 std::isdigit(static_cast<unsigned char>(text[start + 1])) != 0));
    errno = 0;
    const double c_value = strtod_l(text.c_str(), nullptr, c_locale);
    if (errno == ERANGE && std::isfinite(c_value) && c_value != 0) continue;  // subnormal: no rule to check
    const bool expect_bad = !numeric || !std::isfinite(c_value) || errno == ERANGE ||
                            std::fabs(c_value) > static_cast<double>(std::numeric_limits<float>::max());
    const float expected = expect_bad ? 0.0f : static_cast<float>(c_value);
    bool malformed = false;
    const float v = float_from_text(text, &malformed);
    ASSERT_EQ(malformed, expect_bad) << '"' << text << '"';
    ASSERT_EQ(std::bit_cast<std::uint32_t>(v), std::bit_cast<std::uint32_t>(expected)) << '"' << text << '"';
    if (numeric && !expect_bad) {
      const double d = number_from_text(text);
      ASSERT_EQ(std::bit_cast<std::uint64_t>(d), std::bit_cast<std::uint64_t>(c_value)) << '"' << text << '"';
    }
    malformed_seen += expect_bad ? 1 : 0;
  }
  EXPECT_GT(malformed_seen, 1000);  // the random tokens did reach the refused side
  freelocale(c_locale);
}

TEST(NumberText, TextWithoutANumberOrNotFiniteReadsAsZeroAndIsFlagged) {
  for (const char* text :
       {"", "abc", ")", "-", ".", "+.", "--5", "nan", "NaN", "inf", "-infinity", "1e999"}) {
    SCOPED_TRACE(text);
    bool malformed = false;
    EXPECT_EQ(number_from_text(text, &malformed), 0.0);
    EXPECT_TRUE(malformed);
  }
  // Finite as a double, but not as a float.
  bool malformed = false;
  EXPECT_EQ(number_from_text("1e39", &malformed), 1e39);
  EXPECT_FALSE(malformed);
  EXPECT_EQ(float_from_text("-1e39", &malformed), 0.0f);
  EXPECT_TRUE(malformed);
}

TEST(NumberText, PrintsExactlyWhatTheCFormatsPrint) {
  for (const double v : {0.0, -0.0, -0.4, 0.4, 0.5, -0.5, 1.5, 2.5, -2.5, 3.5, 123.4567895, -1e-7, 1e20,
                         static_cast<double>(0.1f), static_cast<double>(-16.3f), 4096.0, -8192.5}) {
    SCOPED_TRACE(v);
    EXPECT_EQ(format_lf(v), c_format("%lf", v));
    EXPECT_EQ(format_0lf(v), c_format("%.0lf", v));
  }
  EXPECT_EQ(format_0lf(-0.4), "-0");
}

TEST(NumberText, FixedAndShortestTextHoldOnManyRandomNumbers) {
  std::mt19937_64 random(2718);
  const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<std::uint64_t>(n)); };
  for (int round = 0; round < 200000; ++round) {
    const int decimals = pick(4) == 0 ? pick(23) : pick(10);
    double v = 0;
    switch (pick(5)) {
      case 0:  // any bits, as a double or as a float
        v = pick(2) == 0 ? std::bit_cast<double>(random())
                         : static_cast<double>(std::bit_cast<float>(static_cast<std::uint32_t>(random())));
        break;
      case 1:  // short decimals and their neighbours, as 9.9999995 next to 10
        v = static_cast<double>(random() % 100000000) / std::pow(10.0, pick(12));
        for (int i = pick(3); i > 0; --i) v = std::nextafter(v, pick(2) == 0 ? 0.0 : 1e30);
        if (pick(2) == 0) v = static_cast<float>(v);
        break;
      case 2:  // exactly halfway at the printed decimals: ties go to the even digit
        v = std::ldexp(static_cast<double>(2 * (random() % 1000000) + 1), -(decimals + 1));
        break;
      case 3:  // whole numbers, up to far beyond 2^53
        v = std::ldexp(static_cast<double>(random() >> 11), pick(80) - 8);
        break;
      default:  // powers of ten and the numbers just below them
        v = std::pow(10.0, pick(50) - 25) * (pick(2) == 0 ? 1.0 : 1.0 - std::ldexp(1.0, -1 - pick(53)));
    }
    if (pick(40) == 0) v = 0;
    if (pick(2) == 0) v = -v;
    if (!std::isfinite(v)) continue;
    SCOPED_TRACE(testing::Message() << std::hexfloat << v << " with " << decimals << " decimals");

    std::string fixed = "x";
    append_fixed(fixed, v, decimals);
    ASSERT_EQ(fixed, "x" + c_fixed(decimals, v));

    if (!(std::fabs(v) <= std::numeric_limits<float>::max())) continue;
    const auto f = static_cast<float>(v);
    // The fixed text of a float where it reads back, nothing where it does not.
    const std::string f_fixed = c_fixed(decimals, f);
    char kept[NUMBER_TEXT_ROOM];
    const char* const kept_end = put_fixed_if_exact(kept, f, decimals);
    ASSERT_EQ(std::string(kept, static_cast<std::size_t>(kept_end - kept)),
              float_from_text(f_fixed) == f ? f_fixed : "");

    // The shortest text reads back bit for bit, is plain, is the C format's
    // at its own decimals, and one decimal fewer would not read back.
    std::string shortest = "x";
    append_shortest(shortest, f);
    shortest.erase(0, 1);
    const float back = float_from_text(shortest);
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(f)) << shortest;
    ASSERT_EQ(shortest.find_first_not_of("-0123456789."), std::string::npos) << shortest;
    const int places = decimals_of(shortest);
    ASSERT_EQ(shortest, c_fixed(places, f));
    if (places > 0) {
      ASSERT_NE(float_from_text(c_fixed(places - 1, f)), f) << shortest;
    }
  }
}
