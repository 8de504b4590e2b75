#include "render/face_texture.h"

#include <cmath>

#include "model/camera.h"
#include "model/rotation.h"
#include "model/texture_axes.h"

namespace {

// From high up and to one side, so that floors, walls and ceilings all differ.
constexpr vec3 LIGHT{0.32, 0.54, 0.78};
constexpr double SHADE_LEAST = 0.6;  // facing straight away from the light

// A view-space direction's dot product with the ray through a screen point,
// as a function of the point: the ray is ((X - cx) / f, 1, -(Y - cy) / f).
screen_linear along_ray(const vec3& q, double f, double cx, double cy) {
  return {q.y - q.x * cx / f + q.z * cy / f, q.x / f, -q.z / f};
}

screen_linear combine(double a, const screen_linear& p, double b, const screen_linear& q) {
  return {a * p.at + b * q.at, a * p.dx + b * q.dx, a * p.dy + b * q.dy};
}

}  // namespace

texture_mapping face_mapping(const winding* w, const texture_image& tex, float focal, float zoom,
                             float centre_x, float centre_y, unsigned shade) {
  texture_mapping m;
  m.texture = &tex;
  m.shade = shade;
  const surf* s = w->original;
  const int n = w->numworld;
  if (s == nullptr || n < 3) return m;

  // The face's plane in view space, n . P = d, by Newell's sums, which hold
  // up for slivers where three points would not.
  vec3 normal{0, 0, 0}, centre{0, 0, 0};
  for (int i = 0; i < n; ++i) {
    const vertex_t& a = w->world[i];
    const vertex_t& b = w->world[(i + 1) % n];
    normal.x += (double{a.y} - b.y) * (double{a.z} + b.z);
    normal.y += (double{a.z} - b.z) * (double{a.x} + b.x);
    normal.z += (double{a.x} - b.x) * (double{a.y} + b.y);
    centre = {centre.x + a.x, centre.y + a.y, centre.z + a.z};
  }
  const double d = dot(normal, centre) / n;

  // World texture axes, scaled to texels, turned into view space; the offset
  // takes in the camera's position.
  float axes[2][3];
  texture_axes(s, axes);
  const rotation r{sangx, cangx, sangy, cangy, sangz, cangz};
  const float scales[2] = {s->scale[0] != 0 ? s->scale[0] : 1.0f, s->scale[1] != 0 ? s->scale[1] : 1.0f};
  const float offsets[2] = {s->sofs, s->tofs};
  const double f = static_cast<double>(focal) * zoom;
  const screen_linear depth = along_ray(normal, f, centre_x, centre_y);
  screen_linear coords[2];
  for (int i = 0; i < 2; ++i) {
    const vertex_t a =
        rotate_offset(r, axes[i][0] / scales[i], axes[i][1] / scales[i], axes[i][2] / scales[i]);
    const double base =
        (double{origin.x} * axes[i][0] + double{origin.y} * axes[i][1] + double{origin.z} * axes[i][2]) /
            scales[i] +
        offsets[i];
    // coordinate = depth along the ray * (a . ray) + base, and that depth is d / (n . ray)
    coords[i] = combine(d, along_ray({a.x, a.y, a.z}, f, centre_x, centre_y), base, depth);
  }
  m.s = coords[0];
  m.t = coords[1];
  m.depth = depth;
  return m;
}

unsigned face_shade(const surf* s, bool lit, bool textured) {
  double bright = 1;
  if (lit) {
    // A face's normal points into its brush.
    const vec3 out{-s->norm.x, -s->norm.y, -s->norm.z};
    const double length = std::sqrt(dot(out, out) * dot(LIGHT, LIGHT));
    const double facing = length > 0 ? dot(out, LIGHT) / length : 0;
    bright = SHADE_LEAST + (1 - SHADE_LEAST) * (facing + 1) / 2;
  }
  if (textured && !s->texname.empty() && s->texname[0] == '*') bright /= 2;
  return static_cast<unsigned>(std::lround(bright * SHADE_FULL));
}
