#include "edit/transforms.h"

#include <cmath>

#include "edit/box_brush.h"
#include "edit/face_backup.h"
#include "edit/texture_lock.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/rotation.h"
#include "model/vector_math.h"

float drag_distance = 5.0f;
float rotation_angle = 45.0f;
int texture_lock = 0;

namespace {

constexpr double ROTATION_PI = 3.141592;  // the step is converted with this pi, not the exact one

// Points of s that carry its plane: the polygon, or the first three points when
// rebuilding left the polygon with fewer (the plane stays there for the next
// rebuild, so it has to move with the brush).
int plane_point_count(const surf* s) { return s->numpoints < 3 ? 3 : s->numpoints; }

bool has_usable_face(const brush_t* b) {
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (s->numpoints > 0) return true;
  }
  return false;
}

// A rotation with its sines and cosines taken once, each stored as a float the
// way the camera caches its own.
struct turn {
  rotation r;
  explicit turn(const vertex_t& d)
      : r{std::sin(d.x), std::cos(d.x), std::sin(d.y), std::cos(d.y), std::sin(d.z), std::cos(d.z)} {}

  void apply(vertex_t& v, const vertex_t& c) const {
    const vertex_t t = rotate_offset(r, v.x - c.x, v.y - c.y, v.z - c.z);
    v.x = t.x + c.x;
    v.y = t.y + c.y;
    v.z = t.z + c.z;
  }
};

void turn_points(brush_t* b, const vertex_t& center, const turn& t) {
  for (surf* s = b->fsurf; s != nullptr; s = s->next) {
    const int n = plane_point_count(s);
    for (int i = 0; i < n; ++i) t.apply(s->point[i], center);
    if (s->hasfilepoints) {
      for (vertex_t& p : s->filepoint) t.apply(p, center);
    }
  }
}

void turn_brush(brush_t* b, const vertex_t& center, const turn& t) {
  if (texture_lock != 0) {
    // The turn as a map of points, its columns the turned axes.
    point_map m;
    const vertex_t axes[3] = {rotate_offset(t.r, 1, 0, 0), rotate_offset(t.r, 0, 1, 0),
                              rotate_offset(t.r, 0, 0, 1)};
    for (int i = 0; i < 3; ++i) {
      for (int k = 0; k < 3; ++k) m.turn[k][i] = vcomp(axes[i], k);
    }
    const vertex_t c = rotate_offset(t.r, center.x, center.y, center.z);
    m.shift = {double{center.x} - c.x, double{center.y} - c.y, double{center.z} - c.z};
    const face_backup before(b);
    turn_points(b, center, t);
    lock_textures(b, before, m);
    return;
  }
  turn_points(b, center, t);
}

// The point entity that b marks, or null for an ordinary brush.
dentity_t* marked_entity(const brush_t* b) {
  if (b->entity < 0 || b->entity >= numentity) return nullptr;
  dentity_t* e = &entities[b->entity];
  return e->brush == b ? e : nullptr;
}

void rotate_selection(int axis, int up) {
  vertex_t center;
  if (!find_group_center(&center)) return;
  const float a = static_cast<float>(rotation_angle * ROTATION_PI / 180.0);
  vertex_t delta;
  vcomp(delta, axis) = up ? -a : a;
  const turn t(delta);
  for (brushlist* n = blist; n->brush != nullptr; n = n->next) {
    brush_t* b = n->brush;
    if (!has_usable_face(b)) continue;
    turn_brush(b, center, t);
    // A marker box that turns about a group centre carries its entity along,
    // or the saved entity would stay behind where the box was.
    if (dentity_t* e = marked_entity(b)) t.apply(e->origin, center);
    fixbrush(b);
  }
}

}  // namespace

void reset_edit_steps() {
  drag_distance = 5.0f;
  rotation_angle = 45.0f;
  texture_lock = 0;
  current_texture.clear();
}

bool find_center(const brush_t* b, vertex_t* pt) {
  vertex_t sum;
  int faces = 0;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (s->numpoints <= 0) continue;
    vertex_t c;
    for (int i = 0; i < s->numpoints; ++i) _VectorAdd(&c, &s->point[i], &c);
    sum.x += c.x / s->numpoints;
    sum.y += c.y / s->numpoints;
    sum.z += c.z / s->numpoints;
    ++faces;
  }
  if (faces == 0) return false;
  pt->x = sum.x / faces;
  pt->y = sum.y / faces;
  pt->z = sum.z / faces;
  return true;
}

bool find_group_center(vertex_t* center) {
  vertex_t sum;
  float count = 0;
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) {
    vertex_t c;
    if (!find_center(n->brush, &c)) continue;
    _VectorAdd(&sum, &c, &sum);
    count += 1;
  }
  if (count == 0) return false;
  center->x = sum.x / count;
  center->y = sum.y / count;
  center->z = sum.z / count;
  return true;
}

void add_vect_to_surface(surf* s, const vertex_t* pt) {
  const int n = plane_point_count(s);
  for (int i = 0; i < n; ++i) _VectorAdd(&s->point[i], pt, &s->point[i]);
  if (s->hasfilepoints) {
    for (vertex_t& p : s->filepoint) _VectorAdd(&p, pt, &p);
  }
}

void move_brush(brush_t* b, const vertex_t* d) {
  if (dentity_t* e = marked_entity(b)) _VectorAdd(&e->origin, d, &e->origin);
  if (texture_lock != 0) {
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      const surf before = *s;
      add_vect_to_surface(s, d);
      point_map m;
      m.shift = to_double(*d);
      lock_texture(s, before, m);
    }
    return;
  }
  for (surf* s = b->fsurf; s != nullptr; s = s->next) add_vect_to_surface(s, d);
}

void rotate_brush(brush_t* b, const vertex_t* center, const vertex_t* delta) {
  turn_brush(b, *center, turn(*delta));
}

void rotate_brushX(int up) { rotate_selection(0, up); }
void rotate_brushY(int up) { rotate_selection(1, up); }
void rotate_brushZ(int up) { rotate_selection(2, up); }

void drag_surf(int up) {
  if (hilight == nullptr) return;
  brush_t* b = hilight->brush;
  vertex_t c;
  if (!find_center(b, &c)) return;
  const vertex_t n = hilight->norm;
  vertex_t to_center;
  _VectorSubtract(&c, &hilight->point[0], &to_center);
  const float s = static_cast<float>(_DotProduct(&n, &to_center));
  vertex_t d;
  if (up) {
    VectorScale(&n, -static_cast<double>(drag_distance), &d);
    add_vect_to_surface(hilight, &d);
  } else if (std::fabs(drag_distance) < std::fabs(s)) {
    VectorScale(&n, drag_distance, &d);
    add_vect_to_surface(hilight, &d);
  }
  fixbrush(b);
}
