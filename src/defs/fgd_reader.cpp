// FGD files: @BaseClass, @PointClass and @SolidClass with their properties,
// name, description and keys; @include; // comments. Other @ lines that
// tools write (@mapsize, @MaterialExclusion, @AutoVisGroup, ...) are passed
// over, and classes of other kinds (@NPCClass, ...) are read as point classes.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <filesystem>
#include <set>

#include "base/text_cursor.h"
#include "base/whole_file.h"
#include "defs/def_text.h"
#include "defs/entity_defs.h"

namespace {

namespace fs = std::filesystem;

enum class token_kind { end, word, string, punct };

struct token {
  token_kind kind = token_kind::end;
  std::string text;
  std::size_t pos = 0;
};

bool is_punct(int c) {
  return c == '(' || c == ')' || c == '[' || c == ']' || c == '=' || c == ':' || c == ',' || c == '@' ||
         c == '+';
}

// The files of one reading: those being read, outermost first, in which an
// include cycle meets one again; and those read already, not read twice.
struct fgd_files {
  std::set<fs::path> open, done;
};

// Where reading a class stopped: the position and what was wrong there.
struct malformed {
  std::size_t pos;
  std::string text;
};

class fgd_parser {
 public:
  fgd_parser(std::string_view text, const std::string& file, entity_defs& defs, fgd_files& files)
      : text_(text), cursor_(text), lines_(text), file_(file), defs_(defs), files_(files) {
    advance();
  }

  void run() {
    while (next_.kind != token_kind::end) {
      if (!(next_.kind == token_kind::punct && next_.text == "@")) {
        problem(next_.pos, "expected @ and a class or directive, found " + shown(next_));
        skip_to_at();
        continue;
      }
      const std::size_t at = next_.pos;
      try {
        advance();
        const token directive = expect_word("a class or directive after @");
        std::string name = directive.text;
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (name == "include") {
          include(expect(token_kind::string, "a quoted file name after @include"));
        } else if (name.size() > 5 && name.ends_with("class")) {
          read_class(name, at);
        } else {
          skip_to_at();
        }
      } catch (const malformed& m) {
        if (!unterminated_) problem(m.pos, m.text);
        skip_to_at();
      }
    }
  }

 private:
  // ---- tokens ----
  void advance() { next_ = scan(); }

  token scan() {
    for (;;) {
      const int c = cursor_.peek_past_space();
      if (c == text_cursor::END) return {token_kind::end, "", text_.size()};
      const std::size_t pos = cursor_.pos();
      if (c == '/' && pos + 1 < text_.size() && text_[pos + 1] == '/') {
        cursor_.skip_line();
        continue;
      }
      cursor_.get();
      if (c == '"') {
        token t{token_kind::string, "", pos};
        if (cursor_.read_value(t.text)) return t;
        problem(pos, "a quoted text that does not end");
        unterminated_ = true;  // what it swallowed is not read, nor told of again
        return {token_kind::end, "", text_.size()};
      }
      if (is_punct(c)) return {token_kind::punct, std::string(1, static_cast<char>(c)), pos};
      token t{token_kind::word, std::string(1, static_cast<char>(c)), pos};
      for (int d = cursor_.get(); d != text_cursor::END; d = cursor_.get()) {
        if (is_space(d) || is_punct(d) || d == '"') {
          cursor_.unget();
          break;
        }
        t.text += static_cast<char>(d);
      }
      return t;
    }
  }

  bool at_punct(char c) const { return next_.kind == token_kind::punct && next_.text[0] == c; }

  static std::string shown(const token& t) {
    return t.kind == token_kind::end ? "the end of the file" : "\"" + t.text + "\"";
  }

  token expect(token_kind kind, const char* what) {
    if (next_.kind != kind)
      throw malformed{next_.pos, std::string("expected ") + what + ", found " + shown(next_)};
    token t = next_;
    advance();
    return t;
  }

  token expect_word(const char* what) { return expect(token_kind::word, what); }

  void expect_punct(char c, const char* what) {
    if (!at_punct(c)) throw malformed{next_.pos, std::string("expected ") + what + ", found " + shown(next_)};
    advance();
  }

  // A quoted text, with any "+"-joined continuations.
  std::string joined_string(const char* what) {
    std::string out = expect(token_kind::string, what).text;
    while (at_punct('+')) {
      advance();
      out += expect(token_kind::string, "a quoted text after +").text;
    }
    return out;
  }

  double number(const token& t) const {
    double v = 0;
    const char* end = t.text.data() + t.text.size();
    const auto [p, ec] = std::from_chars(t.text.data(), end, v);
    if (ec != std::errc() || p != end) throw malformed{t.pos, "expected a number, found " + shown(t)};
    return v;
  }

  // On to the next @: after a problem, or past a directive that is not a
  // class, whatever its parts.
  void skip_to_at() {
    while (next_.kind != token_kind::end && !at_punct('@')) advance();
  }

  // ---- classes ----
  void read_class(const std::string& directive, std::size_t at) {
    entity_class c;
    c.kind = directive == "baseclass"    ? class_kind::base
             : directive == "solidclass" ? class_kind::solid
                                         : class_kind::point;
    c.file = file_;
    c.line = lines_.line_at(at);
    try {
      while (next_.kind == token_kind::word) class_property(c);
      if (at_punct('=')) {
        advance();
        c.name = expect_word("the class name after =").text;
        if (at_punct(':')) {
          advance();
          c.description = joined_string("the class description after :");
        }
      } else if (c.kind != class_kind::base) {
        throw malformed{next_.pos, "expected = and the class name, found " + shown(next_)};
      }
      if (at_punct('[')) {
        advance();
        while (!at_punct(']')) read_key(c);
        advance();
      }
    } catch (const malformed&) {
      if (!c.name.empty()) defs_.classes.push_back(std::move(c));
      throw;
    }
    if (c.name.empty()) throw malformed{at, "a class without a name"};
    defs_.classes.push_back(std::move(c));
  }

  void class_property(entity_class& c) {
    const token name = expect_word("a class property");
    if (!at_punct('(')) {
      c.properties.emplace_back(name.text, "");  // a bare flag such as halfgridsnap
      return;
    }
    advance();
    std::string lower = name.text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return std::tolower(ch); });
    if (lower == "base") {
      while (!at_punct(')')) {
        c.bases.push_back(expect_word("a base class name").text);
        if (at_punct(',')) advance();
      }
      advance();
    } else if (lower == "size") {
      read_size(c);
    } else if (lower == "color") {
      for (unsigned char& part : c.colour) {
        const token t = expect_word("a colour part");
        const double v = number(t);
        if (v < 0 || v > 255) throw malformed{t.pos, "a colour part outside 0 to 255: " + t.text};
        part = static_cast<unsigned char>(v);
      }
      c.coloured = true;
      expect_punct(')', ") after the colour");
    } else {
      c.properties.emplace_back(name.text, raw_until_close(name.pos));
    }
  }

  // size(x y z) is a box of that size about the origin; size(x y z, x y z)
  // gives the corners.
  void read_size(entity_class& c) {
    float first[3], second[3];
    for (float& v : first) v = static_cast<float>(number(expect_word("a size number")));
    if (at_punct(',')) {
      advance();
      for (float& v : second) v = static_cast<float>(number(expect_word("a size number")));
      for (int i = 0; i < 3; ++i) {
        c.mins[i] = std::min(first[i], second[i]);
        c.maxs[i] = std::max(first[i], second[i]);
      }
    } else {
      for (int i = 0; i < 3; ++i) {
        c.mins[i] = -first[i] / 2;
        c.maxs[i] = first[i] / 2;
      }
    }
    c.sized = true;
    expect_punct(')', ") after the size");
  }

  // The text of a property's parentheses, nested ones and quoted text
  // included, up to its own ")".
  std::string raw_until_close(std::size_t start) {
    const std::size_t from = next_.pos;
    int depth = 1;
    for (;;) {
      if (next_.kind == token_kind::end) throw malformed{start, "a class property whose ( does not close"};
      if (at_punct('(')) ++depth;
      if (at_punct(')') && --depth == 0) break;
      advance();
    }
    const std::string inside(text_.substr(from, next_.pos - from));
    advance();
    const auto first = inside.find_first_not_of(" \t\r\n");
    const auto last = inside.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? "" : inside.substr(first, last - first + 1);
  }

  // name(type) [readonly] [: label [: default [: description]]] [= [ ... ]]
  void read_key(entity_class& c) {
    if (next_.kind == token_kind::end)
      throw malformed{next_.pos, "expected ] to end the keys, found the end of the file"};
    class_key k;
    k.name = expect_word("a key name").text;
    if (next_.kind == token_kind::word) {
      // An input or output of another engine's classes ("input Kill(void)"): not a key.
      advance();
      skip_key_rest();
      return;
    }
    expect_punct('(', "( and the key's type");
    k.type = expect_word("the key's type").text;
    expect_punct(')', ") after the key's type");
    std::string type = k.type;
    std::transform(type.begin(), type.end(), type.begin(), [](unsigned char ch) { return std::tolower(ch); });
    k.kind = type == "integer"   ? key_kind::integer
             : type == "float"   ? key_kind::real
             : type == "choices" ? key_kind::choices
             : type == "flags"   ? key_kind::flags
                                 : key_kind::string;
    while (next_.kind == token_kind::word && (next_.text == "readonly" || next_.text == "report")) advance();
    std::string* fields[3] = {&k.label, &k.default_value, &k.description};
    for (std::string* field : fields) {
      if (!at_punct(':')) break;
      advance();
      if (next_.kind == token_kind::string) {
        *field = joined_string("a quoted text");
      } else if (next_.kind == token_kind::word && field == &k.default_value) {
        *field = next_.text;
        advance();
      }
    }
    if (at_punct('=')) {
      advance();
      expect_punct('[', "[ and the key's list");
      while (!at_punct(']')) {
        if (k.kind == key_kind::flags) {
          read_flag(k);
        } else {
          read_choice(k);
        }
      }
      advance();
    }
    c.keys.push_back(std::move(k));
  }

  void read_flag(class_key& k) {
    const token bit = expect_word("a flag's bit");
    key_flag f;
    const double v = number(bit);
    if (v < 1 || v > 2147483647.0 || v != static_cast<double>(static_cast<long>(v)))
      throw malformed{bit.pos, "a flag's bit that is not a whole number from 1 up: " + bit.text};
    f.bit = static_cast<long>(v);
    expect_punct(':', ": after the flag's bit");
    f.name = joined_string("the flag's name");
    if (at_punct(':')) {
      advance();
      f.on = number(expect_word("the flag's default, 0 or 1")) != 0;
    }
    k.flags.push_back(std::move(f));
  }

  void read_choice(class_key& k) {
    key_choice ch;
    if (next_.kind == token_kind::string) {
      ch.value = next_.text;
      advance();
    } else {
      ch.value = expect_word("a choice's value").text;
    }
    expect_punct(':', ": after the choice's value");
    ch.name = joined_string("the choice's name");
    k.choices.push_back(std::move(ch));
  }

  // The rest of an entry that is not a key: its parentheses and its
  // ": ..." fields.
  void skip_key_rest() {
    expect_punct('(', "( after the name");
    while (!at_punct(')')) expect_word("a type");
    advance();
    while (at_punct(':')) {
      advance();
      if (next_.kind == token_kind::string || next_.kind == token_kind::word) advance();
    }
  }

  // ---- includes ----
  void include(const token& name) {
    const fs::path here = fs::path(file_).parent_path();
    fs::path path = here / name.text;
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(path, ec);
    const fs::path key = ec ? path : canonical;
    if (files_.open.count(key) != 0) {
      problem(name.pos, "an include cycle: " + name.text + " is already being read");
      return;
    }
    if (!files_.done.insert(key).second) return;
    std::string text;
    const std::string error = read_whole_file(path.string(), text);
    if (!error.empty()) {
      problem(name.pos, error);
      return;
    }
    files_.open.insert(key);
    fgd_parser inner(text, path.string(), defs_, files_);
    inner.run();
    files_.open.erase(key);
  }

  void problem(std::size_t pos, std::string text) {
    note_problem(defs_, file_, lines_, pos, std::move(text));
  }

  std::string_view text_;
  text_cursor cursor_;
  text_cursor lines_;  // counts lines for the messages, a cursor of its own
  std::string file_;
  entity_defs& defs_;
  fgd_files& files_;
  bool unterminated_ = false;
  token next_;
};

}  // namespace

void read_fgd(std::string_view text, const std::string& file, entity_defs& defs) {
  fgd_files files;
  std::error_code ec;
  const fs::path self = fs::weakly_canonical(file, ec);
  files.open.insert(ec ? fs::path(file) : self);
  files.done.insert(ec ? fs::path(file) : self);
  fgd_parser parser(text, file, defs, files);
  parser.run();
}
