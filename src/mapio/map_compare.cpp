#include "mapio/map_compare.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <functional>

#include "base/number_text.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"
#include "model/texture_axes.h"

namespace {

// Planes of two faces are the same when they face the same way and the three
// points of one lie this close to the other: the writer keeps each point it
// writes within a hundredth of a unit of the plane it stands for.
constexpr double SAME_DIRECTION = 0.99;
constexpr double SAME_PLANE_DISTANCE = 0.011;

// Lines two lists up by their longest common run of alike items: pairs of
// indices, with -1 on the side an item is missing from.
template <class T, class Alike>
std::vector<std::pair<int, int>> align(const std::vector<T>& a, const std::vector<T>& b, Alike alike) {
  std::vector<std::pair<int, int>> out;
  // Alike runs at both ends are taken as they are, so the table below only
  // spans where the lists part (mostly nothing).
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && alike(a[head], b[head])) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         alike(a[a.size() - 1 - tail], b[b.size() - 1 - tail])) {
    ++tail;
  }
  for (std::size_t k = 0; k < head; ++k) out.emplace_back(static_cast<int>(k), static_cast<int>(k));
  const std::size_t n = a.size() - head - tail, m = b.size() - head - tail;
  std::vector<std::vector<int>> run(n + 1, std::vector<int>(m + 1, 0));
  auto same = [&](std::size_t i, std::size_t j) { return alike(a[head + i], b[head + j]); };
  for (std::size_t i = n; i-- > 0;) {
    for (std::size_t j = m; j-- > 0;) {
      run[i][j] = same(i, j) ? run[i + 1][j + 1] + 1 : std::max(run[i + 1][j], run[i][j + 1]);
    }
  }
  std::size_t i = 0, j = 0;
  while (i < n || j < m) {
    if (i < n && j < m && same(i, j) && run[i][j] == run[i + 1][j + 1] + 1) {
      out.emplace_back(static_cast<int>(head + i++), static_cast<int>(head + j++));
    } else if (j < m && (i == n || run[i][j + 1] >= run[i + 1][j])) {
      out.emplace_back(-1, static_cast<int>(head + j++));
    } else {
      out.emplace_back(static_cast<int>(head + i++), -1);
    }
  }
  for (std::size_t k = 0; k < tail; ++k) {
    out.emplace_back(static_cast<int>(a.size() - tail + k), static_cast<int>(b.size() - tail + k));
  }
  return out;
}

face_record record_face(const surf* s) {
  face_record f;
  const vertex_t* p = s->hasfilepoints ? s->filepoint : s->point.data();
  const double a[3] = {p[1].x - static_cast<double>(p[0].x), p[1].y - static_cast<double>(p[0].y),
                       p[1].z - static_cast<double>(p[0].z)};
  const double b[3] = {p[2].x - static_cast<double>(p[0].x), p[2].y - static_cast<double>(p[0].y),
                       p[2].z - static_cast<double>(p[0].z)};
  const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (len > 1e-9 && std::isfinite(len)) {
    f.has_plane = true;
    for (int i = 0; i < 3; ++i) f.normal[i] = n[i] / len;
    f.dist = f.normal[0] * p[0].x + f.normal[1] * p[0].y + f.normal[2] * p[0].z;
  }
  for (int i = 0; i < 3; ++i) {
    f.points[i][0] = p[i].x;
    f.points[i][1] = p[i].y;
    f.points[i][2] = p[i].z;
  }
  f.texname = s->texname;
  const float values[5] = {s->sofs, s->tofs, s->flips, s->scale[0], s->scale[1]};
  for (int i = 0; i < 5; ++i) f.values[i] = values[i];
  // In a Valve 220 map every face has axes, its own or those that show its
  // texture as a standard face would.
  f.has_axes = writes_texture_axes();
  if (f.has_axes) texture_axes(s, f.axes);
  f.extra = s->extra;
  return f;
}

std::vector<std::pair<std::string, std::string>> record_pairs(const keyval* kv) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (; kv != nullptr; kv = kv->next) pairs.emplace_back(kv->key, kv->value);
  return pairs;
}

bool points_on(const face_record& plane, const face_record& f) {
  for (const auto& p : f.points) {
    const double d = plane.normal[0] * p[0] + plane.normal[1] * p[1] + plane.normal[2] * p[2] - plane.dist;
    if (!(std::fabs(d) <= SAME_PLANE_DISTANCE)) return false;
  }
  return true;
}

bool same_plane(const face_record& a, const face_record& b) {
  if (!a.has_plane || !b.has_plane) return false;
  // The same points are the same plane, even where they lie so far out that
  // the distances below are mostly rounding.
  if (std::equal(&a.points[0][0], &a.points[0][0] + 9, &b.points[0][0])) return true;
  const double cosine = a.normal[0] * b.normal[0] + a.normal[1] * b.normal[1] + a.normal[2] * b.normal[2];
  return cosine >= SAME_DIRECTION && (points_on(a, b) || points_on(b, a));
}

bool same_text_fields(const face_record& a, const face_record& b) {
  if (a.texname != b.texname || a.extra != b.extra || a.has_axes != b.has_axes) return false;
  for (int i = 0; i < 5; ++i) {
    if (a.values[i] != b.values[i]) return false;
  }
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) {
      if (a.axes[i][k] != b.axes[i][k]) return false;
    }
  }
  return true;
}

// Appends a space and v.
void add(std::string& out, double v) {
  out += ' ';
  append_shortest(out, static_cast<float>(v));
}

// A face as the user would recognise it: its plane and texture fields.
std::string describe(const face_record& f) {
  std::string out = "plane (";
  if (f.has_plane) {
    for (const double c : f.normal) add(out, c);
    out += " )";
    add(out, f.dist);
  } else {
    out += "none)";
  }
  out += ' ';
  out += f.texname;
  if (f.has_axes) {
    for (const auto& axis : f.axes) {
      out += " [";
      for (const float v : axis) add(out, v);
      out += " ]";
    }
  }
  for (const float v : f.values) add(out, v);
  if (!f.extra.empty()) {
    out += ' ';
    out += f.extra;
  }
  return out;
}

std::string name_of(const entity_record& e, std::size_t index) {
  for (const auto& [key, value] : e.pairs) {
    if (key == "classname") return "entity " + std::to_string(index) + " (" + value + ")";
  }
  return "entity " + std::to_string(index);
}

// Matches b's faces to a's by plane; false when some face has no partner.
bool faces_match(const brush_record& a, const brush_record& b, std::vector<int>& partner) {
  if (a.faces.size() != b.faces.size()) return false;
  partner.assign(a.faces.size(), -1);
  std::vector<bool> taken(b.faces.size(), false);
  for (std::size_t i = 0; i < a.faces.size(); ++i) {
    // Faces usually keep their order: try the same place first.
    for (std::size_t k = 0; k < b.faces.size(); ++k) {
      const std::size_t j = (i + k) % b.faces.size();
      if (taken[j] || !same_plane(a.faces[i], b.faces[j])) continue;
      partner[i] = static_cast<int>(j);
      taken[j] = true;
      break;
    }
    if (partner[i] < 0) return false;
  }
  return true;
}

// A face without a plane can only be matched by its place in the brush.
bool brushes_match(const brush_record& a, const brush_record& b, std::vector<int>& partner) {
  if (faces_match(a, b, partner)) return true;
  if (a.faces.size() != b.faces.size()) return false;
  for (std::size_t i = 0; i < a.faces.size(); ++i) {
    const face_record& fa = a.faces[i];
    const face_record& fb = b.faces[i];
    if (fa.has_plane || fb.has_plane) {
      if (!same_plane(fa, fb)) return false;
    }
    partner[i] = static_cast<int>(i);
  }
  return true;
}

void compare_brushes(const entity_record& a, const entity_record& b, const std::string& where,
                     std::vector<std::string>& out) {
  std::vector<bool> taken(b.brushes.size(), false);
  std::vector<int> partner;
  for (std::size_t i = 0; i < a.brushes.size(); ++i) {
    const brush_record& ba = a.brushes[i];
    bool found = false;
    for (std::size_t k = 0; k < b.brushes.size() && !found; ++k) {
      const std::size_t j = (i + k) % b.brushes.size();
      if (taken[j] || !brushes_match(ba, b.brushes[j], partner)) continue;
      taken[j] = found = true;
      for (std::size_t f = 0; f < ba.faces.size(); ++f) {
        const face_record& fa = ba.faces[f];
        const face_record& fb = b.brushes[j].faces[static_cast<std::size_t>(partner[f])];
        if (!same_text_fields(fa, fb)) {
          out.push_back(where + ", brush " + std::to_string(i) + ": face " + describe(fa) + " became " +
                        describe(fb));
        }
      }
    }
    if (!found) {
      out.push_back(where + ": brush " + std::to_string(i) + " removed (" + std::to_string(ba.faces.size()) +
                    " faces, first " + (ba.faces.empty() ? "none" : describe(ba.faces[0])) + ")");
    }
  }
  for (std::size_t j = 0; j < b.brushes.size(); ++j) {
    if (taken[j]) continue;
    const brush_record& bb = b.brushes[j];
    out.push_back(where + ": brush " + std::to_string(j) + " added (" + std::to_string(bb.faces.size()) +
                  " faces, first " + (bb.faces.empty() ? "none" : describe(bb.faces[0])) + ")");
  }
}

std::string pair_text(const std::pair<std::string, std::string>& p) {
  return "\"" + p.first + "\" \"" + p.second + "\"";
}

void compare_entities(const entity_record& a, std::size_t ia, const entity_record& b,
                      std::vector<std::string>& out) {
  const std::string where = name_of(a, ia);
  if (a.point != b.point) {
    out.push_back(where + ": " +
                  (a.point ? "point entity became a brush entity" : "brush entity became a point entity"));
  }
  for (const auto& [i, j] : align(a.pairs, b.pairs, std::equal_to<>())) {
    if (j < 0)
      out.push_back(where + ": pair " + pair_text(a.pairs[static_cast<std::size_t>(i)]) + " removed");
    if (i < 0) out.push_back(where + ": pair " + pair_text(b.pairs[static_cast<std::size_t>(j)]) + " added");
  }
  if (a.point && b.point && a.origin != b.origin) {
    std::string line = where + ": origin";
    for (const float c : {a.origin.x, a.origin.y, a.origin.z}) add(line, c);
    line += " became";
    for (const float c : {b.origin.x, b.origin.y, b.origin.z}) add(line, c);
    out.push_back(std::move(line));
  }
  compare_brushes(a, b, where, out);
}

// How alike two entities look, for lining up the two lists: the same kind
// and class at least.
bool same_kind(const entity_record& a, const entity_record& b) {
  if (a.point != b.point) return false;
  auto classname = [](const entity_record& e) {
    for (const auto& [key, value] : e.pairs) {
      if (key == "classname") return value;
    }
    return std::string();
  };
  return classname(a) == classname(b);
}

}  // namespace

map_record record_model() {
  map_record m;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    if (!hull_is_written(h)) continue;
    entity_record e;
    e.pairs = record_pairs(h->header);
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (b->valid == 0) continue;
      brush_record br;
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) br.faces.push_back(record_face(s));
      e.brushes.push_back(std::move(br));
    }
    m.entities.push_back(std::move(e));
  }
  for (int i = 0; i < numentity; ++i) {
    const dentity_t& d = entities[i];
    if (d.valid == 0) continue;
    entity_record e;
    e.point = true;
    e.pairs = record_pairs(d.header);
    e.origin = d.origin;
    m.entities.push_back(std::move(e));
  }
  return m;
}

std::vector<std::string> compare_maps(const map_record& a, const map_record& b) {
  // Entities line up by kind and class, so that one added or removed does
  // not make every later one differ.
  std::vector<std::string> out;
  for (const auto& [i, j] : align(a.entities, b.entities, same_kind)) {
    if (i >= 0 && j >= 0) {
      compare_entities(a.entities[static_cast<std::size_t>(i)], static_cast<std::size_t>(i),
                       b.entities[static_cast<std::size_t>(j)], out);
    } else if (i >= 0) {
      out.push_back(name_of(a.entities[static_cast<std::size_t>(i)], static_cast<std::size_t>(i)) +
                    " removed");
    } else {
      out.push_back(name_of(b.entities[static_cast<std::size_t>(j)], static_cast<std::size_t>(j)) + " added");
    }
  }
  return out;
}
