#include "edit/texture_align.h"

#include <cmath>
#include <limits>
#include <numbers>

#include "model/texture_axes.h"

namespace {

// The face's least and greatest texture coordinates along each axis, in map
// units (before the scales and offsets).
struct span2 {
  double lo[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
  double hi[2] = {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest()};
};

span2 extent(const surf* f) {
  float axes[2][3];
  texture_axes(f, axes);
  span2 e;
  for (int k = 0; k < f->numpoints; ++k) {
    const vertex_t& p = f->point[k];
    for (int i = 0; i < 2; ++i) {
      const double along = double{p.x} * axes[i][0] + double{p.y} * axes[i][1] + double{p.z} * axes[i][2];
      e.lo[i] = std::min(e.lo[i], along);
      e.hi[i] = std::max(e.hi[i], along);
    }
  }
  return e;
}

double scale_of(const surf* f, int i) { return f->scale[i] != 0 ? f->scale[i] : 1.0; }

float& offset_of(surf* f, int i) { return i == 0 ? f->sofs : f->tofs; }

// The offset that puts texel coordinate `texel` at `along` map units.
float offset_for(const surf* f, int i, double along, double texel) {
  return static_cast<float>(texel - along / scale_of(f, i));
}

}  // namespace

void turn_texture(surf* f, double degrees) {
  if (f->hasaxes == 0) {
    f->flips = static_cast<float>(std::fmod(f->flips + degrees, 360.0));
    return;
  }
  // About the face's normal, axis by axis (Rodrigues' rotation).
  const vec3 p0 = to_double(f->point[0]);
  const vec3 n = normalized(cross(to_double(f->point[1]) - p0, to_double(f->point[2]) - p0));
  const double a = degrees * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
  for (auto& axis : f->texaxis) {
    const vec3 v{axis[0], axis[1], axis[2]};
    const vec3 t = c * v + s * cross(n, v) + (1 - c) * dot(n, v) * n;
    axis[0] = static_cast<float>(t.x);
    axis[1] = static_cast<float>(t.y);
    axis[2] = static_cast<float>(t.z);
  }
}

void set_rotation(surf* f, double degrees) {
  if (f->hasaxes != 0) turn_texture(f, degrees - f->flips);
  f->flips = static_cast<float>(degrees);
}

void shift_texture(surf* f, double ds, double dt) {
  f->sofs = static_cast<float>(f->sofs + ds);
  f->tofs = static_cast<float>(f->tofs + dt);
}

void shift_texture_by_units(surf* f, double ds, double dt) {
  shift_texture(f, ds / std::fabs(scale_of(f, 0)), dt / std::fabs(scale_of(f, 1)));
}

void scale_texture(surf* f, int axis, double factor) {
  f->scale[axis] = static_cast<float>(scale_of(f, axis) * factor);
}

void fit_texture(surf* f, int width, int height, int across, int down) {
  if (f->numpoints < 3 || width <= 0 || height <= 0 || across <= 0 || down <= 0) return;
  const span2 e = extent(f);
  const double size[2] = {static_cast<double>(width) * across, static_cast<double>(height) * down};
  for (int i = 0; i < 2; ++i) {
    const double length = e.hi[i] - e.lo[i];
    if (!(length > 0)) continue;
    f->scale[i] = static_cast<float>(std::copysign(length / size[i], scale_of(f, i)));
    // The first texel at the least coordinate; with a negative scale that is the greatest.
    offset_of(f, i) = offset_for(f, i, f->scale[i] > 0 ? e.lo[i] : e.hi[i], 0);
  }
}

void justify_texture(surf* f, int width, int height, justify where) {
  if (f->numpoints < 3 || width <= 0 || height <= 0) return;
  const span2 e = extent(f);
  const double size[2] = {static_cast<double>(width), static_cast<double>(height)};
  for (int i = 0; i < 2; ++i) {
    // The least and greatest texel coordinates over the face.
    const double a = e.lo[i] / scale_of(f, i), b = e.hi[i] / scale_of(f, i);
    const double least = std::min(a, b) * scale_of(f, i), most = std::max(a, b) * scale_of(f, i);
    const bool low = (i == 0 && where == justify::left) || (i == 1 && where == justify::top);
    const bool high = (i == 0 && where == justify::right) || (i == 1 && where == justify::bottom);
    if (low) offset_of(f, i) = offset_for(f, i, least, 0);
    if (high) offset_of(f, i) = offset_for(f, i, most, size[i]);
    if (where == justify::centre) offset_of(f, i) = offset_for(f, i, (e.lo[i] + e.hi[i]) / 2, size[i] / 2);
  }
}
