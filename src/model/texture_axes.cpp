#include "model/texture_axes.h"

#include <cmath>
#include <numbers>

void standard_axes(const surf* s, float axes[2][3]) {
  const vec3 corners[3] = {to_double(s->point[0]), to_double(s->point[1]), to_double(s->point[2])};
  const vec3 n = cross(corners[1] - corners[0], corners[2] - corners[0]);
  // Floor and ceiling first: on a tie they win, then the x walls, then the y walls.
  struct base {
    vec3 normal, u, v;
    int su, sv;  // the coordinates u and v run along
  };
  static constexpr base bases[3] = {
      {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}, 0, 1},
      {{1, 0, 0}, {0, 1, 0}, {0, 0, -1}, 1, 2},
      {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}, 0, 2},
  };
  const base* best = &bases[0];
  double most = -1;
  for (const base& b : bases) {
    const double along = std::fabs(dot(n, b.normal));
    if (along > most) {
      most = along;
      best = &b;
    }
  }
  const double degrees = s->flips;
  double sine = std::sin(degrees * std::numbers::pi / 180.0),
         cosine = std::cos(degrees * std::numbers::pi / 180.0);
  // Quarter turns come out exact rather than a hair off zero.
  if (std::fmod(degrees, 90.0) == 0.0) {
    const int quarter = static_cast<int>(std::fmod(std::fmod(degrees, 360.0) + 360.0, 360.0) / 90.0);
    constexpr double sines[4] = {0, 1, 0, -1};
    sine = sines[quarter];
    cosine = sines[(quarter + 1) % 4];
  }
  const vec3 from_base[2] = {best->u, best->v};
  for (int i = 0; i < 2; ++i) {
    double c[3] = {from_base[i].x, from_base[i].y, from_base[i].z};
    const double a = c[best->su], b = c[best->sv];
    c[best->su] = cosine * a - sine * b;
    c[best->sv] = sine * a + cosine * b;
    for (int k = 0; k < 3; ++k) axes[i][k] = static_cast<float>(c[k]) + 0.0f;  // + 0 turns -0 into 0
  }
}

void texture_axes(const surf* s, float axes[2][3]) {
  if (s->hasaxes == 0) {
    standard_axes(s, axes);
    return;
  }
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) axes[i][k] = s->texaxis[i][k];
  }
}

void texture_coords(const surf* f, const vertex_t& p, double& s, double& t) {
  float axes[2][3];
  texture_axes(f, axes);
  double out[2];
  const float offsets[2] = {f->sofs, f->tofs};
  for (int i = 0; i < 2; ++i) {
    const double scale = f->scale[i] != 0 ? f->scale[i] : 1.0;
    out[i] =
        (double{p.x} * axes[i][0] + double{p.y} * axes[i][1] + double{p.z} * axes[i][2]) / scale + offsets[i];
  }
  s = out[0];
  t = out[1];
}
