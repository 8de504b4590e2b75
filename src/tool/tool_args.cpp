#include "tool/tool_args.h"

#include <cstdio>

#include "base/number_text.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Steps i over a run of digits and says how many there were.
std::size_t skip_digits(std::string_view text, std::size_t& i) {
  const std::size_t start = i;
  while (i < text.size() && is_digit(text[i])) ++i;
  return i - start;
}

// The number reader takes the leading numeric part and ignores the rest, so
// the shape of the whole text is checked here first.
bool is_whole_decimal(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  std::size_t digits = skip_digits(text, i);
  if (i < text.size() && text[i] == '.') {
    ++i;
    digits += skip_digits(text, i);
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (skip_digits(text, i) == 0) return false;
  }
  return i == text.size();
}

}  // namespace

bool is_option(std::string_view arg) { return arg.size() > 1 && arg[0] == '-'; }

bool is_help(std::string_view arg) { return arg == "--help" || arg == "-h"; }

bool paths_only(const char* command, const std::vector<std::string>& args, std::size_t count) {
  for (const std::string& arg : args) {
    if (is_option(arg)) {
      std::fprintf(stderr, "veld-tool %s: unknown option \"%s\"\n", command, arg.c_str());
      return false;
    }
  }
  return args.size() == count;
}

bool take_flag(std::vector<std::string>& args, std::string_view flag) { return std::erase(args, flag) > 0; }

bool option_number(std::string_view text, float* out) {
  if (!is_whole_decimal(text)) return false;
  bool malformed = false;
  const float value = float_from_text(text, &malformed);
  if (malformed) return false;
  *out = value;
  return true;
}
