// Keeping a face's texture fixed to its brush while the brush moves or turns.
#pragma once

#include "edit/face_backup.h"
#include "model/types.h"

// A move of points: p becomes turn * p + shift, turn being any linear map that
// keeps sides apart (a rotation, a stretch along an axis), rows first.
struct point_map {
  double turn[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  vec3 shift;
};

// Gives face f, whose points have just been moved by m, the texture fields
// that put every texel where m took the point it was on; `before` is the
// face as it was. A Valve 220 face turns its axes and moves its offsets and
// is exact. A standard face takes the rotation, scales and offsets that come
// closest: exact for moves, and for turns after which its texture needs no
// shear on its base plane (turns about z of upright faces whose texture is
// turned by right angles, for one); otherwise the texel at its first corner
// is kept, and the rest as nearly as a rotation and two scales allow.
void lock_texture(surf* f, const surf& before, const point_map& m);

// lock_texture for every face of b, whose faces were `before` ahead of m.
void lock_textures(brush_t* b, const face_backup& before, const point_map& m);
