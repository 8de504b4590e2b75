#include "mapio/map_writer.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <numbers>

#include "base/number_text.h"
#include "model/map_state.h"
#include "model/texture_axes.h"

namespace {

// Whole numbers as the file stores them: halves go up.
vec3 rounded(const vec3& v) { return {std::floor(v.x + 0.5), std::floor(v.y + 0.5), std::floor(v.z + 0.5)}; }

// Below this a polygon's area (or a triangle's doubled area) is taken as no
// plane at all.
constexpr double NO_AREA = 1e-6;

struct plane_t {
  vec3 n;  // unit normal
  double d = 0;
  double distance(const vec3& p) const { return dot(n, p) - d; }
};

// The plane a face stands for: fitted to its whole polygon when it has one,
// which is steadier than any three corners of a thin face, else through its
// first three points.
bool face_plane(const surf* s, plane_t& plane) {
  const int count = s->numpoints >= 3 ? s->numpoints : 3;
  vec3 centre;
  for (int i = 0; i < count; ++i) centre = centre + to_double(s->point[i]);
  centre = (1.0 / count) * centre;
  vec3 normal;
  for (int i = 0; i < count; ++i) {
    normal = normal + cross(to_double(s->point[i]) - centre, to_double(s->point[(i + 1) % count]) - centre);
  }
  const double len = length(normal);
  if (!(len > NO_AREA)) return false;  // also false for NaN
  plane.n = (1.0 / len) * normal;
  plane.d = dot(plane.n, centre);
  return true;
}

vec3 triangle_normal(const vec3 p[3]) { return cross(p[1] - p[0], p[2] - p[0]); }

bool plane_through(const vec3 p[3], plane_t& plane) {
  const vec3 n = triangle_normal(p);
  const double len = length(n);
  if (!(len > NO_AREA)) return false;
  plane.n = (1.0 / len) * n;
  plane.d = dot(plane.n, p[0]);
  return true;
}

// True when every corner of the face lies within tolerance of the plane.
bool polygon_on(const surf* s, const plane_t& plane) {
  const int count = s->numpoints >= 3 ? s->numpoints : 3;
  for (int i = 0; i < count; ++i) {
    if (!(std::fabs(plane.distance(to_double(s->point[i]))) <= WRITTEN_PLANE_TOLERANCE)) return false;
  }
  return true;
}

// True when the three points lie on the plane within tolerance and face the
// same way.
bool describes(const plane_t& plane, const vec3 p[3]) {
  const vec3 n = triangle_normal(p);
  if (!(length(n) > NO_AREA) || dot(n, plane.n) <= 0) return false;
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(plane.distance(p[i])) > WRITTEN_PLANE_TOLERANCE) return false;
  }
  return true;
}

// Of all rounded corners i < j < k (so in polygon order, keeping the
// orientation), the three whose plane strays least from the face's polygon,
// as long as no corner strays further than the tolerance.
bool closest_corners(const surf* s, const plane_t& plane, vec3 out[3]) {
  const int count = s->numpoints >= 3 ? s->numpoints : 3;
  vec3 corner[MAX_POINTS], exact[MAX_POINTS];
  for (int i = 0; i < count; ++i) {
    exact[i] = to_double(s->point[i]);
    corner[i] = rounded(exact[i]);
  }
  double best = INFINITY;
  for (int i = 0; i < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      for (int k = j + 1; k < count; ++k) {
        const vec3 tri[3] = {corner[i], corner[j], corner[k]};
        plane_t candidate;
        if (!plane_through(tri, candidate) || dot(candidate.n, plane.n) <= 0) continue;
        double worst = 0;
        for (int m = 0; m < count; ++m) worst = std::fmax(worst, std::fabs(candidate.distance(exact[m])));
        if (worst < best) {
          best = worst;
          for (int q = 0; q < 3; ++q) out[q] = tri[q];
        }
      }
    }
  }
  return best <= WRITTEN_PLANE_TOLERANCE;
}

// The three corners i < j < k, as they are, that span the largest triangle
// facing the plane's way: where no whole numbers keep the plane, the exact
// corners do. False when every such triangle is too thin to carry a plane.
bool exact_corners(const surf* s, const plane_t& plane, vec3 out[3]) {
  const int count = s->numpoints >= 3 ? s->numpoints : 3;
  double best = NO_AREA;
  for (int i = 0; i < count; ++i) {
    for (int j = i + 1; j < count; ++j) {
      for (int k = j + 1; k < count; ++k) {
        const vec3 tri[3] = {to_double(s->point[i]), to_double(s->point[j]), to_double(s->point[k])};
        const double area = dot(triangle_normal(tri), plane.n);
        if (area <= best) continue;
        best = area;
        for (int q = 0; q < 3; ++q) out[q] = tri[q];
      }
    }
  }
  return best > NO_AREA;
}

bool all_whole(const vec3 p[3]) {
  for (int i = 0; i < 3; ++i) {
    if (p[i].x != std::floor(p[i].x) || p[i].y != std::floor(p[i].y) || p[i].z != std::floor(p[i].z))
      return false;
  }
  return true;
}

// A coordinate as a whole number where it is one ("-0" included, as the
// fixed format gives it), else in the fewest decimals that keep it: those of
// the double it was read as when `read`, else those of the float the model
// keeps.
char* put_coordinate(char* p, double c, bool read = false) {
  if (c == std::floor(c)) return put_fixed(p, c, 0);
  return read ? put_shortest_double(p, c) : put_shortest(p, static_cast<float>(c));
}

// True while the model's float is the read number rounded, bit for bit: the
// read number (where there is one) then says the same with the file's own
// precision.
bool still_read(float v, const double* read) {
  return read != nullptr &&
         std::bit_cast<std::uint32_t>(v) == std::bit_cast<std::uint32_t>(static_cast<float>(*read));
}

// A texture number as "%lf" gives it when that reads back the same, else in
// the fewest decimals that do; of the number it was read as while the model
// still holds that.
char* put_texture_number(char* p, float v, const double* read) {
  if (still_read(v, read)) {
    char* const end = put_fixed_if_exact_double(p, *read, 6);
    return end != p ? end : put_shortest_double(p, *read);
  }
  char* const end = put_fixed_if_exact(p, v, 6);
  return end != p ? end : put_shortest(p, v);
}

// A number of a Valve 220 face in the fewest decimals that keep it.
char* put_valve_number(char* p, float v, const double* read) {
  return still_read(v, read) ? put_shortest_double(p, *read) : put_shortest(p, v);
}

// A text piece of known length.
char* put_text(char* p, std::string_view text) {
  std::memcpy(p, text.data(), text.size());
  return p + text.size();
}

}  // namespace

void put_pairs_text(std::string& out, const keyval* list, std::string_view eol) {
  for (const keyval* kv = list; kv != nullptr; kv = kv->next) {
    out += '"';
    out += kv->key != nullptr ? kv->key : "";
    out += "\" \"";
    out += kv->value != nullptr ? kv->value : "";
    out += '"';
    out += eol;
  }
}

namespace {

// The numbers of a face are built in a buffer, each piece with room for the
// longest number, and appended a few at a time: most of a map is numbers.
void put_face(std::string& out, const surf* s, std::string_view eol) {
  char line[12 * (NUMBER_TEXT_ROOM + 2)];
  char* p = line;
  double points[3][3];
  const bool points_read = face_points_to_write(s, points);
  for (const auto& point : points) {
    p = put_text(p, "( ");
    for (const double c : point) {
      p = put_coordinate(p, c, points_read);
      *p++ = ' ';
    }
    p = put_text(p, ") ");
  }
  out.append(line, p);
  out += s->texname;
  p = line;
  const float values[5] = {s->sofs, s->tofs, s->flips, s->scale[0], s->scale[1]};
  const read_numbers* known = read_numbers_of(s);
  // The number a value was read as, or null.
  const auto as_read = [known](const double& field) { return known != nullptr ? &field : nullptr; };
  const read_numbers none;
  const read_numbers& read = known != nullptr ? *known : none;
  if (writes_texture_axes()) {
    float axes[2][3];
    texture_axes(s, axes);
    for (int i = 0; i < 2; ++i) {
      p = put_text(p, " [");
      for (int k = 0; k < 3; ++k) {
        *p++ = ' ';
        p = put_valve_number(p, axes[i][k], as_read(read.axis[i][k]));
      }
      *p++ = ' ';
      p = put_valve_number(p, values[i], as_read(read.values[i]));
      p = put_text(p, " ]");
    }
    for (int i = 2; i < 5; ++i) {
      *p++ = ' ';
      p = put_valve_number(p, values[i], as_read(read.values[i]));
    }
  } else {
    for (int i = 0; i < 5; ++i) {
      *p++ = ' ';
      p = put_texture_number(p, values[i], as_read(read.values[i]));
    }
  }
  // Faces without them, the editor's own among them, are read as zero.
  if (!s->extra.empty()) {
    *p++ = ' ';
    out.append(line, p);
    out += s->extra;
    out += eol;
  } else {
    p = put_text(p, eol);
    out.append(line, p);
  }
}

}  // namespace

bool writes_texture_axes() { return map_dialect == DIALECT_VALVE; }

bool face_points_to_write(const surf* s, double out[3][3]) {
  vec3 chosen[3];
  for (int i = 0; i < 3; ++i) chosen[i] = rounded(to_double(s->point[i]));

  // While the face still lies on the plane it was read with, that plane is
  // exact, where the one fitted to a small polygon is only close, and one
  // fitted to a polygon squeezed to nothing (a sliver) is none at all. Points
  // no edit has moved are taken at the precision the file gave them.
  const read_numbers* known = read_numbers_of(s);
  bool untouched = s->hasfilepoints != 0;
  if (known != nullptr) {
    for (int i = 0; i < 3; ++i) untouched = untouched && s->filepoint[i] == to_float(known->point[i]);
  } else {
    // Whole numbers, which the floats hold exactly.
    untouched = untouched && (s->read & WHOLE_READ) != 0 && s->read == whole_read_mark(s->filepoint);
  }
  vec3 read[3];
  for (int i = 0; i < 3; ++i)
    read[i] = untouched && known != nullptr ? known->point[i] : to_double(s->filepoint[i]);
  bool took_read = false;
  const auto take_read = [&] {
    for (int i = 0; i < 3; ++i) chosen[i] = read[i];
    took_read = true;
  };
  plane_t read_plane;
  // Every edit that moves a plane moves the points it was read with along,
  // so untouched ones still tell it, however far a sliver's rebuilt polygon
  // strays from it. Else the polygon must still lie on it. (The polygon's own
  // way round is not asked: a sliver's is noise.)
  if (s->hasfilepoints && plane_through(read, read_plane) && (untouched || polygon_on(s, read_plane))) {
    // Fractional points stay as they were read, since rounding them would
    // tilt the plane; whole ones stay unless the plain rounding keeps it.
    if (!all_whole(read) || !describes(read_plane, chosen)) take_read();
  } else if (plane_t plane; !face_plane(s, plane)) {
    // The polygon has been squeezed onto a line (a plane far beyond the
    // building square): the points it was read with still tell the plane.
    if (s->hasfilepoints && plane_through(read, read_plane)) take_read();
  } else if (describes(plane, chosen)) {
    // the plain rounding keeps the plane
  } else if (!closest_corners(s, plane, chosen) && !exact_corners(s, plane, chosen) && s->hasfilepoints) {
    // a polygon squeezed out of shape far from the origin: its plane is best
    // told by the points it was read with
    take_read();
  }
  for (int i = 0; i < 3; ++i) {
    out[i][0] = chosen[i].x;
    out[i][1] = chosen[i].y;
    out[i][2] = chosen[i].z;
  }
  return took_read && untouched;
}

bool hull_is_written(const hull_t* h) { return h == hull || h->brush != nullptr || h->keepempty != 0; }

namespace {

// The map text of the brush entities for which wanted(h) holds, each with the
// brushes take(b) keeps, then of the point entities whose box take keeps.
template <class Wanted, class Take>
std::string entities_text(Wanted wanted, Take take) {
  // A little more than the text will take, so that it is built in place
  // instead of being copied as it grows: a face line is its names and about
  // a hundred characters of numbers, twice that with texture axes.
  const std::size_t numbers = writes_texture_axes() ? 224 : 112;
  std::size_t size = 4096 + static_cast<std::size_t>(numentity) * 256;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      for (const surf* s = b->fsurf; s != nullptr; s = s->next)
        size += numbers + s->texname.size() + s->extra.size();
    }
  }
  std::string out;
  out.reserve(size);
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    if (wanted(h)) put_brush_entity_text(out, h, "\n", take);
  }
  for (int i = 0; i < numentity; ++i) {
    const dentity_t& e = entities[i];
    if (e.valid != 0 && take(e.brush)) put_point_entity_text(out, e, "\n");
  }
  return out;
}

}  // namespace

void put_brush_text(std::string& out, const brush_t* b, std::string_view eol) {
  out += '{';
  out += eol;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) put_face(out, s, eol);
  out += '}';
  out += eol;
}

void put_brush_entity_text(std::string& out, const hull_t* h, std::string_view eol,
                           const std::function<bool(const brush_t*)>& take) {
  out += '{';
  out += eol;
  put_pairs_text(out, h->header, eol);
  for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
    if (b->valid != 0 && (!take || take(b))) put_brush_text(out, b, eol);
  }
  out += '}';
  out += eol;
}

void put_point_entity_text(std::string& out, const dentity_t& e, std::string_view eol) {
  out += '{';
  out += eol;
  put_pairs_text(out, e.header, eol);
  char origin[3 * (NUMBER_TEXT_ROOM + 1)];
  char* p = put_coordinate(origin, e.origin.x);
  *p++ = ' ';
  p = put_coordinate(p, e.origin.y);
  *p++ = ' ';
  p = put_coordinate(p, e.origin.z);
  out += "\"origin\" \"";
  out.append(origin, p);
  out += '"';
  out += eol;
  out += '}';
  out += eol;
}

std::string map_text() {
  return entities_text(hull_is_written, [](const brush_t*) { return true; });
}

std::string selection_map_text() {
  const auto take = [](const brush_t* b) { return b != nullptr && is_selected(b); };
  return entities_text(
      [&](const hull_t* h) {
        for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
          if (b->valid != 0 && take(b)) return true;
        }
        return false;
      },
      take);
}
