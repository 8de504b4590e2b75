#include "model/map_history.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <utility>
#include <vector>

#include "model/camera.h"
#include "model/face_fields.h"
#include "model/map_state.h"
#include "model/vector_math.h"

namespace {

// A brush as a snapshot keeps it. Its faces are packed into bytes one after
// another (pack_faces), which takes a fraction of what face records would.
struct brush_blob {
  std::string faces;
  char valid;
  short entity;
  short numsurfaces;
  text_span source;
};

using pair_list = std::vector<std::pair<std::string, std::string>>;
using brush_ref = std::shared_ptr<const brush_blob>;
using pairs_ref = std::shared_ptr<const pair_list>;

struct hull_snap {
  pairs_ref header;
  char message[25], wad[25], classname[25], target[10], targetname[10];
  int keepempty;
  text_span source;
  std::size_t pairs_end, brushes_end;
  bool late_pairs;
  std::vector<brush_ref> brushes;

  bool same_layout(const hull_snap& o) const {
    return source == o.source && pairs_end == o.pairs_end && brushes_end == o.brushes_end &&
           late_pairs == o.late_pairs;
  }
};

struct entity_snap {
  pairs_ref header;
  vertex_t origin;
  char valid;
  brush_ref marker;
  text_span source;
};

struct map_snapshot {
  std::vector<hull_snap> hulls;
  std::vector<entity_snap> ents;
};

std::vector<map_snapshot> states;  // states[current] is the map as it stands
std::size_t current = 0;
std::uint64_t changes = 0;  // see history_changes
// What the map's file holds; none when no state matches it. A copy shares the
// records of the state it was taken from, so it costs pointers only.
std::optional<map_snapshot> saved_state;

// What each live record was last recorded or restored as, so an unchanged
// brush or pair list is shared instead of copied again.
std::unordered_map<const brush_t*, brush_ref> brush_seen;
std::unordered_map<const void*, pairs_ref> pairs_seen;  // keyed by the owning entity

// Points worth keeping of a face: its polygon, and never fewer than the three
// that carry its plane.
std::size_t kept_points(const surf* s) {
  return static_cast<std::size_t>(std::clamp<int>(s->numpoints, 3, MAX_POINTS));
}

template <class T>
void put(std::string& out, const T& v) {
  static_assert(std::is_trivially_copyable_v<T>);
  out.append(reinterpret_cast<const char*>(&v), sizeof v);
}
void put(std::string& out, const std::string& text) {
  put(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

// Each face of b: its point count, the points worth keeping, its colour and
// the fields of face_fields.h. The plane (norm, dist) is left out: it follows
// from the points and is recomputed when the face is rebuilt. So is `vis`,
// which says what the view shows, not what the map holds.
void pack_faces(const brush_t* b, std::string& out) {
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    put(out, s->numpoints);
    out.append(reinterpret_cast<const char*>(s->point.data()), kept_points(s) * sizeof(vertex_t));
    put(out, s->clr);
    for_each_face_field(*s, *s, [&out](const auto& field, const auto&) { put(out, field); });
  }
}

// Reads back, in turn, what pack_faces wrote.
class face_unpacker {
 public:
  explicit face_unpacker(const std::string& bytes) : at_(bytes.data()), end_(bytes.data() + bytes.size()) {}
  bool done() const { return at_ == end_; }

  // The next face, linked to nothing.
  surf* next() {
    auto* s = new surf;
    get(s->numpoints);
    const std::size_t count = kept_points(s), kept = count * sizeof(vertex_t);
    std::memcpy(s->point.room(static_cast<int>(count)), at_, kept);
    at_ += kept;
    get(s->clr);
    for_each_face_field(*s, *s, [this](auto& field, auto&) { get(field); });
    return s;
  }

 private:
  template <class T>
  void get(T& v) {
    std::memcpy(&v, at_, sizeof v);
    at_ += sizeof v;
  }
  void get(std::string& text) {
    std::uint32_t size = 0;
    get(size);
    text.assign(at_, size);
    at_ += size;
  }

  const char* at_;
  const char* end_;
};

// A brush's faces packed, in a buffer each thread reuses.
const std::string& packed_faces(const brush_t* b) {
  thread_local std::string bytes;
  bytes.clear();
  pack_faces(b, bytes);
  return bytes;
}

bool same_brush(const brush_t* b, const brush_blob& blob) {
  return b->valid == blob.valid && b->entity == blob.entity && b->numsurfaces == blob.numsurfaces &&
         b->source == blob.source && packed_faces(b) == blob.faces;
}

brush_ref copy_brush(const brush_t* b) {
  auto blob = std::make_shared<brush_blob>();
  blob->valid = b->valid;
  blob->entity = b->entity;
  blob->numsurfaces = b->numsurfaces;
  blob->source = b->source;
  blob->faces = packed_faces(b);  // a copy the size of what it holds
  return blob;
}

bool same_pairs(const keyval* kv, const pair_list& pairs) {
  std::size_t i = 0;
  for (; kv != nullptr; kv = kv->next, ++i) {
    if (i >= pairs.size() || pairs[i].first != kv->key || pairs[i].second != kv->value) return false;
  }
  return i == pairs.size();
}

// Builds the snapshot of the live map, sharing what has not changed since the
// last time each record was seen.
class snapshot_taker {
 public:
  map_snapshot take() {
    map_snapshot snap;
    for (const hull_t* h = hull; h != nullptr; h = h->next) {
      hull_snap hs{};
      hs.header = share_pairs(h, h->header);
      std::memcpy(hs.message, h->message, sizeof hs.message);
      std::memcpy(hs.wad, h->wad, sizeof hs.wad);
      std::memcpy(hs.classname, h->classname, sizeof hs.classname);
      std::memcpy(hs.target, h->target, sizeof hs.target);
      std::memcpy(hs.targetname, h->targetname, sizeof hs.targetname);
      hs.keepempty = h->keepempty;
      hs.source = h->source;
      hs.pairs_end = h->pairs_end;
      hs.brushes_end = h->brushes_end;
      hs.late_pairs = h->late_pairs;
      for (const brush_t* b = h->brush; b != nullptr; b = b->next) hs.brushes.push_back(share_brush(b));
      snap.hulls.push_back(std::move(hs));
    }
    for (int i = 0; i < numentity; ++i) {
      const dentity_t& e = entities[i];
      snap.ents.push_back({share_pairs(&e, e.header), e.origin, e.valid,
                           e.brush != nullptr ? share_brush(e.brush) : nullptr, e.source});
    }
    brush_seen.swap(brushes_now);
    pairs_seen.swap(pairs_now);
    return snap;
  }

 private:
  brush_ref share_brush(const brush_t* b) {
    const auto it = brush_seen.find(b);
    brush_ref ref = it != brush_seen.end() && same_brush(b, *it->second) ? it->second : copy_brush(b);
    brushes_now[b] = ref;
    return ref;
  }

  pairs_ref share_pairs(const void* owner, const keyval* header) {
    const auto it = pairs_seen.find(owner);
    pairs_ref ref;
    if (it != pairs_seen.end() && same_pairs(header, *it->second)) {
      ref = it->second;
    } else {
      auto pairs = std::make_shared<pair_list>();
      for (const keyval* kv = header; kv != nullptr; kv = kv->next) pairs->emplace_back(kv->key, kv->value);
      ref = pairs;
    }
    pairs_now[owner] = ref;
    return ref;
  }

  std::unordered_map<const brush_t*, brush_ref> brushes_now;
  std::unordered_map<const void*, pairs_ref> pairs_now;
};

bool same_snapshot(const map_snapshot& a, const map_snapshot& b) {
  if (a.hulls.size() != b.hulls.size() || a.ents.size() != b.ents.size()) return false;
  for (std::size_t i = 0; i < a.hulls.size(); ++i) {
    const hull_snap& x = a.hulls[i];
    const hull_snap& y = b.hulls[i];
    if (x.header != y.header || x.brushes != y.brushes || x.keepempty != y.keepempty || !x.same_layout(y) ||
        std::memcmp(x.message, y.message, sizeof x.message) != 0 ||
        std::memcmp(x.wad, y.wad, sizeof x.wad) != 0 ||
        std::memcmp(x.classname, y.classname, sizeof x.classname) != 0 ||
        std::memcmp(x.target, y.target, sizeof x.target) != 0 ||
        std::memcmp(x.targetname, y.targetname, sizeof x.targetname) != 0) {
      return false;
    }
  }
  for (std::size_t i = 0; i < a.ents.size(); ++i) {
    const entity_snap& x = a.ents[i];
    const entity_snap& y = b.ents[i];
    if (x.header != y.header || x.origin != y.origin || x.valid != y.valid || x.marker != y.marker ||
        x.source != y.source) {
      return false;
    }
  }
  return true;
}

keyval* build_pairs(const pair_list& pairs) {
  keyval* head = nullptr;
  keyval** tail = &head;
  for (const auto& [key, value] : pairs) {
    *tail = new_keyval(key.c_str(), value.c_str());
    tail = &(*tail)->next;
  }
  return head;
}

brush_t* build_brush(const brush_ref& ref, hull_t* owner) {
  auto* b = new brush_t;
  b->valid = ref->valid;
  b->vis = 1;
  b->hull = owner;
  b->entity = ref->entity;
  b->numsurfaces = ref->numsurfaces;
  b->source = ref->source;
  surf** tail = &b->fsurf;
  for (face_unpacker faces(ref->faces); !faces.done();) {
    surf* s = faces.next();
    s->vis = 1;
    s->brush = b;
    if (s->numpoints >= 3) makenormal(s, origin);
    *tail = s;
    tail = &s->next;
  }
  brush_seen[b] = ref;
  return b;
}

void restore(const map_snapshot& snap) {
  release_map();
  brush_seen.clear();
  pairs_seen.clear();
  hull_t** tail = &hull;
  for (const hull_snap& hs : snap.hulls) {
    auto* h = new hull_t;
    h->header = build_pairs(*hs.header);
    pairs_seen[h] = hs.header;
    std::memcpy(h->message, hs.message, sizeof h->message);
    std::memcpy(h->wad, hs.wad, sizeof h->wad);
    std::memcpy(h->classname, hs.classname, sizeof h->classname);
    std::memcpy(h->target, hs.target, sizeof h->target);
    std::memcpy(h->targetname, hs.targetname, sizeof h->targetname);
    h->keepempty = hs.keepempty;
    h->source = hs.source;
    h->pairs_end = hs.pairs_end;
    h->brushes_end = hs.brushes_end;
    h->late_pairs = hs.late_pairs;
    brush_t** btail = &h->brush;
    for (const brush_ref& ref : hs.brushes) {
      *btail = build_brush(ref, h);
      btail = &(*btail)->next;
    }
    *tail = h;
    tail = &h->next;
  }
  numentity = static_cast<short>(snap.ents.size());
  for (std::size_t i = 0; i < snap.ents.size(); ++i) {
    const entity_snap& es = snap.ents[i];
    dentity_t& e = entities[i];
    e.header = build_pairs(*es.header);
    pairs_seen[&e] = es.header;
    e.origin = es.origin;
    e.valid = es.valid;
    e.brush = es.marker != nullptr ? build_brush(es.marker, nullptr) : nullptr;
    e.source = es.source;
  }
}

}  // namespace

void history_reset() {
  ++changes;
  states.clear();
  brush_seen.clear();
  pairs_seen.clear();
  states.push_back(snapshot_taker().take());
  current = 0;
  saved_state = states[0];
}

bool history_record() {
  if (states.empty()) history_reset();
  map_snapshot snap = snapshot_taker().take();
  if (same_snapshot(snap, states[current])) return false;
  states.resize(current + 1);
  states.push_back(std::move(snap));
  if (states.size() > HISTORY_STEPS + 1) states.erase(states.begin());
  current = states.size() - 1;
  ++changes;
  return true;
}

std::uint64_t history_changes() { return changes; }

bool history_can_undo() { return current > 0 && current < states.size(); }

bool history_can_redo() { return current + 1 < states.size(); }

bool history_undo() {
  if (!history_can_undo()) return false;
  --current;
  restore(states[current]);
  ++changes;
  return true;
}

bool history_redo() {
  if (!history_can_redo()) return false;
  ++current;
  restore(states[current]);
  ++changes;
  return true;
}

void history_mark_saved() {
  history_record();
  saved_state = states[current];
}

void history_forget_saved() { saved_state.reset(); }

bool history_unsaved() {
  if (states.empty()) return false;
  return !saved_state || !same_snapshot(states[current], *saved_state);
}

std::size_t history_bytes() {
  std::unordered_map<const void*, bool> counted;
  std::size_t bytes = 0;
  auto pairs_size = [&](const pairs_ref& p) {
    if (!p || !counted.emplace(p.get(), true).second) return;
    bytes += sizeof(pair_list) + p->capacity() * sizeof(pair_list::value_type);
    for (const auto& [k, v] : *p) bytes += k.capacity() + v.capacity();
  };
  auto brush_size = [&](const brush_ref& b) {
    if (!b || !counted.emplace(b.get(), true).second) return;
    bytes += sizeof(brush_blob) + b->faces.capacity();
  };
  for (const map_snapshot& s : states) {
    bytes += sizeof(map_snapshot) + s.hulls.capacity() * sizeof(hull_snap) +
             s.ents.capacity() * sizeof(entity_snap);
    for (const hull_snap& h : s.hulls) {
      bytes += h.brushes.capacity() * sizeof(brush_ref);
      pairs_size(h.header);
      for (const brush_ref& b : h.brushes) brush_size(b);
    }
    for (const entity_snap& e : s.ents) {
      pairs_size(e.header);
      brush_size(e.marker);
    }
  }
  return bytes;
}
