#include "model/camera.h"

#include <cmath>

#include "model/rotation.h"
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
  const rotation r{sangx, cangx, sangy, cangy, sangz, cangz};
  *wrld = rotate_offset(r, pt->x - origin.x, pt->y - origin.y, pt->z - origin.z);
}

vertex_t camera_forward() {
  // The turn is a rotation, so the world direction of the depth axis is the
  // depth each world axis turns into.
  const rotation r{sangx, cangx, sangy, cangy, sangz, cangz};
  return {rotate_offset(r, 1, 0, 0).y, rotate_offset(r, 0, 1, 0).y, rotate_offset(r, 0, 0, 1).y};
}

void reset_camera() {
  origin = vertex_t{};
  angle = START_ANGLE;
  compute_angles();
}
