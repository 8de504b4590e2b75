#include "textures/byte_fields.h"

#include <algorithm>

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string name_at(byte_span b, std::size_t at, std::size_t width) {
  const byte_span field = b.subspan(at, width);
  const auto end = std::find(field.begin(), field.end(), std::uint8_t{0});
  return std::string(field.begin(), end);
}

std::string lower_name(std::string_view name) {
  std::string out(name);
  for (char& c : out) c = lower(c);
  return out;
}

bool same_name(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lower(x) == lower(y); });
}

std::string in_quotes(std::string_view text) {
  // Built by appending: gcc 12 warns, wrongly, of an overlap in "\"" + text.
  std::string out(1, '"');
  out += text;
  out += '"';
  return out;
}
