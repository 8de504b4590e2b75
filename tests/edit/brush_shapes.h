// Helpers for the editing tests: the extent of a brush, and brushes built from
// planes the way a map file gives them.
#pragma once

#include <algorithm>
#include <cmath>

#include "model/types.h"
#include "model/vector_math.h"

struct span {
  float lo[3] = {1e9f, 1e9f, 1e9f};
  float hi[3] = {-1e9f, -1e9f, -1e9f};
  float size(int a) const { return hi[a] - lo[a]; }
};

inline span extent(const brush_t* b) {
  span e;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) {
      for (int a = 0; a < 3; ++a) {
        e.lo[a] = std::min(e.lo[a], vcomp(s->point[i], a));
        e.hi[a] = std::max(e.hi[a], vcomp(s->point[i], a));
      }
    }
  }
  return e;
}

// Volume of a convex brush as a fan of tetrahedra from the mean of its points.
inline double volume(const brush_t* b) {
  vertex_t c;
  int n = 0;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i, ++n) _VectorAdd(&c, &s->point[i], &c);
  }
  if (n == 0) return 0;
  VectorScale(&c, 1.0 / n, &c);
  double v = 0;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 1; i + 1 < s->numpoints; ++i) {
      vertex_t a, p, q, x;
      _VectorSubtract(&s->point[0], &c, &a);
      _VectorSubtract(&s->point[i], &c, &p);
      _VectorSubtract(&s->point[i + 1], &c, &q);
      CrossProduct(&p, &q, &x);
      v += std::fabs(_DotProduct(&a, &x)) / 6;
    }
  }
  return v;
}

// Appends to b a face through p0, p1, p2, ordered so that its normal points
// towards `inside`.
inline surf* add_plane(brush_t* b, vertex_t p0, vertex_t p1, vertex_t p2, const vertex_t& inside) {
  vertex_t e1, e2, n, to_inside;
  makevector(&p0, &p1, &e1);
  makevector(&p0, &p2, &e2);
  CrossProduct(&e1, &e2, &n);
  makevector(&p0, &inside, &to_inside);
  if (_DotProduct(&n, &to_inside) < 0) std::swap(p1, p2);
  auto* s = new surf;
  s->point[0] = p0;
  s->point[1] = p1;
  s->point[2] = p2;
  s->numpoints = 3;
  s->brush = b;
  s->texname = "WALL";
  surf** tail = &b->fsurf;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = s;
  ++b->numsurfaces;
  return s;
}
