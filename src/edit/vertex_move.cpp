#include "edit/vertex_move.h"

#include <cmath>
#include <vector>

#include "model/face_fields.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"

namespace {

constexpr double CONVEX_SLACK = 0.01;  // how far a corner may stand in front of a face

bool same_corner(const vertex_t& a, const vertex_t& b) {
  return std::fabs(a.x - b.x) <= VERTEX_MATCH && std::fabs(a.y - b.y) <= VERTEX_MATCH &&
         std::fabs(a.z - b.z) <= VERTEX_MATCH;
}

// A new face with the fields of `like` on the plane through p0, p1, p2,
// which are also the points the writer saves.
surf* face_like(const surf* like, const vertex_t& p0, const vertex_t& p1, const vertex_t& p2) {
  auto* s = new surf;
  copy_face_fields(*s, *like);
  s->point[0] = s->filepoint[0] = p0;
  s->point[1] = s->filepoint[1] = p1;
  s->point[2] = s->filepoint[2] = p2;
  s->hasfilepoints = 1;
  s->numpoints = 3;
  s->vis = like->vis;
  s->clr = like->clr;
  return s;
}

// Distance of p from the plane through a, b, c along its unit normal.
double signed_distance(const vec3& a, const vec3& b, const vec3& c, const vec3& p) {
  const vec3 n = normalized(cross(b - a, c - a));
  return dot(p - a, n);
}

// The faces of b with the corner moved, appended to out.
void moved_faces(const brush_t* b, const vertex_t& at, const vertex_t& to, std::vector<surf*>& out) {
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (s->numpoints < 3) continue;  // a plane that bounds nothing
    int k = -1;
    for (int i = 0; i < s->numpoints && k < 0; ++i) k = same_corner(s->point[i], at) ? i : -1;
    if (k < 0) {
      out.push_back(copy_face(s));  // untouched, down to the points it was read with
      continue;
    }
    // The polygon from the moved corner round, so a fan starts there.
    const int n = s->numpoints;
    std::vector<vertex_t> p;
    for (int i = 0; i < n; ++i) p.push_back(i == 0 ? to : s->point[(k + i) % n]);
    bool flat = true;
    const vec3 a = to_double(p[0]), b1 = to_double(p[1]), c = to_double(p[n - 1]);
    for (int i = 2; i + 1 < n && flat; ++i)
      flat = std::fabs(signed_distance(a, b1, c, to_double(p[i]))) <= CONVEX_SLACK;
    if (flat) {
      out.push_back(face_like(s, p[0], p[1], p[n - 1]));
    } else {
      for (int i = 1; i + 1 < n; ++i) out.push_back(face_like(s, p[0], p[i], p[i + 1]));
    }
  }
}

}  // namespace

bool move_vertex(brush_t* b, const vertex_t& at, const vertex_t& to) {
  std::vector<vertex_t> corners;
  bool found = false;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) {
      const vertex_t& p = s->point[i];
      if (same_corner(p, at)) {
        found = true;
        continue;
      }
      if (same_corner(p, to)) return false;  // onto another corner
      bool known = false;
      for (const vertex_t& c : corners) known = known || same_corner(c, p);
      if (!known) corners.push_back(p);
    }
  }
  if (!found) return false;
  corners.push_back(to);

  std::vector<surf*> faces;
  moved_faces(b, at, to, faces);
  // Every face must be a plane with every corner on or behind it, and face
  // into the brush as the file's faces do.
  bool convex = faces.size() >= 4;
  for (const surf* s : faces) {
    const vec3 p0 = to_double(s->point[0]), p1 = to_double(s->point[1]), p2 = to_double(s->point[2]);
    if (!convex) break;
    if (length(cross(p1 - p0, p2 - p0)) < 1e-6) {
      convex = false;
      break;
    }
    for (const vertex_t& c : corners)
      convex = convex && signed_distance(p0, p1, p2, to_double(c)) >= -CONVEX_SLACK;
  }
  if (convex) {
    surf* old = b->fsurf;
    surf** tail = &b->fsurf;
    for (surf* s : faces) {
      s->brush = b;
      *tail = s;
      tail = &s->next;
    }
    *tail = nullptr;
    fixbrush(b);
    bool whole = false;
    for (const surf* s = b->fsurf; s != nullptr && convex; s = s->next) {
      convex = s->numpoints >= 3;
      for (int i = 0; i < s->numpoints; ++i) whole = whole || same_corner(s->point[i], to);
    }
    if (convex && whole) {
      b->numsurfaces = static_cast<short>(faces.size());
      // The old faces go: nothing may point into them.
      for (const surf* s = old; s != nullptr; s = s->next) {
        if (hilight == s) hilight = nullptr;
        if (thi == s) thi = nullptr;
      }
      free_faces(old);
      return true;
    }
    b->fsurf = old;
  }
  for (surf* s : faces) {
    s->next = nullptr;
    free_faces(s);
  }
  return false;
}
