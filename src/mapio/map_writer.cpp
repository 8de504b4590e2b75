#include "mapio/map_writer.h"

#include <cmath>

#include "mapio/atomic_file.h"
#include "mapio/number_text.h"
#include "model/map_state.h"

namespace {

struct vec3 {
  double x = 0, y = 0, z = 0;
};

vec3 operator-(const vec3& a, const vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
vec3 operator+(const vec3& a, const vec3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
vec3 operator*(double s, const vec3& a) { return {s * a.x, s * a.y, s * a.z}; }
double dot(const vec3& a, const vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
vec3 cross(const vec3& a, const vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const vec3& a) { return std::sqrt(dot(a, a)); }

vec3 from(const vertex_t& v) { return {v.x, v.y, v.z}; }

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
  for (int i = 0; i < count; ++i) centre = centre + from(s->point[i]);
  centre = (1.0 / count) * centre;
  vec3 normal;
  for (int i = 0; i < count; ++i) {
    normal = normal + cross(from(s->point[i]) - centre, from(s->point[(i + 1) % count]) - centre);
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
    if (!(std::fabs(plane.distance(from(s->point[i]))) <= WRITTEN_PLANE_TOLERANCE)) return false;
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
// orientation), the three whose plane strays least from the face's polygon.
bool closest_corners(const surf* s, const plane_t& plane, vec3 out[3]) {
  const int count = s->numpoints >= 3 ? s->numpoints : 3;
  vec3 corner[MAX_POINTS], exact[MAX_POINTS];
  for (int i = 0; i < count; ++i) {
    exact[i] = from(s->point[i]);
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
  return best < INFINITY;
}

// Three whole-numbered points on the plane, far enough apart that rounding
// tilts it by well under a degree; for faces whose own corners all round onto
// one line.
void points_from_plane(const plane_t& plane, const vec3& near, vec3 out[3]) {
  constexpr double SPAN = 1024;
  const vec3 helper = std::fabs(plane.n.z) < 0.9 ? vec3{0, 0, 1} : vec3{1, 0, 0};
  const vec3 u = (1.0 / length(cross(helper, plane.n))) * cross(helper, plane.n);
  const vec3 v = cross(plane.n, u);  // u x v = n, so the orientation is kept
  const vec3 base = near - plane.distance(near) * plane.n;
  out[0] = rounded(base);
  out[1] = rounded(base + SPAN * u);
  out[2] = rounded(base + SPAN * v);
}

void put_pairs(std::string& out, const keyval* list) {
  for (const keyval* kv = list; kv != nullptr; kv = kv->next) {
    out += '"';
    out += kv->key != nullptr ? kv->key : "";
    out += "\" \"";
    out += kv->value != nullptr ? kv->value : "";
    out += "\"\n";
  }
}

void put_face(std::string& out, const surf* s) {
  double p[3][3];
  face_points_to_write(s, p);
  for (const auto& point : p) {
    out += "( ";
    for (const double c : point) {
      append_fixed(out, c, 0);
      out += ' ';
    }
    out += ") ";
  }
  out += s->texname;
  for (const float v : {s->sofs, s->tofs, s->flips, s->scale[0]}) {
    out += ' ';
    append_fixed(out, v, 6);
  }
  out += ' ';
  append_fixed(out, s->scale[1], 6);
  out += '\n';
}

}  // namespace

void face_points_to_write(const surf* s, double out[3][3]) {
  vec3 chosen[3];
  for (int i = 0; i < 3; ++i) chosen[i] = rounded(from(s->point[i]));

  plane_t plane;
  if (face_plane(s, plane)) {
    // While the face still lies on the plane it was read with, that plane is
    // exact, where the one fitted to a small polygon is only close.
    vec3 read[3];
    for (int i = 0; i < 3; ++i) read[i] = from(s->filepoint[i]);
    plane_t read_plane;
    const bool unchanged = s->hasfilepoints && plane_through(read, read_plane) &&
                           dot(read_plane.n, plane.n) > 0 && polygon_on(s, read_plane);
    if (unchanged) plane = read_plane;
    for (vec3& p : read) p = rounded(p);

    if (describes(plane, chosen)) {
      // the plain rounding keeps the plane
    } else if (unchanged && describes(plane, read)) {
      for (int i = 0; i < 3; ++i) chosen[i] = read[i];
    } else if (!closest_corners(s, plane, chosen)) {
      points_from_plane(plane, from(s->point[0]), chosen);
    }
  }
  for (int i = 0; i < 3; ++i) {
    out[i][0] = chosen[i].x;
    out[i][1] = chosen[i].y;
    out[i][2] = chosen[i].z;
  }
}

std::string map_text() {
  std::string out;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    if (h->brush == nullptr) continue;
    out += "{\n";
    put_pairs(out, h->header);
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (b->valid == 0) continue;
      out += "{\n";
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) put_face(out, s);
      out += "}\n";
    }
    out += "}\n";
  }
  // With no brush entity the file stays empty, point entities included.
  if (hull == nullptr) return out;
  for (int i = 0; i < numentity; ++i) {
    const dentity_t& e = entities[i];
    if (e.valid == 0) continue;
    out += "{\n";
    put_pairs(out, e.header);
    out += "\"origin\" \"";
    append_fixed(out, e.origin.x, 0);
    out += ' ';
    append_fixed(out, e.origin.y, 0);
    out += ' ';
    append_fixed(out, e.origin.z, 0);
    out += "\"\n}\n";
  }
  return out;
}

std::string write_map(const std::string& path) { return write_file_atomically(path, map_text()); }
