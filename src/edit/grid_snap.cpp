#include "edit/grid_snap.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "edit/face_backup.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"
#include "model/view_options.h"

vertex_t last_box_lo{0, 0, 0};
vertex_t last_box_hi{64, 64, 64};

namespace {

void widen(vertex_t& lo, vertex_t& hi, const vertex_t& p) {
  lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
  hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
}

// The normal, not made unit, of the plane through the first three points of s.
vertex_t plane_normal(const surf* s) {
  vertex_t a, b, n;
  _VectorSubtract(&s->point[1], &s->point[0], &a);
  _VectorSubtract(&s->point[2], &s->point[0], &b);
  CrossProduct(&a, &b, &n);
  return n;
}

}  // namespace

void reset_grid() {
  last_box_lo = {0, 0, 0};
  last_box_hi = {64, 64, 64};
}

float snapped(float v) {
  const double g = options.grid_size;
  return static_cast<float>(std::round(static_cast<double>(v) / g) * g);
}

bool brush_bounds(const brush_t* b, vertex_t* lo, vertex_t* hi) {
  bool any = false;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) {
      if (!any) *lo = *hi = s->point[i];
      any = true;
      widen(*lo, *hi, s->point[i]);
    }
  }
  return any;
}

bool brushes_bounds(const std::vector<brush_t*>& list, vertex_t* lo, vertex_t* hi) {
  bool any = false;
  for (const brush_t* b : list) {
    vertex_t l, h;
    if (!brush_bounds(b, &l, &h)) continue;
    if (!any) *lo = l, *hi = h;
    any = true;
    widen(*lo, *hi, l);
    widen(*lo, *hi, h);
  }
  return any;
}

bool snap_brush_points(brush_t* b) {
  vertex_t lo, hi;
  if (!brush_bounds(b, &lo, &hi)) return false;
  face_backup kept(b);
  bool whole = true;
  for (surf* s = b->fsurf; s != nullptr && whole; s = s->next) {
    const vertex_t before = plane_normal(s);
    const int n = std::max<int>(s->numpoints, 3);
    for (int i = 0; i < n; ++i)
      s->point[i] = {snapped(s->point[i].x), snapped(s->point[i].y), snapped(s->point[i].z)};
    // The face must keep a plane, facing the way it did.
    const vertex_t after = plane_normal(s);
    whole = _DotProduct(&after, &after) > 0 && _DotProduct(&after, &before) > 0;
    // The rebuild puts the corners where the planes meet, which need not be
    // on the grid; the plane itself is kept as these three points, which the
    // writer saves while the face stays on it.
    std::copy_n(s->point.data(), 3, s->filepoint);
    s->hasfilepoints = 1;
  }
  whole = whole && brush_bounds(b, &lo, &hi) && lo.x < hi.x && lo.y < hi.y && lo.z < hi.z;
  if (whole && options.fixb != 0) {
    fixbrush(b);
    for (const surf* s = b->fsurf; s != nullptr && whole; s = s->next) whole = s->numpoints >= 3;
  }
  if (whole) return true;
  kept.restore(b);
  return false;
}
