// Number text that does not depend on the process locale: the map files, the
// object files and the dialogs all read and write numbers with a '.' whatever
// LC_NUMERIC says.
#pragma once

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

// The word that starts at p, up to the first whitespace or end, read as
// float_from_text reads it but kept at the precision the text gives: rounded
// to float, the result is float_from_text's. *word_end is set to where the
// word ends. Reading and scanning at once spares a map's tokens a second pass.
double field_from_word(const char* p, const char* end, const char** word_end, bool* malformed = nullptr);

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
