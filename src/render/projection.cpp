#include "render/projection.h"

#include <cmath>
#include <cstdint>

#include "model/camera.h"
#include "model/map_state.h"
#include "model/vector_math.h"

namespace {

winding frustum_plane(vertex_t point, vertex_t normal) {
  winding w;
  w.world[0] = point;
  w.numworld = 1;
  w.norm = normal;
  return w;
}

// The side planes pass through the eye with slopes 400/430 and 300/430: the
// frustum of the 800 x 600 image at the start-up focal length.
const winding near_plane = frustum_plane({0, 5, 0}, {0, -1, 0});
const winding left_plane = frustum_plane({0, 0, 0}, {-0.732186f, -0.681104f, 0});
const winding right_plane = frustum_plane({0, 0, 0}, {0.732186f, -0.681104f, 0});
const winding top_plane = frustum_plane({0, 0, 0}, {0, -0.5721815f, 0.82012695f});
const winding bottom_plane = frustum_plane({0, 0, 0}, {0, -0.5721815f, -0.82012695f});

float dot(const vertex_t& a, const vertex_t& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

vertex_t sub(const vertex_t& a, const vertex_t& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

struct clip_list {
  vertex_t p[MAX_POINTS];
  int n = 0;
};

}  // namespace

const winding* const frustum_planes[NUM_FRUSTUM_PLANES] = {&near_plane, &left_plane, &right_plane, &top_plane,
                                                           &bottom_plane};

void rotate_surface(surf* surface) {
  winding& w = surface->w;
  w.numworld = surface->numpoints;
  w.original = surface;
  w.clr = surface->clr;
  if (surface->numpoints < 1) return;
  for (int i = 0; i < surface->numpoints; ++i) rotate_vertex(&surface->point[i], &w.world[i]);
  vertex_t e1, e2;
  makevector(&w.world[0], &w.world[1], &e1);
  makevector(&w.world[0], &w.world[2], &e2);
  crossproduct(&e1, &e2, &w.norm);
}

int draw_surface(surf* surface) {
  const float d = makenormal(surface, origin);
  if (d > -FACING_EPSILON) return 0;
  for (const winding* plane : frustum_planes) {
    if (draw_surf_side(plane, &surface->w) == 1) return 0;
  }
  return 1;
}

short draw_surf_side(const winding* plane, winding* surface) {
  const vertex_t& P = plane->world[0];
  const vertex_t& N = plane->norm;
  clip_list outside, inside;
  const int count = surface->numworld;
  for (int i = 0; i < count; ++i) {
    const vertex_t& A = surface->world[i];
    const vertex_t& B = surface->world[(i + 1) % count];
    const float a = dot(sub(A, P), N);
    const float b = dot(sub(B, P), N);
    if (a > -CLIP_ON_PLANE) {
      if (outside.n == MAX_POINTS) return 0;
      outside.p[outside.n++] = A;
    }
    if (a < CLIP_ON_PLANE) {
      if (inside.n == MAX_POINTS) return 0;
      inside.p[inside.n++] = A;
    }
    if ((a < -CLIP_ON_PLANE && b > CLIP_ON_PLANE) || (a > CLIP_ON_PLANE && b < -CLIP_ON_PLANE)) {
      const vertex_t e = sub(B, A);
      const float q = dot(sub(P, A), N);
      const float r = dot(N, e);
      const float t = std::fabs(r) <= CLIP_PARALLEL ? 0.0f : q / r;
      const vertex_t X{A.x + e.x * t, A.y + e.y * t, A.z + e.z * t};
      if (outside.n == MAX_POINTS || inside.n == MAX_POINTS) return 0;
      outside.p[outside.n++] = X;
      inside.p[inside.n++] = X;
    }
  }
  for (int i = 0; i < inside.n; ++i) surface->world[i] = inside.p[i];
  surface->numworld = static_cast<signed char>(inside.n);
  if (inside.n >= 3 && outside.n >= 3) return 0;
  if (inside.n >= 3) return -1;
  if (outside.n >= 3) return 1;
  return 0;
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

void surface_in_rect(surf* s, const select_rect* r) {
  // 64-bit so that no rectangle, however wild, overflows on the way.
  const auto x1 = static_cast<float>(std::int64_t{r->left} * 10 - 8000);
  const auto x2 = static_cast<float>(std::int64_t{r->right} * 10 - 8000);
  const auto y1 = static_cast<float>((600 - std::int64_t{r->top}) * 10);
  const auto y2 = static_cast<float>((600 - std::int64_t{r->bottom}) * 10);
  for (int i = 0; i < s->numpoints; ++i) {
    const vertex_t& p = s->point[i];
    if (x1 < p.x && p.x < x2 && y2 < p.y && p.y < y1) {
      s->vis = 1;
      if (s->brush != nullptr) s->brush->vis = 1;
      return;
    }
  }
}
