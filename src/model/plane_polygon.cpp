#include "model/plane_polygon.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "model/map_state.h"
#include "model/vector_math.h"
#include "model/view_options.h"

namespace {

bool finite_vector(const vertex_t& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// A point list that may run one step past MAX_POINTS before the cut gives up.
// The points are left uninitialised: only the first n are ever read, and the
// cut runs for every pair of faces of every brush.
struct point_list {
  union {
    vertex_t p[MAX_POINTS + 2];
  };
  int n = 0;
  point_list() {}
  void add(const vertex_t& v) { p[n++] = v; }
};

// Counts the points of a side that is not kept.
struct point_count {
  int n = 0;
  void add(const vertex_t&) { ++n; }
};

// Each of the count points measured against the plane through p0 with
// normal n, in the order they are walked.
void measure(const vertex_t& n, const vertex_t& p0, const vertex_t* points, int count, double* dist) {
  for (int i = 0; i < count; ++i) {
    vertex_t rel;
    _VectorSubtract(&points[i], &p0, &rel);
    dist[i] = _DotProduct(&rel, &n);
  }
}

// The cut of the polygon of the count points by that plane. A point goes to
// the back when it is not clearly in front (within ON_PLANE_EPSILON it is
// behind), and an edge running clearly across adds its crossing to both sides.
// Returns false as soon as either side needs more than MAX_POINTS points.
template <class Front>
bool cut_points(const vertex_t& n, const vertex_t& p0, const vertex_t* points, const double* dist, int count,
                Front& front, point_list& back) {
  for (int i = 0; i < count; ++i) {
    const int j = i + 1 == count ? 0 : i + 1;
    const vertex_t& v = points[i];
    const double d1 = dist[i];
    const double d2 = dist[j];
    if (d1 > -ON_PLANE_EPSILON) {
      back.add(v);
    } else {
      front.add(v);
    }
    if ((d1 < -ON_PLANE_EPSILON && d2 > ON_PLANE_EPSILON) ||
        (d1 > ON_PLANE_EPSILON && d2 < -ON_PLANE_EPSILON)) {
      vertex_t e, to_plane, q;
      _VectorSubtract(&points[j], &v, &e);
      const double den = _DotProduct(&n, &e);
      _VectorSubtract(&p0, &v, &to_plane);
      const double t = std::fabs(den) > PARALLEL_EPSILON ? _DotProduct(&to_plane, &n) / den : 0.0;
      VectorMA(&v, t, &e, &q);
      front.add(q);
      back.add(q);
    }
    if (front.n > MAX_POINTS || back.n > MAX_POINTS) return false;
  }
  return true;
}

void store_points(surf* s, const vertex_t* points, int count) {
  std::copy_n(points, count, s->point.room(count));
  s->numpoints = static_cast<signed char>(count);
}

}  // namespace

bool BaseSurfaceForPlane(surf* s) {
  makenormal(s, vertex_t{});
  const vertex_t n = s->norm;
  const float d = s->dist;
  if (!finite_vector(n) || !std::isfinite(d)) {
    s->numpoints = 0;
    return false;
  }

  int axis = -1;
  float max = -BASE_HALF_SIZE;
  for (int i = 0; i < 3; ++i) {
    if (std::fabs(vcomp(n, i)) > max) {
      axis = i;
      max = std::fabs(vcomp(n, i));
    }
  }
  vertex_t vup = axis == 2 ? vertex_t{1, 0, 0} : vertex_t{0, 0, 1};
  VectorMA(&vup, -_DotProduct(&vup, &n), &n, &vup);
  VectorNormalize(&vup);

  vertex_t org, vright;
  VectorScale(&n, -static_cast<double>(d), &org);
  CrossProduct(&vup, &n, &vright);
  VectorScale(&vup, BASE_HALF_SIZE, &vup);
  VectorScale(&vright, BASE_HALF_SIZE, &vright);

  vertex_t* p = s->point.data();  // there is always room for four
  _VectorSubtract(&org, &vright, &p[0]);
  _VectorSubtract(&p[0], &vup, &p[0]);
  _VectorAdd(&org, &vright, &p[1]);
  _VectorSubtract(&p[1], &vup, &p[1]);
  _VectorAdd(&org, &vright, &p[2]);
  _VectorAdd(&p[2], &vup, &p[2]);
  _VectorSubtract(&org, &vright, &p[3]);
  _VectorAdd(&p[3], &vup, &p[3]);
  s->numpoints = 4;
  return true;
}

int create_surf_from_base(const surf* plane, const surf* surface, surf* front, surf* back) {
  const int count = std::clamp(static_cast<int>(surface->numpoints), 0, MAX_POINTS);
  double dist[MAX_POINTS];
  measure(plane->norm, plane->point[0], surface->point.data(), count, dist);
  point_list fl, bl;
  if (!cut_points(plane->norm, plane->point[0], surface->point.data(), dist, count, fl, bl)) return 0;

  store_points(back, bl.p, bl.n);
  if (count == 0) return 1;
  store_points(front, fl.p, fl.n);

  if (fl.n >= 3 && bl.n >= 3) return 0;
  if (fl.n >= 3) return -1;
  if (bl.n >= 3) return 1;
  return 0;
}

namespace {

// The part of the polygon of the count points behind the plane of g, into
// `behind`: what create_surf_from_base leaves in its back polygon, without
// building the front one, which fixbrush throws away. False, with nothing
// cut, when the plane does not reach the polygon (no point in front of it),
// and when a side would need too many points.
bool cut_behind(const surf* g, const vertex_t* points, int count, point_list& behind) {
  double dist[MAX_POINTS];
  measure(g->norm, g->point[0], points, count, dist);
  // Written so that a distance that is not a number counts as in front.
  bool reached = false;
  for (int i = 0; i < count; ++i) reached |= !(dist[i] > -ON_PLANE_EPSILON);
  if (!reached) return false;
  point_count front;  // a cut that needs too many points is abandoned all the same
  behind.n = 0;
  return cut_points(g->norm, g->point[0], points, dist, count, front, behind);
}

}  // namespace

int fixbrush(brush_t* b) {
  if (options.fixb == 0) return 0;
  int unbuilt = 0;
  // The three points that carry each face's plane. A face the other planes
  // cut away entirely (one touching its brush only along an edge, a sliver)
  // gets them back: its plane is still the one it had, for the next rebuild
  // and for the file. One list a thread, reused: brushes of a map being read
  // are rebuilt on several threads at once.
  thread_local std::vector<std::array<vertex_t, 3>> plane_points;
  plane_points.clear();
  for (surf* f = b->fsurf; f != nullptr; f = f->next) {
    const vertex_t* p = f->point.data();
    plane_points.push_back({p[0], p[1], p[2]});
    if (!BaseSurfaceForPlane(f)) ++unbuilt;
  }
  std::size_t i = 0;
  for (surf* f = b->fsurf; f != nullptr; f = f->next, ++i) {
    // The polygon as it is cut, in one of two lists by turns, goes back to
    // the face at the end: the other faces' planes are those they had.
    point_list lists[2];
    const vertex_t* points = f->point.data();
    int count = std::clamp(static_cast<int>(f->numpoints), 0, MAX_POINTS);
    int next = 0;
    for (surf* g = b->fsurf; g != nullptr; g = g->next) {
      // A plane that is not a number would push every point to the front.
      if (g == f || !finite_vector(g->norm)) continue;
      if (cut_behind(g, points, count, lists[next])) {
        points = lists[next].p;
        count = lists[next].n;
        next ^= 1;
      }
    }
    if (points != f->point.data()) {
      store_points(f, points, count);
    } else {
      f->numpoints = static_cast<signed char>(count);
    }
    if (f->numpoints < 3) std::copy(plane_points[i].begin(), plane_points[i].end(), f->point.data());
  }
  return unbuilt;
}
