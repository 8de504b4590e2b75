// QUAKED blocks, as QuakeC sources and .def files keep them:
//   /*QUAKED name (r g b) (minx miny minz) (maxx maxy maxz) FLAG1 FLAG2 ...
//   description ...
//   */
// with "?" instead of the two corners for a brush entity. The colour parts
// run from 0 to 1. Within the description, a line that starts with a quoted
// word tells of that key.
#include <algorithm>
#include <charconv>

#include "base/text_cursor.h"
#include "defs/def_text.h"
#include "defs/entity_defs.h"

namespace {

constexpr std::string_view OPENING = "/*QUAKED";

class def_parser {
 public:
  def_parser(std::string_view text, const std::string& file, entity_defs& defs)
      : text_(text), lines_(text), file_(file), defs_(defs) {}

  void run() {
    for (std::size_t at = text_.find(OPENING); at != std::string_view::npos;
         at = text_.find(OPENING, at + 1)) {
      read_block(at);
    }
  }

 private:
  void problem(std::size_t pos, std::string what) {
    note_problem(defs_, file_, lines_, pos, std::move(what));
  }

  // The header line's words from pos on: a word, or a parenthesised group.
  struct header {
    std::string_view text;
    std::size_t base;  // where text starts in the file
    std::size_t pos = 0;

    void skip_space() {
      while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    }
    bool done() {
      skip_space();
      return pos >= text.size();
    }
    std::size_t here() const { return base + pos; }
    std::string_view word() {
      skip_space();
      const std::size_t start = pos;
      while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t' && text[pos] != '(') ++pos;
      return text.substr(start, pos - start);
    }
  };

  void read_block(std::size_t at) {
    const std::size_t close = text_.find("*/", at + OPENING.size());
    const std::size_t end = close == std::string_view::npos ? text_.size() : close;
    std::size_t line_end = at + OPENING.size();
    while (line_end < end && text_[line_end] != '\n' && text_[line_end] != '\r') ++line_end;
    header h{text_.substr(at + OPENING.size(), line_end - at - OPENING.size()), at + OPENING.size()};

    entity_class c;
    c.file = file_;
    c.line = lines_.line_at(at);
    c.name = std::string(h.word());
    if (c.name.empty()) {
      problem(h.here(), "a QUAKED block without a class name");
      return;
    }
    if (read_header(h, c) && close == std::string_view::npos) {
      problem(at, "a QUAKED block that does not end with */");
    }
    read_description(text_.substr(line_end, end - line_end), c);
    defs_.classes.push_back(std::move(c));
  }

  // The colour, the corners or "?", then the flags. False after a problem;
  // the class keeps what was read.
  bool read_header(header& h, entity_class& c) {
    float colour[3];
    h.skip_space();
    const std::size_t colour_at = h.here();
    if (!triple(h, colour, "the colour (r g b)")) return false;
    for (int i = 0; i < 3; ++i) {
      if (!(colour[i] >= 0 && colour[i] <= 1)) {
        problem(colour_at, "a colour part outside 0 to 1 in the QUAKED block of " + c.name);
        return false;
      }
      c.colour[i] = static_cast<unsigned char>(colour[i] * 255 + 0.5f);
    }
    c.coloured = true;
    h.skip_space();
    if (h.pos < h.text.size() && h.text[h.pos] == '?') {
      ++h.pos;
      c.kind = class_kind::solid;
    } else {
      float mins[3], maxs[3];
      if (!triple(h, mins, "the corner (minx miny minz) or ?") ||
          !triple(h, maxs, "the corner (maxx maxy maxz)"))
        return false;
      for (int i = 0; i < 3; ++i) {
        c.mins[i] = std::min(mins[i], maxs[i]);
        c.maxs[i] = std::max(mins[i], maxs[i]);
      }
      c.sized = true;
    }
    class_key flags{"spawnflags", key_kind::flags, "flags", "Spawn flags", "", "", {}, {}};
    for (long bit = 1; !h.done(); bit <<= 1) {
      const std::string_view name = h.word();
      if (name.empty() || bit > (1L << 30)) {
        problem(h.here(),
                "more flags than a number holds, or a stray \"(\", in the QUAKED block of " + c.name);
        break;
      }
      flags.flags.push_back({bit, std::string(name), false});
    }
    if (!flags.flags.empty()) c.keys.push_back(std::move(flags));
    return true;
  }

  // "(a b c)" with three numbers.
  bool triple(header& h, float out[3], const std::string& what) {
    h.skip_space();
    const std::size_t start = h.here();
    if (h.pos >= h.text.size() || h.text[h.pos] != '(') {
      problem(start, "expected " + what);
      return false;
    }
    const std::size_t close = h.text.find(')', h.pos);
    if (close == std::string_view::npos) {
      problem(start, "expected " + what + ", found no )");
      return false;
    }
    header inside{h.text.substr(h.pos + 1, close - h.pos - 1), h.base + h.pos + 1};
    for (int i = 0; i < 3; ++i) {
      const std::string_view w = inside.word();
      const auto [p, ec] = std::from_chars(w.data(), w.data() + w.size(), out[i]);
      if (w.empty() || ec != std::errc() || p != w.data() + w.size()) {
        problem(inside.here() - w.size(),
                "expected a number in " + what + ", found \"" + std::string(w) + "\"");
        return false;
      }
    }
    if (!inside.done()) {
      problem(inside.here(), "more than three numbers in " + what);
      return false;
    }
    h.pos = close + 1;
    return true;
  }

  // The block's text as the description; its lines that begin with a
  // quoted word describe that key.
  static void read_description(std::string_view body, entity_class& c) {
    std::size_t first = body.find_first_not_of(" \t\r\n");
    std::size_t last = body.find_last_not_of(" \t\r\n");
    c.description = first == std::string_view::npos ? "" : std::string(body.substr(first, last - first + 1));
    std::size_t pos = 0;
    while (pos < body.size()) {
      std::size_t eol = body.find_first_of("\r\n", pos);
      if (eol == std::string_view::npos) eol = body.size();
      std::string_view line = body.substr(pos, eol - pos);
      pos = eol + 1;
      const std::size_t q = line.find_first_not_of(" \t");
      if (q == std::string_view::npos || line[q] != '"') continue;
      const std::size_t q2 = line.find('"', q + 1);
      if (q2 == std::string_view::npos || q2 == q + 1) continue;
      class_key k;
      k.name = std::string(line.substr(q + 1, q2 - q - 1));
      if (k.name.find(' ') != std::string::npos) continue;  // a quotation, not a key
      const std::size_t rest = line.find_first_not_of(" \t:", q2 + 1);
      k.description = rest == std::string_view::npos ? "" : std::string(line.substr(rest));
      const bool known =
          std::any_of(c.keys.begin(), c.keys.end(), [&](const class_key& o) { return o.name == k.name; });
      if (!known) c.keys.push_back(std::move(k));
    }
  }

  std::string_view text_;
  text_cursor lines_;
  std::string file_;
  entity_defs& defs_;
};

}  // namespace

void read_def(std::string_view text, const std::string& file, entity_defs& defs) {
  def_parser(text, file, defs).run();
}
