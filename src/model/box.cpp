#include "model/box.h"

#include "model/plane_polygon.h"

namespace {

// Corner picks of the six faces, in list order; each row gives p0, p1, p2 as
// (x, y, z) signs. The order makes every normal point into the box.
constexpr int FACE_CORNERS[6][3][3] = {
    {{-1, -1, -1}, {+1, -1, -1}, {+1, +1, -1}},  // bottom, +z
    {{-1, -1, +1}, {+1, -1, +1}, {+1, -1, -1}},  // y- side, +y
    {{-1, +1, +1}, {-1, -1, +1}, {-1, -1, -1}},  // x- side, +x
    {{+1, +1, +1}, {-1, +1, +1}, {-1, +1, -1}},  // y+ side, -y
    {{+1, +1, +1}, {+1, +1, -1}, {+1, -1, -1}},  // x+ side, -x
    {{+1, +1, +1}, {+1, -1, +1}, {-1, -1, +1}},  // top, -z
};

}  // namespace

brush_t* new_box(const vertex_t* o, short length, short width, short height) {
  const float half[3] = {width * 0.5f, length * 0.5f, height * 0.5f};
  const float centre[3] = {o->x, o->y, o->z};
  auto* b = new brush_t;
  b->numsurfaces = 6;
  surf** tail = &b->fsurf;
  for (const auto& corners : FACE_CORNERS) {
    auto* s = new surf;
    s->texname = DEFAULT_TEXTURE;
    s->brush = b;
    s->numpoints = 3;
    for (int p = 0; p < 3; ++p) {
      s->point[p].x = centre[0] + static_cast<float>(corners[p][0]) * half[0];
      s->point[p].y = centre[1] + static_cast<float>(corners[p][1]) * half[1];
      s->point[p].z = centre[2] + static_cast<float>(corners[p][2]) * half[2];
    }
    s->scale[0] = s->scale[1] = 1.0f;
    s->vis = 1;
    s->clr = random_colour();
    *tail = s;
    tail = &s->next;
  }
  fixbrush(b);
  b->vis = 1;
  b->valid = 1;
  return b;
}
