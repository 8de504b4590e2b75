#include "mapio/map_builder.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

#include "mapio/file_face.h"
#include "mapio/source_layout.h"
#include "model/box.h"
#include "model/map_state.h"
#include "model/view_options.h"

map_builder::map_builder(std::string_view text, load_report& report, int threads, bool keep_places,
                         read_table& numbers, std::size_t before)
    : places_(text),
      text_(text),
      report_(report),
      keep_places_(keep_places),
      numbers_(numbers),
      numbers_before_(before),
      hull_tail_(&hull),
      rebuilt_(threads, keep_places) {}

map_builder::~map_builder() { free_keyvals(list_); }

bool map_builder::add_other(const parsed_record& r) {
  switch (r.kind) {
    case record_kind::entity:
      open_entity(r.at);
      break;
    case record_kind::pair:
      add_pair(r);
      break;
    case record_kind::brush_entity:
      start_brush_entity();
      break;
    case record_kind::brush:
      open_brush(r.at);
      break;
    case record_kind::face:
      add_face(r.face);
      break;
    case record_kind::brush_end:
      close_brush(r.at);
      break;
    case record_kind::entity_end:
      return close_entity(r.at);
  }
  return true;
}

// The pairs of a point entity that was never closed go with it.
void map_builder::open_entity(std::size_t at) {
  entity_place_ = {last_entity_end_, line_start_before(text_, at), 0, 0};
  pairs_end_ = brushes_end_ = line_end_after(text_, at + 1);
  entity_open_ = true;
  had_brush_ = late_pairs_ = false;
  free_keyvals(list_);
  list_ = nullptr;
  list_tail_ = &list_;
  origin_node_ = nullptr;
  brush_entity_ = false;
  zeromapentity(&scratch_);
}

void map_builder::add_pair(const parsed_record& r) {
  // Pairs before the first brush make the entity's head; later ones sit among
  // its brushes.
  if (had_brush_) {
    late_pairs_ = true;
  } else {
    pairs_end_ = brushes_end_ = line_end_after(text_, r.end);
  }
  const parsed_pair& p = r.pair;
  keyval* node = new_keyval(p.key.c_str(), p.value.c_str());
  *list_tail_ = node;
  list_tail_ = &node->next;
  if (!p.leading) return;
  const char* value = p.value.c_str();
  if (p.key == "message") copy_field(scratch_.message, sizeof scratch_.message, value);
  if (p.key == "wad") copy_field(scratch_.wad, sizeof scratch_.wad, value);
  if (p.key == "classname") copy_field(scratch_.classname, sizeof scratch_.classname, value);
  if (p.key == "target") copy_field(scratch_.target, sizeof scratch_.target, value);
  if (p.key == "targetname") copy_field(scratch_.targetname, sizeof scratch_.targetname, value);
  // The origin stays in the list where it stood: a brush entity keeps it
  // there, a point entity takes it out when it is stored.
  if (p.origin) {
    scratch_.origin[0] = p.point;
    origin_node_ = node;
  }
}

void map_builder::start_brush_entity() {
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
  origin_node_ = nullptr;
  brush_entity_ = true;
}

void map_builder::open_brush(std::size_t at) {
  auto* b = new brush_t;
  if (keep_places_) {
    // A brush the text did not close runs up to this one, and is not rebuilt.
    if (brush_open_) {
      current_brush_->source.end = brushes_end_ = line_start_before(text_, at);
      current_brush_->source.read_as = brush_fingerprint(current_brush_);
    }
    b->source = {brushes_end_, line_start_before(text_, at), 0, 0};
  }
  brush_open_ = had_brush_ = true;
  b->valid = 1;
  b->vis = 1;
  b->entity = -1;
  b->hull = current_hull_;
  *brush_tail_ = b;
  brush_tail_ = &b->next;
  current_brush_ = b;
  face_tail_ = &b->fsurf;
  brush_start_ = at;
}

void map_builder::add_face(const parsed_face& f) {
  surf* s = append_file_face(current_brush_, face_tail_, f.point, f.texture);
  const auto narrow = [](double v) { return static_cast<float>(v); };
  s->sofs = narrow(f.values[0]);
  s->tofs = narrow(f.values[1]);
  s->flips = narrow(f.values[2]);
  s->scale[0] = narrow(f.values[3]);
  s->scale[1] = narrow(f.values[4]);
  if (f.hasaxes) {
    s->hasaxes = 1;
    for (int i = 0; i < 2; ++i) std::transform(f.texaxis[i], f.texaxis[i] + 3, s->texaxis[i], narrow);
  }
  if (!f.extra.empty()) s->extra.assign(f.extra);
  const auto whole_point = [](const vec3& p) {
    return whole_in_float(p.x) && whole_in_float(p.y) && whole_in_float(p.z);
  };
  const auto whole_axis = [](const double* a) { return std::all_of(a, a + 3, whole_in_float); };
  if (std::all_of(f.point, f.point + 3, whole_point) && std::all_of(f.values, f.values + 5, whole_in_float) &&
      (!f.hasaxes || (whole_axis(f.texaxis[0]) && whole_axis(f.texaxis[1])))) {
    s->read = whole_read_mark(s->filepoint);
    return;
  }
  // Past the largest index a face can hold, a face keeps no read numbers.
  const std::size_t index = numbers_before_ + numbers_.size() + 1;
  if (index >= WHOLE_READ) return;
  read_numbers& read = numbers_.add();
  std::copy(f.point, f.point + 3, read.point);
  std::copy(f.values, f.values + 5, read.values);
  for (int i = 0; i < 2 && f.hasaxes; ++i) std::copy(f.texaxis[i], f.texaxis[i] + 3, read.axis[i]);
  s->read = static_cast<std::uint32_t>(index);
}

void map_builder::close_brush(std::size_t at) {
  if (keep_places_) current_brush_->source.end = brushes_end_ = line_end_after(text_, at + 1);
  brush_open_ = false;
  // "Fix brushes" off leaves the faces as read. A brush rebuilt takes its
  // fingerprint there.
  if (options.fixb != 0) {
    rebuilt_.add(current_brush_, brush_start_);
  } else if (keep_places_) {
    current_brush_->source.read_as = brush_fingerprint(current_brush_);
  }
}

// Where an entity ends (at its '}', or at the end of a text that stopped
// inside it), its place and those of its parts are known.
void map_builder::close_places(std::size_t end) {
  entity_open_ = false;
  if (!keep_places_) return;
  entity_place_.end = end;
  if (brush_open_) {
    current_brush_->source.end = brushes_end_ = end;
    current_brush_->source.read_as = brush_fingerprint(current_brush_);
  }
  if (brush_entity_) {
    current_hull_->source = entity_place_;
    current_hull_->pairs_end = pairs_end_;
    current_hull_->brushes_end = brushes_end_;
    current_hull_->late_pairs = late_pairs_;
  }
  last_entity_end_ = end;
}

bool map_builder::close_entity(std::size_t at) {
  brush_open_ = false;
  close_places(line_end_after(text_, at + 1));
  if (brush_entity_) {
    if (current_hull_->brush == nullptr) current_hull_->keepempty = 1;
    current_hull_->header = list_;
  } else if (!save_point_entity()) {
    report_.error = "The map has more point entities than the limit of " + std::to_string(MAX_ENTITIES) +
                    " (the first one over it ends on line " + std::to_string(places_.place_at(at).line) +
                    "); it was not opened.";
    return false;
  }
  list_ = nullptr;
  list_tail_ = &list_;
  return true;
}

// Appends the open point entity with its marker box; false when the table is
// full.
bool map_builder::save_point_entity() {
  if (numentity == MAX_ENTITIES) return false;
  const short slot = numentity++;
  dentity_t& e = entities[slot];
  if (keep_places_) e.source = entity_place_;
  // The writer puts the origin after the other pairs.
  e.header = origin_node_ != nullptr ? delete_keyval(list_, origin_node_) : list_;
  origin_node_ = nullptr;
  e.origin = scratch_.origin[0];
  e.valid = 1;
  if (keep_places_) e.source.read_as = point_fingerprint(e);
  // The marker's box is rebuilt with the brushes, off the reading thread.
  brush_t* marker = new_marker(scratch_.classname, e.origin, false);
  rebuilt_.add_marker(marker);
  marker->entity = slot;
  marker->valid = 1;
  e.brush = marker;
  return true;
}

void map_builder::finish(face_dialect dialect, const std::vector<std::size_t>& brushes_before) {
  // A brush entity the text ended in keeps the rest of the text where it is
  // saved; a point entity it ended in was not added, nor is a brush entity
  // saved without brushes, and their text follows the last entity.
  if (entity_open_ && brush_entity_ && (current_hull_->brush != nullptr || current_hull_ == hull))
    close_places(text_.size());
  free_keyvals(list_);
  list_ = nullptr;
  map_dialect = dialect;
  rebuilt_.finish();

  // Every brush that ended went to be rebuilt, or with "fix brushes" off none
  // did.
  std::vector<load_problem> listed = std::move(report_.problems);
  report_.problems.clear();
  std::size_t b = 0;
  auto list_brushes_before = [&](std::size_t end) {
    for (end = std::min(end, rebuilt_.size()); b < end; ++b) {
      if (const int unbuilt = rebuilt_.unbuilt(b); unbuilt > 0) {
        const text_place place = places_.place_at(rebuilt_.at(b));
        list({place.line, place.column,
              std::to_string(unbuilt) +
                  " face(s) of this brush have a plane that is not a number and were not built"});
      }
    }
  };
  for (std::size_t i = 0; i < listed.size(); ++i) {
    list_brushes_before(brushes_before[i]);
    list(std::move(listed[i]));
  }
  list_brushes_before(rebuilt_.size());
}

void map_builder::list(load_problem p) {
  if (static_cast<int>(report_.problems.size()) >= MAX_LISTED_PROBLEMS) {
    ++report_.unlisted_problems;
  } else {
    report_.problems.push_back(std::move(p));
  }
}
