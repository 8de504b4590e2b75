// Turning a point about three axes: about z, then x, then y, every step a
// float. The camera and the brush rotations both turn this way, so a brush
// turned by the camera's angles lines up with what the view shows.
#pragma once

#include "model/types.h"

// The sines and cosines of the three angles, each stored as a float.
struct rotation {
  float sx, cx, sy, cy, sz, cz;
};

// The offset (dx, dy, dz) turned by r.
inline vertex_t rotate_offset(const rotation& r, float dx, float dy, float dz) {
  const float x1 = r.cz * dx - r.sz * dy;
  const float y1 = r.sz * dx + r.cz * dy;
  const float y2 = r.cx * y1 - r.sx * dz;
  const float z2 = r.sx * y1 + r.cx * dz;
  const float x3 = r.cy * x1 + r.sy * z2;
  const float z3 = -r.sy * x1 + r.cy * z2;
  return {x3, y2, z3};
}
