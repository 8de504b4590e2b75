#include "model/map_state.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <new>

#include "model/view_options.h"

hull_t* hull = nullptr;
dentity_t entities[MAX_ENTITIES];
short numentity = 0;
brushlist* blist = new brushlist;
brushlist* cbrushlist = blist;
brush_t* hibr = nullptr;
surf* hilight = nullptr;
int map_dialect = DIALECT_STANDARD;
source_text map_source;

read_numbers& read_table::add() {
  if (size_ == blocks_.size() * BLOCK) blocks_.push_back(std::make_unique<read_numbers[]>(BLOCK));
  ++size_;
  return blocks_.back()[(size_ - 1) % BLOCK];
}

void read_table::append(const read_table& more) {
  for (std::size_t i = 0; i < more.size(); ++i) add() = more[i];
}

const read_numbers* read_numbers_of(const surf* s) {
  if (s->read == 0 || (s->read & WHOLE_READ) != 0 || s->read > map_source.numbers.size()) return nullptr;
  return &map_source.numbers[s->read - 1];
}

std::uint32_t whole_read_mark(const vertex_t points[3]) {
  // Each float's bits times an odd number of its own, summed and mixed.
  constexpr std::uint64_t FACTORS[9] = {0x9e3779b97f4a7c15ULL, 0xc2b2ae3d27d4eb4fULL, 0x165667b19e3779f9ULL,
                                        0xd6e8feb86659fd93ULL, 0xa0761d6478bd642fULL, 0xe7037ed1a0b428dbULL,
                                        0x8ebc6af09c88c6e3ULL, 0x589965cc75374cc3ULL, 0x1d8e4e27c47d124fULL};
  std::uint64_t h = 0;
  for (int i = 0; i < 3; ++i) {
    h += std::bit_cast<std::uint32_t>(points[i].x) * FACTORS[3 * i];
    h += std::bit_cast<std::uint32_t>(points[i].y) * FACTORS[3 * i + 1];
    h += std::bit_cast<std::uint32_t>(points[i].z) * FACTORS[3 * i + 2];
  }
  h ^= h >> 31;
  return WHOLE_READ | static_cast<std::uint32_t>((h * 0x94d049bb133111ebULL) >> 33);
}
surf* thi = nullptr;
vertex_t* closest_point = nullptr;
std::vector<surf*> selected_faces;
// On a cache line of its own: threads rebuilding brushes read it while the
// reading thread writes globals all the time.
alignas(64) view_options options;

void insert_brush_in_list(brush_t* b) {
  if (!is_selected(b)) append_to_selection(b);
}

void append_to_selection(brush_t* b) {
  selected_faces.clear();
  cbrushlist->brush = b;
  if (cbrushlist->next == nullptr) cbrushlist->next = new brushlist;
  cbrushlist = cbrushlist->next;
  cbrushlist->brush = nullptr;
}

void unselectbrushes() {
  blist->brush = nullptr;
  cbrushlist = blist;
  hibr = nullptr;
}

bool selection_empty() { return blist->brush == nullptr; }

void pick_face(surf* s, bool toggle) {
  unselectbrushes();
  if (!toggle) selected_faces.clear();
  if (s == nullptr || s->brush == nullptr || s->brush->entity != -1) return;
  const auto found = std::find(selected_faces.begin(), selected_faces.end(), s);
  if (found == selected_faces.end()) {
    selected_faces.push_back(s);
  } else if (toggle) {
    selected_faces.erase(found);
  }
}

void unselect_faces() { selected_faces.clear(); }

bool is_face_selected(const surf* s) {
  return std::find(selected_faces.begin(), selected_faces.end(), s) != selected_faces.end();
}

void remove_brush_from_list(brush_t* b) {
  hull_t* h = b->hull;
  if (h == nullptr) return;
  if (h->brush == b) {
    h->brush = b->next;
    return;
  }
  for (brush_t* p = h->brush; p != nullptr; p = p->next) {
    if (p->next == b) {
      p->next = b->next;
      return;
    }
  }
}

keyval* delete_keyval(keyval* start, keyval* node) {
  if (node == start) {
    keyval* rest = start->next;
    node->next = nullptr;
    free_keyvals(node);
    return rest;
  }
  for (keyval* p = start; p != nullptr; p = p->next) {
    if (p->next == node) {
      p->next = node->next;
      node->next = nullptr;
      free_keyvals(node);
      break;
    }
  }
  return start;
}

void zeromapentity(tmapentity_t* e) { *e = tmapentity_t{}; }

namespace {

std::size_t text_block_size(std::size_t length) { return std::max<std::size_t>(TEXT_BLOCK, length + 1); }

// Puts text in place of the text of `block`, in a new block; the old one is
// released unless it is part of the node (bit `in_node` of its texts_in_node).
void replace_text(keyval* kv, char*& block, unsigned char in_node, const char* text) {
  const std::size_t length = std::strlen(text);
  char* fresh = new char[text_block_size(length)];
  std::memcpy(fresh, text, length + 1);
  if ((kv->texts_in_node & in_node) != 0) {
    kv->texts_in_node = static_cast<unsigned char>(kv->texts_in_node & ~in_node);
  } else {
    delete[] block;
  }
  block = fresh;
}

}  // namespace

keyval* new_keyval(const char* key, const char* value) {
  // A map's pairs are many and short: one allocation rather than three.
  const std::size_t key_length = std::strlen(key), value_length = std::strlen(value);
  const std::size_t key_room = text_block_size(key_length);
  void* whole = ::operator new(sizeof(keyval) + key_room + text_block_size(value_length));
  auto* kv = new (whole) keyval;
  kv->key = reinterpret_cast<char*>(kv + 1);
  kv->value = kv->key + key_room;
  std::memcpy(kv->key, key, key_length + 1);
  std::memcpy(kv->value, value, value_length + 1);
  kv->texts_in_node = KEY_IN_NODE | VALUE_IN_NODE;
  return kv;
}

void set_key(keyval* kv, const char* text) { replace_text(kv, kv->key, KEY_IN_NODE, text); }
void set_value(keyval* kv, const char* text) { replace_text(kv, kv->value, VALUE_IN_NODE, text); }

void copy_field(char* field, int size, const char* text) {
  const std::size_t n = std::min<std::size_t>(std::strlen(text), static_cast<std::size_t>(size - 1));
  std::memcpy(field, text, n);
  field[n] = '\0';
}

hull_t* new_world_entity() {
  auto* w = new hull_t;
  copy_field(w->classname, sizeof w->classname, "worldspawn");
  w->header = new_keyval("classname", "worldspawn");
  return w;
}

void free_keyvals(keyval* list) {
  while (list != nullptr) {
    keyval* next = list->next;
    if ((list->texts_in_node & KEY_IN_NODE) == 0) delete[] list->key;
    if ((list->texts_in_node & VALUE_IN_NODE) == 0) delete[] list->value;
    list->~keyval();
    ::operator delete(list);
    list = next;
  }
}

surf* copy_face(const surf* s) {
  auto* copy = new surf(*s);
  copy->next = nullptr;
  copy->brush = nullptr;
  return copy;
}

void free_faces(surf* list) {
  while (list != nullptr) {
    surf* next = list->next;
    if (!selected_faces.empty()) std::erase(selected_faces, list);
    delete list;
    list = next;
  }
}

void forget_brush(const brush_t* b) {
  if (hibr == b) hibr = nullptr;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (hilight == s) hilight = nullptr;
    if (thi == s) thi = nullptr;
    if (s->point.holds(closest_point)) closest_point = nullptr;
  }
  unselect_brush(b);
}

surf* face_holding(const vertex_t* p) {
  const auto in_brush = [p](brush_t* b) -> surf* {
    for (surf* s = b != nullptr ? b->fsurf : nullptr; s != nullptr; s = s->next) {
      if (s->point.holds(p)) return s;
    }
    return nullptr;
  };
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (surf* s = in_brush(b)) return s;
    }
  }
  for (int i = 0; i < numentity; ++i) {
    if (surf* s = in_brush(entities[i].brush)) return s;
  }
  return nullptr;
}

std::string world_value(const char* key) {
  for (const keyval* kv = hull != nullptr ? hull->header : nullptr; kv != nullptr; kv = kv->next) {
    if (kv->key != nullptr && kv->value != nullptr && std::strcmp(kv->key, key) == 0) return kv->value;
  }
  return "";
}

void unselect_brush(const brush_t* b) {
  // Close the gap in the selection run, keeping the order of the others.
  brushlist* keep = blist;
  for (brushlist* n = blist; n->brush != nullptr; n = n->next) {
    if (n->brush == b) continue;
    keep->brush = n->brush;
    keep = keep->next;
  }
  keep->brush = nullptr;
  cbrushlist = keep;
}

std::vector<brush_t*> selected_brushes() {
  std::vector<brush_t*> list;
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) list.push_back(n->brush);
  return list;
}

bool is_selected(const brush_t* b) {
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) {
    if (n->brush == b) return true;
  }
  return false;
}

void free_brush(brush_t* b) {
  if (b == nullptr) return;
  forget_brush(b);
  free_faces(b->fsurf);
  delete b;
}

void free_hull(hull_t* h) {
  brush_t* b = h->brush;
  while (b != nullptr) {
    brush_t* next = b->next;
    free_brush(b);
    b = next;
  }
  free_keyvals(h->header);
  delete h;
}

void release_records() {
  while (hull != nullptr) {
    hull_t* next = hull->next;
    free_hull(hull);
    hull = next;
  }
  for (int i = 0; i < numentity; ++i) {
    free_keyvals(entities[i].header);
    free_brush(entities[i].brush);
    entities[i] = dentity_t{};
  }
  numentity = 0;
}

void release_map() {
  selected_faces.clear();  // before the records, so their release need not look
  release_records();
  hilight = nullptr;
  thi = nullptr;
  closest_point = nullptr;
  unselectbrushes();
}
