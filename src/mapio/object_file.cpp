#include "mapio/object_file.h"

#include <cmath>

#include "base/number_text.h"
#include "base/text_cursor.h"
#include "base/whole_file.h"
#include "mapio/atomic_file.h"
#include "mapio/file_face.h"
#include "mapio/map_writer.h"
#include "model/colour.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"

namespace {

// ---- writing ----

void put_face(std::string& out, const surf* s, const vertex_t& centre) {
  // The writer's choice of whole-numbered points keeps the face's plane even
  // where the polygon corners are fractional; all of them then move by the
  // same whole vector, so the brush's planes come out exactly, only shifted.
  double p[3][3];
  face_points_to_write(s, p);
  const float c[3] = {centre.x, centre.y, centre.z};
  for (const auto& point : p) {
    out += "( ";
    for (int k = 0; k < 3; ++k) {
      append_fixed(out, std::floor((point[k] + 0.5) - c[k]), 0);
      out += ' ';
    }
    out += ") ";
  }
  out += s->texname;
  out += " 0 0 0 1 1\n";
}

// ---- reading ----

// Walks the text one character at a time like the map reader, but with no
// entity level: every '{' opens a brush, '}' closes the open one.
class object_reader {
 public:
  object_reader(std::string_view text, const vertex_t& offset, hull_t* world)
      : in_(text), offset_(offset), world_(world) {}
  object_report run();

 private:
  bool skip_past(char c) { return in_.skip_past(c); }
  bool next_word(std::string_view& out) { return in_.next_word(out); }
  float coordinate(std::string_view word, float offset);
  bool read_face();
  void open_brush();
  void close_brush();

  text_cursor in_;
  vertex_t offset_;
  hull_t* world_;
  object_report report_;

  brush_t* first_ = nullptr;  // the new brushes in file order, not yet in the world
  brush_t* last_ = nullptr;
  brush_t* open_ = nullptr;  // the brush whose '}' has not come yet
  surf** face_tail_ = nullptr;
};

// A point coordinate moved by offset. Neither a malformed number nor a sum
// beyond the float range gets into the brush: both count as malformed and
// leave the coordinate at the offset.
float object_reader::coordinate(std::string_view word, float offset) {
  bool malformed = false;
  const float v = float_from_text(word, &malformed);
  const float moved = v + offset;
  if (!malformed && std::isfinite(moved)) return moved;
  ++report_.malformed_numbers;
  return offset;
}

// After a face's first '(': three points, the texture name and five numbers
// that an object does not keep. Returns false, linking nothing, when the text
// ends first.
bool object_reader::read_face() {
  vertex_t p[3];
  std::string_view word;
  for (int i = 0; i < 3; ++i) {
    if (i > 0 && !skip_past('(')) return false;
    float* xyz[3] = {&p[i].x, &p[i].y, &p[i].z};
    const float by[3] = {offset_.x, offset_.y, offset_.z};
    for (int k = 0; k < 3; ++k) {
      if (!next_word(word)) return false;
      *xyz[k] = coordinate(word, by[k]);
    }
  }
  if (!skip_past(')')) return false;
  if (!next_word(word)) return false;
  const std::string_view texture = word;
  for (int i = 0; i < 5; ++i) {
    if (!next_word(word)) return false;
  }

  // Moved by the offset in float, the points are the model's own rather than
  // the file's: they are written as any float points are.
  const vec3 points[3] = {to_double(p[0]), to_double(p[1]), to_double(p[2])};
  surf* s = append_file_face(open_, face_tail_, points, texture);
  s->scale[0] = 1;  // the file's texture values are not used
  s->scale[1] = 1;
  return true;
}

void object_reader::open_brush() {
  if (open_ != nullptr) ++report_.unclosed_brushes;
  auto* b = new brush_t;
  b->valid = 1;
  b->vis = 1;
  b->entity = -1;
  b->hull = world_;
  (first_ == nullptr ? first_ : last_->next) = b;
  last_ = b;
  open_ = b;
  face_tail_ = &b->fsurf;
  ++report_.brushes;
}

void object_reader::close_brush() {
  report_.unbuilt_faces += fixbrush(open_);
  append_to_selection(open_);  // a brush of this file, closed once, is new to the selection
  open_ = nullptr;
}

object_report object_reader::run() {
  unselectbrushes();
  for (int c; (c = in_.get()) != text_cursor::END;) {
    switch (c) {
      case '/':
        skip_past('\n');
        break;
      case '{':
        open_brush();
        break;
      case '(':
        if (open_ != nullptr && !read_face()) report_.complete = false;
        break;
      case '}':
        if (open_ != nullptr) close_brush();
        break;
      default:
        break;
    }
  }
  if (open_ != nullptr) ++report_.unclosed_brushes;
  if (first_ != nullptr) {
    last_->next = world_->brush;
    world_->brush = first_;
  }
  return std::move(report_);
}

}  // namespace

std::string object_text(const vertex_t& centre) {
  std::string out;
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) {
    const brush_t* b = n->brush;
    if (b->valid == 0) continue;
    out += "{\n";
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) put_face(out, s, centre);
    out += "}\n";
  }
  return out;
}

std::string write_object(const std::string& path, const vertex_t& centre) {
  return write_file_atomically(path, object_text(centre));
}

object_report merge_object_text(std::string_view text, const vertex_t& offset) {
  if (hull == nullptr) {
    object_report r;
    r.error = "There is no world entity to merge the object into; nothing was merged.";
    return r;
  }
  return object_reader(text, offset, hull).run();
}

object_report merge_object(const std::string& path, const vertex_t& offset) {
  std::string text;
  if (std::string error = read_whole_file(path, text); !error.empty()) {
    object_report r;
    r.error = error + " Nothing was merged.";
    return r;
  }
  return merge_object_text(text, offset);
}
