#include "mapio/map_parser.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "base/number_text.h"

namespace {

constexpr int END = text_cursor::END;

}  // namespace

bool map_parser::next(parsed_record& r) {
  if (brush_next_) {
    brush_next_ = false;
    state_ = state::brush;
    entity_brushes_ = true;
    r.kind = record_kind::brush;
    r.at = brush_start_;
    return true;
  }
  while (!stopped_ && !refused_) {
    if (state_ == state::leading_pairs) {
      if (read_leading_pair(r)) return true;
      continue;
    }
    const int c = in_.get();
    switch (c) {
      case END:
        return end();
      case '/':
        in_.skip_line();
        break;
      case '{':
        return open_brace(r);
      case '(':
        if (state_ != state::brush) {
          stop(in_.pos() - 1, "reading stopped at a '(' outside a brush");
          break;
        }
        r.at = in_.pos() - 1;
        if (!read_face(r.face)) {
          stop(in_.pos(), "the file ends inside a face");
          break;
        }
        r.kind = record_kind::face;
        return true;
      case '}':
        if (close_brace(r)) return true;
        break;
      case '"':
        if (read_late_pair(r)) return true;
        break;
      default:
        if (state_ == state::brush && (std::isalpha(c) != 0 || c == '_')) {
          in_.unget();
          read_word_in_brush();
        }
        break;
    }
  }
  return end();
}

// One pair after an entity's '{', or the end of them: an entity whose pairs
// hold an origin of three numbers stands for a point, any other is a brush
// entity, as is one whose pairs the text ends in.
bool map_parser::read_leading_pair(parsed_record& r) {
  int c = in_.get();
  while (is_space(c)) c = in_.get();
  const std::size_t at = in_.pos() - 1;
  if (c == '"' && read_key(r.pair.key) && in_.skip_past('"')) {
    const std::size_t value_at = in_.pos();
    if (read_value(r.pair.value)) {
      r.kind = record_kind::pair;
      r.at = at;
      r.end = in_.pos();
      r.pair.leading = true;
      r.pair.origin = false;
      if (r.pair.key == "origin") {
        if (read_origin(r.pair.value, value_at, r.pair.point)) {
          r.pair.origin = point_ = true;
        } else {
          problem(at, "the origin \"" + r.pair.value +
                          "\" is not three numbers; it was kept as an ordinary pair");
        }
      }
      return true;
    }
  }
  if (c != END && c != '"') {
    in_.unget();
    if (point_) {
      state_ = state::point_entity;
      return false;
    }
  } else {
    pairs_cut_ = true;
  }
  state_ = state::brush_entity;
  r.kind = record_kind::brush_entity;
  r.at = at;
  return true;
}

// A pair after a brush or between entities. It joins the open entity's pairs
// after those already there; outside any entity there is nowhere to keep it.
bool map_parser::read_late_pair(parsed_record& r) {
  const std::size_t at = in_.pos() - 1;
  ++report_.obsolete_pairs;
  std::string& key = r.pair.key;
  std::string& value = r.pair.value;
  if (!read_key(key) || !in_.skip_past('"')) {
    stop(at, "the file ends inside a key/value pair");
    return false;
  }
  const std::size_t value_at = in_.pos();
  if (!read_value(value)) {
    stop(at, "the file ends inside a key/value pair");
    return false;
  }
  if (state_ == state::outside) {
    problem(at, "the pair \"" + key + "\" \"" + value + "\" outside any entity was dropped");
    return false;
  }
  // Saved among the leading pairs, a late "origin" would move a point entity
  // or turn a brush entity without brushes into one when read again. A brush
  // entity with brushes keeps it, as it keeps an origin among its leading pairs.
  if (key == "origin") {
    if (state_ == state::point_entity || !entity_brushes_) {
      problem(at, "the pair \"origin\" \"" + value + "\" after the entity's leading pairs was dropped");
      return false;
    }
    // Its numbers are looked at now, as they will be when the map is read again.
    vertex_t unused;
    read_origin(value, value_at, unused);
  }
  r.kind = record_kind::pair;
  r.at = at;
  r.end = in_.pos();
  r.pair.leading = false;
  r.pair.origin = false;
  return true;
}

bool map_parser::open_brace(parsed_record& r) {
  const std::size_t at = in_.pos() - 1;
  r.at = at;
  if (state_ == state::brush_entity || state_ == state::brush) {
    if (state_ == state::brush) {
      problem(brush_start_, "a brush was not closed before the next '{'; its faces were not rebuilt");
    }
    brush_start_ = at;
    state_ = state::brush;
    entity_brushes_ = true;
    r.kind = record_kind::brush;
    return true;
  }
  if (state_ == state::point_entity && brush_follows()) {
    // An entity with an origin and brushes (a rotating door in some games):
    // a brush entity that keeps its origin pair.
    state_ = state::brush_entity;
    brush_start_ = at;
    brush_next_ = true;
    r.kind = record_kind::brush_entity;
    return true;
  }
  if (first_entity_ == std::string_view::npos) first_entity_ = at;
  if (state_ == state::point_entity)
    problem(at, "a point entity was not closed before the next '{' and was not added");
  state_ = state::leading_pairs;
  point_ = false;
  entity_brushes_ = false;
  r.kind = record_kind::entity;
  return true;
}

bool map_parser::close_brace(parsed_record& r) {
  r.at = in_.pos() - 1;
  switch (state_) {
    case state::brush:
      state_ = state::brush_entity;
      ++brushes_ended_;
      r.kind = record_kind::brush_end;
      return true;
    case state::brush_entity:
    case state::point_entity:
      state_ = state::outside;
      r.kind = record_kind::entity_end;
      return true;
    case state::outside:
    case state::leading_pairs:
      break;
  }
  return false;
}

bool map_parser::read_key(std::string& out) {
  const std::size_t start = in_.pos();
  if (!in_.read_until('"', out)) return false;
  drop_nuls(start, out);
  return true;
}

bool map_parser::read_value(std::string& out) {
  const std::size_t start = in_.pos();
  if (!in_.read_value(out)) return false;
  drop_nuls(start, out);
  // An escaped quote is read as one while a further quote follows on its
  // line; one with a line break after it inside the value would close the
  // value once it is written out.
  for (std::size_t q = out.find("\\\""); q != std::string::npos; q = out.find("\\\"", q + 2)) {
    const std::size_t next = out.find('"', q + 2);
    const std::size_t line_end = out.find_first_of("\r\n", q + 2);
    if (line_end != std::string::npos && line_end < next) {
      report_.complete = false;
      problem(start, "a value holds a quote before a line break and cannot be saved as it is");
      break;
    }
  }
  return true;
}

void map_parser::drop_nuls(std::size_t start, std::string& out) {
  // Keys and values are kept as C strings, where a NUL would end the text
  // early: what the reader compared ("origin", "classname") would not be what
  // gets saved. The NULs go, and the report says so.
  if (out.find('\0') != std::string::npos) {
    std::erase(out, '\0');
    problem(start, "a key or value held NUL characters; they were removed");
  }
}

// Three numbers, malformed ones read as 0 and counted like any other. The
// value starts at value_at in the text.
bool map_parser::read_origin(const std::string& value, std::size_t value_at, vertex_t& out) {
  text_cursor words(value);
  std::string_view word[4];
  int count = 0;
  while (count < 4 && words.next_word(word[count])) ++count;
  if (count != 3) return false;
  vec3 v;
  for (int i = 0; i < 3; ++i)
    v[i] = number(word[i], value_at + static_cast<std::size_t>(word[i].data() - value.data()));
  out = to_float(v);
  return true;
}

inline double map_parser::number(std::string_view word, std::size_t at) {
  bool malformed = false;
  const char* end = nullptr;
  const double v = field_from_word(word.data(), word.data() + word.size(), &end, &malformed);
  if (malformed) [[unlikely]]
    report_malformed(word, at);
  return v;
}

// The next word read as a number; false when only whitespace is left.
inline bool map_parser::next_number(double& out) {
  if (in_.peek_past_space() == END) return false;
  const char* const start = text_.data() + in_.pos();
  const char* end = start;
  bool malformed = false;
  out = field_from_word(start, text_.data() + text_.size(), &end, &malformed);
  in_.move_to(static_cast<std::size_t>(end - text_.data()));
  if (malformed) [[unlikely]]
    report_malformed(std::string_view(start, static_cast<std::size_t>(end - start)),
                     static_cast<std::size_t>(start - text_.data()));
  return true;
}

void map_parser::report_malformed(std::string_view word, std::size_t at) {
  ++report_.malformed_numbers;
  problem(at, "the number \"" + std::string(word) + "\" is malformed and was read as 0");
}

// After a face's first '(': three points, the texture name and the values of
// the face's dialect. False when the text ends first.
inline bool map_parser::read_face(parsed_face& f) {
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && !in_.skip_past('(')) return false;
    if (!next_number(f.point[i].x) || !next_number(f.point[i].y) || !next_number(f.point[i].z)) return false;
  }
  if (!in_.skip_past(')') || !in_.next_word(f.texture)) return false;
  return read_face_values(f);
}

// The dialect function: what follows a face's texture name, read in the
// dialect the face is written in, which the text itself tells. Valve 220
// faces give their texture axes in brackets; after the scales QUAKE 2 and 3
// faces have three numbers (content flags, surface flags, value) and Hexen 2
// faces one, which the model keeps as text. A new dialect is told apart here.
inline bool map_parser::read_face_values(parsed_face& f) {
  const bool axes = in_.peek_past_space() == '[';
  if (!(axes ? read_valve_values(f) : read_standard_values(f))) return false;
  const int trailing = read_trailing_numbers();
  f.extra = extra_;
  f.dialect = axes            ? DIALECT_VALVE
              : trailing == 3 ? DIALECT_QUAKE2
              : trailing == 1 ? DIALECT_HEXEN2
                              : DIALECT_STANDARD;
  note_dialect(f.dialect);
  return true;
}

// A map whose faces are not all of one dialect is in the first of these that
// any of them is in.
inline void map_parser::note_dialect(face_dialect d) {
  static constexpr face_dialect order[] = {DIALECT_VALVE, DIALECT_QUAKE2, DIALECT_HEXEN2, DIALECT_STANDARD};
  auto rank = [](face_dialect x) {
    return std::find(std::begin(order), std::end(order), x) - std::begin(order);
  };
  if (d != dialect_ && rank(d) < rank(dialect_)) dialect_ = d;
}

// Offsets, rotation, scales.
inline bool map_parser::read_standard_values(parsed_face& f) {
  for (double& v : f.values) {
    if (!next_number(v)) return false;
  }
  f.hasaxes = false;
  std::fill(&f.texaxis[0][0], &f.texaxis[0][0] + 6, 0.0);
  return true;
}

// An axis with its offset for each direction, then rotation and scales.
inline bool map_parser::read_valve_values(parsed_face& f) {
  if (!read_axis(f.texaxis[0], f.values[0]) || !read_axis(f.texaxis[1], f.values[1])) return false;
  if (!next_number(f.values[2]) || !next_number(f.values[3]) || !next_number(f.values[4])) return false;
  f.hasaxes = true;
  return true;
}

// "[ x y z offset ]", the brackets apart from the numbers or against them.
inline bool map_parser::read_axis(double axis[3], double& offset) {
  if (!in_.skip_past('[')) return false;
  std::string_view word;
  bool closed = false;
  for (int k = 0; k < 4; ++k) {
    if (!in_.next_word(word)) return false;
    if (k == 0 && word.size() > 1 && word.front() == '[') word.remove_prefix(1);
    if (k == 3 && word.size() > 1 && word.back() == ']') {
      word.remove_suffix(1);
      closed = true;
    }
    (k < 3 ? axis[k] : offset) = number(word, static_cast<std::size_t>(word.data() - text_.data()));
  }
  return closed || in_.skip_past(']');
}

// Numbers after the scales, up to the next face or the end of the brush,
// into extra_; returns how many.
inline int map_parser::read_trailing_numbers() {
  extra_.clear();
  int count = 0;
  for (int c = in_.peek_past_space(); (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
       c = in_.peek_past_space()) {
    std::string_view word;
    in_.next_word(word);
    if (!extra_.empty()) extra_ += ' ';
    extra_ += word;
    ++count;
  }
  return count;
}

// After a '{' in a point entity: a brush, rather than the next entity, when
// a face or the brush's end comes first.
bool map_parser::brush_follows() {
  for (;;) {
    const int c = in_.peek_past_space();
    if (c != '/') return c == '(' || c == '}' || std::isalpha(c) != 0;
    in_.skip_line();
  }
}

// A word where a face should start. Patches and brushes in a syntax with
// their own texture matrices would be lost on save, so such a map is not
// opened at all; anything else is skipped and reported.
void map_parser::read_word_in_brush() {
  const std::size_t at = in_.pos();
  std::string_view word;
  in_.next_word(word);
  if (word.starts_with("patchDef") || word.starts_with("brushDef")) {
    refuse("The map holds a \"" + std::string(word) + "\" on line " + std::to_string(where(at).line) +
           ", which this editor cannot keep; it was not opened.");
    return;
  }
  report_.complete = false;
  problem(at, "the word \"" + std::string(word) + "\" inside a brush is not part of a face and was skipped");
}

void map_parser::refuse(std::string error) {
  refused_ = true;
  report_.error = std::move(error);
}

void map_parser::problem(std::size_t at, std::string text) {
  if (static_cast<int>(report_.problems.size()) >= MAX_LISTED_PROBLEMS) {
    ++report_.unlisted_problems;
    return;
  }
  const text_place place = where(at);
  report_.problems.push_back({place.line, place.column, std::move(text)});
  brushes_before_.push_back(brushes_ended_);
}

// Reading ends here; what was read so far stays, and the report says what
// the open records lost.
void map_parser::stop(std::size_t at, const std::string& why) {
  const char* lost = "";
  switch (state_) {
    case state::brush_entity:
      lost = "; the entity's key/value pairs were not kept";
      break;
    case state::brush:
      lost = "; the open brush was not rebuilt and its entity's key/value pairs were not kept";
      break;
    case state::point_entity:
      lost = "; the point entity was not added";
      break;
    case state::outside:
    case state::leading_pairs:
      break;
  }
  stopped_ = true;
  report_.complete = false;
  problem(at, why + lost);
}

// Once, where the records end: text that is no map is refused, and what the
// text left open is reported.
bool map_parser::end() {
  if (ended_) return false;
  ended_ = true;
  if (!refused_ && !looks_like_a_map()) {
    refuse("The text is not a map file.");
    report_.not_a_map = true;
  }
  if (!stopped_ && !refused_ && state_ != state::outside) {
    stop(in_.pos(), pairs_cut_                      ? "the file ends inside an entity's key/value pairs"
                    : state_ == state::brush        ? "the file ends inside a brush"
                    : state_ == state::point_entity ? "the file ends inside a point entity"
                                                    : "the file ends inside a brush entity");
  }
  return false;
}

// Text with no entity at all, or with NUL characters before the first one,
// is some other kind of file: opened as an empty map, it would be written over
// with nothing at the next save. Whitespace alone has nothing to lose.
bool map_parser::looks_like_a_map() const {
  if (first_entity_ == std::string_view::npos) {
    return std::all_of(text_.begin(), text_.end(),
                       [](char c) { return is_space(static_cast<unsigned char>(c)); });
  }
  return text_.substr(0, first_entity_).find('\0') == std::string_view::npos;
}
