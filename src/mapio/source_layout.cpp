#include "mapio/source_layout.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

#include "mapio/atomic_file.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"

int keep_file_layout = 0;

namespace {

// A 64-bit fingerprint, taken eight bytes at a time. Only the records' own
// fields go in, numbers by value and arrays as below, so no padding byte is
// ever read.
class fingerprint {
 public:
  template <class T>
  requires std::is_arithmetic_v<T>
  void add(T v) {
    std::uint64_t word = 0;
    std::memcpy(&word, &v, sizeof v);
    mix(word);
  }
  // An array of floats or doubles (or of vectors of them), which has no
  // padding, as its bytes.
  template <class T>
  void add_array(const T* v, std::size_t count) {
    static_assert(std::is_floating_point_v<T> || std::is_same_v<T, vertex_t> || std::is_same_v<T, vec3>);
    add_bytes(v, count * sizeof(T));
  }
  void add(std::string_view text) {
    add(text.size());
    add_bytes(text.data(), text.size());
  }
  std::uint64_t value() const {
    std::uint64_t h = (lane_ ^ std::rotl(other_, 31)) * MULTIPLIER;
    return h ^ (h >> 29);
  }

 private:
  void add_bytes(const void* data, std::size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
      std::uint64_t word = 0;
      std::memcpy(&word, p + i, 8);
      mix(word);
    }
    std::uint64_t rest = 0;
    std::memcpy(&rest, p + i, size - i);
    mix(rest);
  }
  // Words go to two lanes in turn, so that the multiplications of one need
  // not wait for the other's: each word goes into lane_, and the lanes then
  // change places, which keeps both in registers.
  void mix(std::uint64_t word) {
    const std::uint64_t h = std::rotl(lane_ ^ word, 27) * MULTIPLIER;
    lane_ = other_;
    other_ = h;
  }
  static constexpr std::uint64_t MULTIPLIER = 0x9e3779b97f4a7c15ULL;
  std::uint64_t lane_ = 0xcbf29ce484222325ULL;
  std::uint64_t other_ = 0x84222325cbf29ce4ULL;
};

}  // namespace

std::uint64_t brush_fingerprint(const brush_t* b) {
  fingerprint f;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    f.add(s->numpoints);
    f.add_array(s->point.data(), static_cast<std::size_t>(std::clamp<int>(s->numpoints, 3, MAX_POINTS)));
    f.add(s->texname);
    const float values[5] = {s->sofs, s->tofs, s->flips, s->scale[0], s->scale[1]};
    f.add_array(values, 5);
    f.add(s->hasaxes);
    f.add_array(s->texaxis[0], 6);
    f.add(s->hasfilepoints);
    f.add_array(s->filepoint, 3);
    f.add(s->read);
    f.add(s->extra);
  }
  return f.value();
}

namespace {

void add_pairs(fingerprint& f, const keyval* kv) {
  for (; kv != nullptr; kv = kv->next) {
    f.add(std::string_view(kv->key != nullptr ? kv->key : ""));
    f.add(std::string_view(kv->value != nullptr ? kv->value : ""));
  }
}

std::uint64_t pairs_fingerprint(const keyval* kv) {
  fingerprint f;
  add_pairs(f, kv);
  return f.value();
}

}  // namespace

std::uint64_t point_fingerprint(const dentity_t& e) {
  fingerprint f;
  add_pairs(f, e.header);
  f.add_array(&e.origin, 1);
  return f.value();
}

namespace {

// The file's own line break, the first one it has; "\n" where it has none.
std::string_view line_break(std::string_view text) {
  const std::size_t at = text.find_first_of("\r\n");
  if (at == std::string_view::npos || text[at] == '\n') return "\n";
  return at + 1 < text.size() && text[at + 1] == '\n' ? "\r\n" : "\r";
}

class layout_writer {
 public:
  explicit layout_writer(std::string& out) : out_(out) {}

  bool read_here(const text_span& s) const {
    return s.end != 0 && s.gap <= s.begin && s.begin < s.end && s.end <= text_.size();
  }

  void put_read(std::size_t from, std::size_t to) { out_.append(text_.substr(from, to - from)); }

  void put_point(const dentity_t& e) {
    if (point_fingerprint(e) == e.source.read_as) {
      put_read(e.source.begin, e.source.end);
    } else {
      put_point_entity_text(out_, e, eol_);
    }
  }

  // A brush entity read from the text: whole as it was when nothing in it
  // changed; else its pairs and each brush as read or in the editor's format,
  // the brushes it gained at its end. Pairs after a brush sit among the
  // brushes' text, so such an entity is written whole in the editor's format
  // once anything in it changes.
  void put_hull(const hull_t* h) {
    const bool pairs_as_read = pairs_fingerprint(h->header) == h->source.read_as;
    std::vector<const brush_t*> placed, added;
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (b->valid == 0) continue;
      const bool inside =
          read_here(b->source) && b->source.gap >= h->pairs_end && b->source.end <= h->brushes_end;
      (inside ? placed : added).push_back(b);
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const brush_t* a, const brush_t* b) { return a->source.begin < b->source.begin; });
    const bool layout_sound =
        h->source.begin <= h->pairs_end && h->pairs_end <= h->brushes_end && h->brushes_end <= h->source.end;
    if (!layout_sound) {
      put_brush_entity_text(out_, h, eol_);
      return;
    }
    if (pairs_as_read && added.empty() && unchanged_run(h, placed)) {
      put_read(h->source.begin, h->source.end);
      return;
    }
    if (h->late_pairs) {
      put_brush_entity_text(out_, h, eol_);
      return;
    }
    if (pairs_as_read) {
      put_read(h->source.begin, h->pairs_end);
    } else {
      out_ += '{';
      out_ += eol_;
      put_pairs_text(out_, h->header, eol_);
    }
    std::size_t last_begin = std::string::npos;
    for (const brush_t* b : placed) {
      // Pieces cut from one brush share its place, and its comments once.
      if (b->source.begin != last_begin) put_read(b->source.gap, b->source.begin);
      last_begin = b->source.begin;
      if (brush_fingerprint(b) == b->source.read_as) {
        put_read(b->source.begin, b->source.end);
      } else {
        put_brush_text(out_, b, eol_);
      }
    }
    for (const brush_t* b : added) put_brush_text(out_, b, eol_);
    put_read(h->brushes_end, h->source.end);
  }

  // The text of a whole map.
  void put_map() {
    struct placed_entity {
      std::size_t begin;
      const hull_t* h;
      const dentity_t* e;
    };
    std::vector<placed_entity> placed;
    std::vector<const hull_t*> added_hulls;
    std::vector<const dentity_t*> added_points;
    for (const hull_t* h = hull; h != nullptr; h = h->next) {
      if (!hull_is_written(h)) continue;
      if (read_here(h->source)) {
        placed.push_back({h->source.begin, h, nullptr});
      } else {
        added_hulls.push_back(h);
      }
    }
    for (int i = 0; i < numentity; ++i) {
      const dentity_t& e = entities[i];
      if (e.valid == 0) continue;
      if (read_here(e.source)) {
        placed.push_back({e.source.begin, nullptr, &e});
      } else {
        added_points.push_back(&e);
      }
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const placed_entity& a, const placed_entity& b) { return a.begin < b.begin; });
    // A world the text did not have goes first, where readers look for it.
    if (!added_hulls.empty() && added_hulls.front() == hull) {
      put_brush_entity_text(out_, hull, eol_);
      added_hulls.erase(added_hulls.begin());
    }
    std::size_t last_end = 0;
    for (const placed_entity& p : placed) {
      const text_span& s = p.h != nullptr ? p.h->source : p.e->source;
      if (s.gap < last_end) {
        // Spans of one reading never overlap; were they to, the record is
        // still written whole, in the editor's format.
        p.h != nullptr ? put_brush_entity_text(out_, p.h, eol_) : put_point_entity_text(out_, *p.e, eol_);
        continue;
      }
      put_read(s.gap, s.begin);
      p.h != nullptr ? put_hull(p.h) : put_point(*p.e);
      last_end = s.end;
    }
    put_read(std::min(std::max(map_source.entities_end, last_end), text_.size()), text_.size());
    if (!out_.empty() && out_.back() != '\n' && out_.back() != '\r' &&
        (!added_hulls.empty() || !added_points.empty())) {
      out_ += eol_;
    }
    for (const hull_t* h : added_hulls) put_brush_entity_text(out_, h, eol_);
    for (const dentity_t* e : added_points) put_point_entity_text(out_, *e, eol_);
  }

 private:
  // The placed brushes follow one another in the text from the entity's
  // pairs to its last brush, none touched and none missing.
  bool unchanged_run(const hull_t* h, const std::vector<const brush_t*>& placed) const {
    std::size_t at = h->pairs_end;
    for (const brush_t* b : placed) {
      if (b->source.gap != at || brush_fingerprint(b) != b->source.read_as) return false;
      at = b->source.end;
    }
    return at == h->brushes_end;
  }

  std::string& out_;
  const std::string_view text_ = map_source.text;
  const std::string_view eol_ = line_break(map_source.text);
};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::string map_text_keeping_layout() {
  std::string out;
  out.reserve(map_source.text.size() + 4096);
  layout_writer(out).put_map();
  return out;
}

std::string map_save_text() {
  return keep_file_layout != 0 && !map_source.text.empty() ? map_text_keeping_layout() : map_text();
}

std::string write_map(const std::string& path) { return write_file_atomically(path, map_save_text()); }

void take_as_read(std::string text, std::size_t entities_end, read_table numbers) {
  map_source.text = std::move(text);
  map_source.numbers = std::move(numbers);
  map_source.entities_end = entities_end;
  for (hull_t* h = hull; h != nullptr; h = h->next) h->source.read_as = pairs_fingerprint(h->header);
}

std::size_t line_start_before(std::string_view text, std::size_t at) {
  std::size_t p = at;
  while (p > 0 && is_blank(text[p - 1])) --p;
  return p == 0 || text[p - 1] == '\n' || text[p - 1] == '\r' ? p : at;
}

std::size_t line_end_after(std::string_view text, std::size_t at) {
  std::size_t p = at;
  while (p < text.size() && is_blank(text[p])) ++p;
  if (p == text.size()) return p;
  if (text[p] == '\r') return p + 1 < text.size() && text[p + 1] == '\n' ? p + 2 : p + 1;
  return text[p] == '\n' ? p + 1 : at;
}
