#include "render/projection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "model/camera.h"
#include "model/map_state.h"
#include "model/vector_math.h"
#include "render/clip_polygon.h"

namespace {

winding frustum_plane(vertex_t point, vertex_t normal) {
  winding w;
  w.world[0] = point;
  w.numworld = 1;
  w.norm = normal;
  return w;
}

// The side planes pass through the eye with slopes 400/430 and 300/430: the
// frustum of the 800 x 600 image at START_FOCAL_LENGTH. The normals are
// written out rather than worked out, so the clip does not hang on how.
const winding near_plane = frustum_plane({0, 5, 0}, {0, -1, 0});
const winding left_plane = frustum_plane({0, 0, 0}, {-0.732186f, -0.681104f, 0});
const winding right_plane = frustum_plane({0, 0, 0}, {0.732186f, -0.681104f, 0});
const winding top_plane = frustum_plane({0, 0, 0}, {0, -0.5721815f, 0.82012695f});
const winding bottom_plane = frustum_plane({0, 0, 0}, {0, -0.5721815f, -0.82012695f});

// Measuring against a frustum plane, every step in float.
struct frustum_measure {
  const vertex_t& P;
  const vertex_t& N;

  float distance(const vertex_t& A) const { return dot(A - P, N); }
  vertex_t edge(const vertex_t& A, const vertex_t& B) const { return B - A; }
  float toward(const vertex_t& A) const { return dot(P - A, N); }
  float along(const vertex_t& e) const { return dot(N, e); }
};

// A side of the clip holds what a winding holds; more abandons the clip.
struct clip_list {
  vertex_t p[MAX_POINTS];
  int n = 0;

  bool add(const vertex_t& v) {
    if (n == MAX_POINTS) return false;
    p[n++] = v;
    return true;
  }
};

}  // namespace

const winding* const frustum_planes[NUM_FRUSTUM_PLANES] = {&near_plane, &left_plane, &right_plane, &top_plane,
                                                           &bottom_plane};

void rotate_surface(surf* surface, winding* w) {
  w->numworld = surface->numpoints;
  w->original = surface;
  w->clr = surface->clr;
  w->next = w->front = w->back = nullptr;
  if (surface->numpoints < 1) return;
  const vertex_t* points = surface->point.data();
  for (int i = 0; i < surface->numpoints; ++i) rotate_vertex(&points[i], &w->world[i]);
  vertex_t e1, e2;
  makevector(&w->world[0], &w->world[1], &e1);
  makevector(&w->world[0], &w->world[2], &e2);
  crossproduct(&e1, &e2, &w->norm);
}

bool faces_camera(surf* surface) { return makenormal(surface, origin) <= -FACING_EPSILON; }

int clip_to_frustum(winding* w) {
  for (const winding* plane : frustum_planes) {
    if (draw_surf_side(plane, w) == 1) return 0;
  }
  return 1;
}

int draw_surface(surf* surface, winding* w) { return faces_camera(surface) ? clip_to_frustum(w) : 0; }

namespace {

template <bool Even>
short clip_side(const winding* plane, winding* surface) {
  const frustum_measure m{plane->world[0], plane->norm};
  const int count = std::clamp(static_cast<int>(surface->numworld), 0, MAX_POINTS);
  float dist[MAX_POINTS];
  int near_or_out = 0, clear_of_plane = 0;
  for (int i = 0; i < count; ++i) {
    dist[i] = m.distance(surface->world[i]);
    near_or_out += dist[i] > -CLIP_ON_PLANE ? 1 : 0;
    clear_of_plane += dist[i] < CLIP_ON_PLANE ? 1 : 0;
  }
  // Every point on the inner side or on the plane: the cut would hand back
  // the polygon as it is, so the answer is worked out without it.
  if (clear_of_plane == count) {
    surface->numworld = static_cast<signed char>(count);
    if (count < 3) return 0;
    return near_or_out >= 3 ? 0 : -1;
  }
  clip_list outside, inside;
  if (!clip_polygon<Even>(surface->world, dist, count, m, CLIP_ON_PLANE, CLIP_PARALLEL, inside, outside))
    return 0;
  for (int i = 0; i < inside.n; ++i) surface->world[i] = inside.p[i];
  surface->numworld = static_cast<signed char>(inside.n);
  if (inside.n >= 3 && outside.n >= 3) return 0;
  if (inside.n >= 3) return -1;
  if (outside.n >= 3) return 1;
  return 0;
}

}  // namespace

short draw_surf_side(const winding* plane, winding* surface) { return clip_side<false>(plane, surface); }

bool clip_to_frustum_evenly(winding* w) {
  for (const winding* plane : frustum_planes) {
    if (clip_side<true>(plane, w) == 1) return false;
  }
  return true;
}

void find_original_vertex(const winding* w, const vertex_t* p) {
  closest_point = nullptr;
  surf* face = w->original;
  if (face == nullptr) return;
  for (int i = 0; i < face->numpoints; ++i) {
    vertex_t image;
    rotate_vertex(&face->point[i], &image);
    if (VectorCompare(&image, p)) {
      closest_point = &face->point[i];
      return;
    }
  }
}

overhead_area overhead_world(const select_rect& r) {
  // 64-bit so that no rectangle, however wild, overflows on the way.
  return {static_cast<float>(std::int64_t{r.left} * 10 - 8000),
          static_cast<float>(std::int64_t{r.right} * 10 - 8000),
          static_cast<float>((600 - std::int64_t{r.top}) * 10),
          static_cast<float>((600 - std::int64_t{r.bottom}) * 10)};
}

void surface_in_rect(surf* s, const select_rect* r) {
  const auto [x1, x2, y1, y2] = overhead_world(*r);
  for (int i = 0; i < s->numpoints; ++i) {
    const vertex_t& p = s->point[i];
    if (x1 < p.x && p.x < x2 && y2 < p.y && p.y < y1) {
      s->vis = 1;
      if (s->brush != nullptr) s->brush->vis = 1;
      return;
    }
  }
}
