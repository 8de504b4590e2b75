#include "model/camera.h"

#include <cmath>

#include "model/view_defaults.h"

vertex_t origin;
vertex_t angle = START_ANGLE;
float sangx = static_cast<float>(std::sin(START_ANGLE.x));
float cangx = static_cast<float>(std::cos(START_ANGLE.x));
float sangy = static_cast<float>(std::sin(START_ANGLE.y));
float cangy = static_cast<float>(std::cos(START_ANGLE.y));
float sangz = static_cast<float>(std::sin(START_ANGLE.z));
float cangz = static_cast<float>(std::cos(START_ANGLE.z));

void compute_angles() {
  sangx = static_cast<float>(std::sin(angle.x));
  cangx = static_cast<float>(std::cos(angle.x));
  sangy = static_cast<float>(std::sin(angle.y));
  cangy = static_cast<float>(std::cos(angle.y));
  sangz = static_cast<float>(std::sin(angle.z));
  cangz = static_cast<float>(std::cos(angle.z));
}

void rotate_vertex(const vertex_t* pt, vertex_t* wrld) {
  const float dx = pt->x - origin.x;
  const float dy = pt->y - origin.y;
  const float dz = pt->z - origin.z;
  const float x1 = cangz * dx - sangz * dy;
  const float y1 = sangz * dx + cangz * dy;
  const float z1 = dz;
  const float y2 = cangx * y1 - sangx * z1;
  const float z2 = sangx * y1 + cangx * z1;
  const float x3 = cangy * x1 + sangy * z2;
  const float z3 = -sangy * x1 + cangy * z2;
  wrld->x = x3;
  wrld->y = y2;
  wrld->z = z3;
}

void reset_camera() {
  origin = vertex_t{};
  angle = START_ANGLE;
  compute_angles();
}
