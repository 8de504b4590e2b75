#include "mapio/map_reader.h"

#include "edit/box_brush.h"
#include "mapio/file_face.h"
#include "mapio/number_text.h"
#include "mapio/text_cursor.h"
#include "mapio/whole_file.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"

namespace {

constexpr int END = text_cursor::END;

// The reader walks the text one character at a time; its state is which kind
// of record the last '{' opened.
class map_reader {
 public:
  explicit map_reader(std::string_view text) : in_(text) {}
  load_report run();

 private:
  enum class state { outside, brush_entity, brush, point_entity };

  int get() { return in_.get(); }
  void unget() { in_.unget(); }
  bool skip_past(char c) { return in_.skip_past(c); }
  bool next_word(std::string_view& out) { return in_.next_word(out); }
  // A key or value: the characters up to c, consuming c; false at the end of
  // the text.
  bool read_until(char c, std::string& out);
  float number(std::string_view word);

  int getheader(tmapentity_t* entity, keyval** header);
  void token(tmapentity_t* entity, keyval* node, const std::string& key, const std::string& value);
  bool saveentity(tmapentity_t* entity, keyval* header);
  bool read_face();

  void open_entity();
  void open_brush();
  void close_record();
  void read_stray_pair();

  void problem(std::size_t pos, std::string text);
  void stop(std::size_t pos, const std::string& why);

  text_cursor in_;

  load_report report_;
  bool stopped_ = false;
  bool refused_ = false;
  bool pairs_cut_ = false;  // the text ended inside an entity's leading pairs

  state state_ = state::outside;
  tmapentity_t scratch_;
  keyval* list_ = nullptr;  // key/value list of the open entity, not yet stored
  keyval** list_tail_ = &list_;
  hull_t** hull_tail_ = &hull;
  hull_t* current_hull_ = nullptr;
  brush_t** brush_tail_ = nullptr;
  brush_t* current_brush_ = nullptr;
  surf** face_tail_ = nullptr;
  std::size_t brush_start_ = 0;

  std::string key_, value_;  // reused so most pairs need no allocation
};

bool map_reader::read_until(char c, std::string& out) {
  const std::size_t start = in_.pos();
  if (!in_.read_until(c, out)) return false;
  // Keys and values are kept as C strings, where a NUL would end the text
  // early: what the reader compared ("origin", "classname") would not be what
  // gets saved. The NULs go, and the report says so.
  if (out.find('\0') != std::string::npos) {
    std::erase(out, '\0');
    problem(start, "a key or value held NUL characters; they were removed");
  }
  return true;
}

float map_reader::number(std::string_view word) {
  bool malformed = false;
  const float v = float_from_text(word, &malformed);
  if (malformed) {
    ++report_.malformed_numbers;
    problem(in_.pos() - word.size(),
            "the number \"" + std::string(word) + "\" is malformed and was read as 0");
  }
  return v;
}

void map_reader::problem(std::size_t pos, std::string text) {
  if (static_cast<int>(report_.problems.size()) >= MAX_LISTED_PROBLEMS) {
    ++report_.unlisted_problems;
    return;
  }
  report_.problems.push_back({in_.line_at(pos), std::move(text)});
}

// Reading ends here; what was linked so far stays, and the report says what
// the open records lost.
void map_reader::stop(std::size_t pos, const std::string& why) {
  static constexpr const char* lost[] = {
      "",
      "; the entity's key/value pairs were not kept",
      "; the open brush was not rebuilt and its entity's key/value pairs were not kept",
      "; the point entity was not added",
  };
  stopped_ = true;
  report_.complete = false;
  problem(pos, why + lost[static_cast<int>(state_)]);
}

// Reads the pairs after an entity's '{' into a new list headed by *header.
// Returns 0 for a point entity (it had an "origin" pair), 1 otherwise, and 1
// at once when the text ends.
int map_reader::getheader(tmapentity_t* entity, keyval** header) {
  *header = nullptr;
  keyval** tail = header;
  bool point = false;
  for (;;) {
    int c = get();
    while (is_space(c)) c = get();
    if (c == END) break;
    if (c != '"') {
      unget();
      list_tail_ = tail;
      return point ? 0 : 1;
    }
    if (!read_until('"', key_) || !skip_past('"')) break;
    if (key_ == "origin") {
      // The third word carries the closing quote, which the conversion ignores.
      float xyz[3];
      int got = 0;
      for (std::string_view word; got < 3 && next_word(word); ++got) xyz[got] = number(word);
      if (got < 3) break;
      entity->origin[0] = vertex_t{xyz[0], xyz[1], xyz[2]};
      point = true;
      continue;
    }
    if (!read_until('"', value_)) break;
    auto* node = new keyval;
    token(entity, node, key_, value_);
    *tail = node;
    tail = &node->next;
  }
  pairs_cut_ = true;
  list_tail_ = tail;
  return 1;
}

void map_reader::token(tmapentity_t* entity, keyval* node, const std::string& key, const std::string& value) {
  node->key = new_text_block(key.c_str());
  node->value = new_text_block(value.c_str());
  if (key == "message") copy_field(entity->message, sizeof entity->message, value.c_str());
  if (key == "wad") copy_field(entity->wad, sizeof entity->wad, value.c_str());
  if (key == "classname") copy_field(entity->classname, sizeof entity->classname, value.c_str());
  if (key == "target") copy_field(entity->target, sizeof entity->target, value.c_str());
  if (key == "targetname") copy_field(entity->targetname, sizeof entity->targetname, value.c_str());
}

// Appends a point entity with its marker box; false when the table is full.
bool map_reader::saveentity(tmapentity_t* entity, keyval* header) {
  if (numentity == MAX_ENTITIES) return false;
  const short slot = numentity++;
  dentity_t& e = entities[slot];
  e.header = header;
  e.origin = entity->origin[0];
  e.valid = 1;
  brush_t* marker = new_brush(&e.origin, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  marker->entity = slot;
  marker->valid = 1;
  e.brush = marker;
  return true;
}

// After a face's first '(': three points, the texture name and five numbers.
// Returns false, linking nothing, when the text ends first.
bool map_reader::read_face() {
  float p[3][3];
  std::string_view word;
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && !skip_past('(')) return false;
    for (float& v : p[i]) {
      if (!next_word(word)) return false;
      v = number(word);
    }
  }
  if (!skip_past(')')) return false;
  if (!next_word(word)) return false;
  std::string_view texture = word;
  float values[5];
  for (float& v : values) {
    if (!next_word(word)) return false;
    v = number(word);
  }

  const vertex_t points[3] = {
      {p[0][0], p[0][1], p[0][2]}, {p[1][0], p[1][1], p[1][2]}, {p[2][0], p[2][1], p[2][2]}};
  surf* s = append_file_face(current_brush_, face_tail_, points, texture);
  s->sofs = values[0];
  s->tofs = values[1];
  s->flips = values[2];
  s->scale[0] = values[3];
  s->scale[1] = values[4];
  return true;
}

void map_reader::open_entity() {
  const std::size_t at = in_.pos() - 1;
  if (state_ == state::point_entity) {
    problem(at, "a point entity was not closed before the next '{' and was not added");
    free_keyvals(list_);
  }
  zeromapentity(&scratch_);
  if (getheader(&scratch_, &list_) == 0) {
    state_ = state::point_entity;
    return;
  }
  ++report_.brush_entities;
  auto* h = new hull_t;
  copy_field(h->classname, sizeof h->classname, scratch_.classname);
  copy_field(h->wad, sizeof h->wad, scratch_.wad);
  copy_field(h->message, sizeof h->message, scratch_.message);
  copy_field(h->target, sizeof h->target, scratch_.target);
  copy_field(h->targetname, sizeof h->targetname, scratch_.targetname);
  *hull_tail_ = h;
  hull_tail_ = &h->next;
  current_hull_ = h;
  brush_tail_ = &h->brush;
  state_ = state::brush_entity;
}

void map_reader::open_brush() {
  if (state_ == state::brush) {
    problem(brush_start_, "a brush was not closed before the next '{'; its faces were not rebuilt");
  }
  zeromapentity(&scratch_);
  auto* b = new brush_t;
  b->valid = 1;
  b->vis = 1;
  b->entity = -1;
  b->hull = current_hull_;
  *brush_tail_ = b;
  brush_tail_ = &b->next;
  current_brush_ = b;
  face_tail_ = &b->fsurf;
  brush_start_ = in_.pos() - 1;
  state_ = state::brush;
}

void map_reader::close_record() {
  switch (state_) {
    case state::brush:
      if (const int unbuilt = fixbrush(current_brush_); unbuilt > 0) {
        problem(brush_start_,
                std::to_string(unbuilt) +
                    " face(s) of this brush have a plane that is not a number and were not built");
      }
      state_ = state::brush_entity;
      break;
    case state::brush_entity:
      current_hull_->header = list_;
      list_ = nullptr;
      list_tail_ = &list_;
      state_ = state::outside;
      break;
    case state::point_entity:
      if (!saveentity(&scratch_, list_)) {
        refused_ = true;
        report_.error = "The map has more point entities than the limit of " + std::to_string(MAX_ENTITIES) +
                        " (the first one over it ends on line " + std::to_string(in_.line_at(in_.pos() - 1)) +
                        "); it was not opened.";
        return;
      }
      list_ = nullptr;
      list_tail_ = &list_;
      state_ = state::outside;
      break;
    case state::outside:
      break;
  }
  zeromapentity(&scratch_);
}

// A pair after a brush or between entities. It joins the open entity's list
// after the pairs already there; outside any entity there is nowhere to keep it.
void map_reader::read_stray_pair() {
  const std::size_t at = in_.pos() - 1;
  ++report_.obsolete_pairs;
  if (!read_until('"', key_) || !skip_past('"') || !read_until('"', value_)) {
    stop(at, "the file ends inside a key/value pair");
    return;
  }
  if (state_ == state::outside) {
    problem(at, "the pair \"" + key_ + "\" \"" + value_ + "\" outside any entity was dropped");
    return;
  }
  // Kept, a late "origin" would be saved among the leading pairs and turn a
  // brush entity into a point entity, or move a point entity, when read again.
  if (key_ == "origin") {
    problem(at, "the pair \"origin\" \"" + value_ + "\" after the entity's leading pairs was dropped");
    return;
  }
  keyval* node = new_keyval(key_.c_str(), value_.c_str());
  *list_tail_ = node;
  list_tail_ = &node->next;
}

load_report map_reader::run() {
  release_map();
  origin = vertex_t{};
  zeromapentity(&scratch_);

  while (!stopped_ && !refused_) {
    const int c = get();
    if (c == END) break;
    switch (c) {
      case '/':
        skip_past('\n');
        break;
      case '{':
        if (state_ == state::brush_entity || state_ == state::brush) {
          open_brush();
        } else {
          open_entity();
        }
        break;
      case '(':
        if (state_ != state::brush) {
          stop(in_.pos() - 1, "reading stopped at a '(' outside a brush");
        } else if (!read_face()) {
          stop(in_.pos(), "the file ends inside a face");
        }
        break;
      case '}':
        close_record();
        break;
      case '"':
        read_stray_pair();
        break;
      default:
        break;
    }
  }

  if (!stopped_ && !refused_ && state_ != state::outside) {
    stop(in_.pos(), pairs_cut_                      ? "the file ends inside an entity's key/value pairs"
                    : state_ == state::brush        ? "the file ends inside a brush"
                    : state_ == state::point_entity ? "the file ends inside a point entity"
                                                    : "the file ends inside a brush entity");
  }
  free_keyvals(list_);
  list_ = nullptr;

  if (refused_) {
    release_map();
    load_report refused;
    refused.error = report_.error;
    return refused;
  }
  return std::move(report_);
}

}  // namespace

load_report read_map_text(std::string_view text) { return map_reader(text).run(); }

load_report read_map(const std::string& path) {
  std::string text;
  if (std::string error = read_whole_file(path, text); !error.empty()) {
    load_report r;
    r.error = std::move(error);
    return r;
  }
  return read_map_text(text);
}
