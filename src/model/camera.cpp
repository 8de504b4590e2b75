#include "model/camera.h"

#include <cmath>

#include "model/rotation.h"

vertex_t origin;
vertex_t angle{0.0f, 0.0f, 3.1f};
float sangx = 0.0f, cangx = 1.0f, sangy = 0.0f, cangy = 1.0f;
float sangz = static_cast<float>(std::sin(3.1f)), cangz = static_cast<float>(std::cos(3.1f));

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

void reset_camera() {
  origin = vertex_t{};
  angle = vertex_t{0.0f, 0.0f, 3.1f};
  compute_angles();
}
