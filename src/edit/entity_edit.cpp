#include "edit/entity_edit.h"

#include "model/box.h"
#include "model/map_state.h"

namespace {

keyval* pairs_list(const std::string& classname, const key_values& pairs) {
  keyval* head = new_keyval("classname", classname.c_str());
  keyval** tail = &head->next;
  for (const auto& [key, value] : pairs) {
    *tail = new_keyval(key.c_str(), value.c_str());
    tail = &(*tail)->next;
  }
  return head;
}

// Unlinks b from its entity's brush list.
void unlink(brush_t* b) {
  for (brush_t** at = &b->hull->brush; *at != nullptr; at = &(*at)->next) {
    if (*at == b) {
      *at = b->next;
      b->next = nullptr;
      return;
    }
  }
}

void link(brush_t* b, hull_t* h) {
  b->hull = h;
  b->next = h->brush;
  h->brush = b;
}

}  // namespace

int place_point_entity(const std::string& classname, const vertex_t& origin, const key_values& pairs) {
  if (numentity >= MAX_ENTITIES) return -1;
  const int slot = numentity++;
  dentity_t& e = entities[slot];
  e = dentity_t{};
  e.header = pairs_list(classname, pairs);
  e.origin = origin;
  e.valid = 1;
  e.brush = new_marker(classname, origin);
  e.brush->entity = static_cast<short>(slot);
  return slot;
}

hull_t* make_brush_entity(const std::string& classname, const key_values& pairs) {
  std::vector<brush_t*> moving;
  for (brush_t* b : selected_brushes()) {
    if (b->entity == -1 && b->hull == hull) moving.push_back(b);
  }
  if (moving.empty() || hull == nullptr) return nullptr;
  auto* h = new hull_t;
  h->header = pairs_list(classname, pairs);
  copy_field(h->classname, sizeof h->classname, classname.c_str());
  h->next = hull->next;
  hull->next = h;
  for (brush_t* b : moving) {
    unlink(b);
    link(b, h);
  }
  return h;
}

int move_to_world() {
  int moved = 0;
  for (brush_t* b : selected_brushes()) {
    if (b->entity != -1 || b->hull == nullptr || b->hull == hull) continue;
    hull_t* from = b->hull;
    unlink(b);
    link(b, hull);
    ++moved;
    if (from->brush != nullptr) continue;
    // Left empty: the entity goes.
    for (hull_t** at = &hull->next; *at != nullptr; at = &(*at)->next) {
      if (*at != from) continue;
      *at = from->next;
      from->next = nullptr;
      free_hull(from);
      break;
    }
  }
  return moved;
}
