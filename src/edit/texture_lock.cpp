#include "edit/texture_lock.h"

#include <cmath>
#include <numbers>

#include "model/texture_axes.h"

namespace {

// The texel axes after the move: s(q) = s(p) where q = turn p + shift asks for
// axes multiplied by the inverse of turn, transposed; for a rotation that is
// turn itself.
vec3 carried(const point_map& m, const vec3& v) {
  const auto& a = m.turn;
  const double cof[3][3] = {{a[1][1] * a[2][2] - a[1][2] * a[2][1], a[1][2] * a[2][0] - a[1][0] * a[2][2],
                             a[1][0] * a[2][1] - a[1][1] * a[2][0]},
                            {a[0][2] * a[2][1] - a[0][1] * a[2][2], a[0][0] * a[2][2] - a[0][2] * a[2][0],
                             a[0][1] * a[2][0] - a[0][0] * a[2][1]},
                            {a[0][1] * a[1][2] - a[0][2] * a[1][1], a[0][2] * a[1][0] - a[0][0] * a[1][2],
                             a[0][0] * a[1][1] - a[0][1] * a[1][0]}};
  const double det = a[0][0] * cof[0][0] + a[0][1] * cof[0][1] + a[0][2] * cof[0][2];
  // The inverse transposed is the cofactor matrix over the determinant.
  return {(cof[0][0] * v.x + cof[0][1] * v.y + cof[0][2] * v.z) / det,
          (cof[1][0] * v.x + cof[1][1] * v.y + cof[1][2] * v.z) / det,
          (cof[2][0] * v.x + cof[2][1] * v.y + cof[2][2] * v.z) / det};
}

// The texel axes of f, each axis over its scale, and its offsets.
void texel_axes(const surf* f, vec3 axes[2], double offsets[2]) {
  float a[2][3];
  texture_axes(f, a);
  for (int i = 0; i < 2; ++i) {
    const double scale = f->scale[i] != 0 ? f->scale[i] : 1.0;
    axes[i] = {a[i][0] / scale, a[i][1] / scale, a[i][2] / scale};
  }
  offsets[0] = f->sofs;
  offsets[1] = f->tofs;
}

// Which coordinates a standard face's texture runs along, and the base axes,
// for f as it now lies: the standard axes with no rotation.
void base_of(const surf* f, int& su, int& sv, vec3 base[2]) {
  surf plain = *f;
  plain.flips = 0;
  float a[2][3];
  standard_axes(&plain, a);
  base[0] = {a[0][0], a[0][1], a[0][2]};
  base[1] = {a[1][0], a[1][1], a[1][2]};
  su = std::fabs(a[0][0]) > 0.5 ? 0 : std::fabs(a[0][1]) > 0.5 ? 1 : 2;
  sv = std::fabs(a[1][0]) > 0.5 ? 0 : std::fabs(a[1][1]) > 0.5 ? 1 : 2;
}

}  // namespace

void lock_texture(surf* f, const surf& before, const point_map& m) {
  // What the texture should be after the move: s(q) = dot(q, wanted) + offset.
  vec3 axes[2];
  double offsets[2];
  texel_axes(&before, axes, offsets);
  vec3 wanted[2];
  double wanted_offset[2];
  for (int i = 0; i < 2; ++i) {
    wanted[i] = carried(m, axes[i]);
    wanted_offset[i] = offsets[i] - dot(m.shift, wanted[i]);
  }
  if (f->hasaxes != 0) {
    // A Valve 220 face stores a unit axis and a scale for each: exact.
    for (int i = 0; i < 2; ++i) {
      const double along = length(wanted[i]);
      if (along == 0) return;
      const double scale = (before.scale[i] < 0 ? -1 : 1) / along;
      f->scale[i] = static_cast<float>(scale);
      f->texaxis[i][0] = static_cast<float>(wanted[i].x * scale);
      f->texaxis[i][1] = static_cast<float>(wanted[i].y * scale);
      f->texaxis[i][2] = static_cast<float>(wanted[i].z * scale);
    }
    f->sofs = static_cast<float>(wanted_offset[0]);
    f->tofs = static_cast<float>(wanted_offset[1]);
    return;
  }

  // A standard face reads only the two coordinates of its base plane. On the
  // face, the third follows from them: x_n = (d - n_u x_u - n_v x_v) / n_n.
  int su = 0, sv = 1;
  vec3 base[2];
  base_of(f, su, sv, base);
  const int sn = 3 - su - sv;
  const vec3 p0 = to_double(f->point[0]);
  const vec3 n = normalized(cross(to_double(f->point[1]) - p0, to_double(f->point[2]) - p0));
  if (std::fabs(n[sn]) < 1e-9) return;  // cannot happen for the nearest base plane
  double plane2[2][2];                  // the wanted s and t as functions of (x_su, x_sv) on the face
  for (int i = 0; i < 2; ++i) {
    const double k = wanted[i][sn] / n[sn];
    plane2[i][0] = wanted[i][su] - k * n[su];
    plane2[i][1] = wanted[i][sv] - k * n[sv];
  }
  // s runs along the base u axis turned by the rotation, over its scale;
  // keep the sign of the old scale, and find the turn from there.
  const double bu[2] = {base[0][su], base[0][sv]};
  const double bv[2] = {base[1][su], base[1][sv]};
  const double length_s = std::hypot(plane2[0][0], plane2[0][1]);
  if (length_s < 1e-12) return;
  const double sign_s = before.scale[0] < 0 ? -1 : 1;
  const double ss = sign_s / length_s;
  const double want_u[2] = {plane2[0][0] * ss, plane2[0][1] * ss};  // unit: the turned base u
  const double angle =
      std::atan2(bu[0] * want_u[1] - bu[1] * want_u[0], bu[0] * want_u[0] + bu[1] * want_u[1]);
  const double c = std::cos(angle), s = std::sin(angle);
  const double turned_v[2] = {c * bv[0] - s * bv[1], s * bv[0] + c * bv[1]};
  const double along_v = plane2[1][0] * turned_v[0] + plane2[1][1] * turned_v[1];
  if (std::fabs(along_v) < 1e-12) return;
  double degrees = angle * 180 / std::numbers::pi;
  degrees = std::round(degrees * 1e4) / 1e4;  // quarter turns stay whole
  f->flips = static_cast<float>(degrees == 0 ? 0 : degrees);
  f->scale[0] = static_cast<float>(ss);
  f->scale[1] = static_cast<float>(1 / along_v);
  // The offsets pin the texel at the first corner.
  double now[2];
  texture_coords(f, f->point[0], now[0], now[1]);
  const vec3 q0 = to_double(f->point[0]);
  f->sofs = static_cast<float>(f->sofs + dot(q0, wanted[0]) + wanted_offset[0] - now[0]);
  f->tofs = static_cast<float>(f->tofs + dot(q0, wanted[1]) + wanted_offset[1] - now[1]);
}

void lock_textures(brush_t* b, const face_backup& before, const point_map& m) {
  auto old = before.faces().begin();
  for (surf* s = b->fsurf; s != nullptr && old != before.faces().end(); s = s->next, ++old)
    lock_texture(s, *old, m);
}
