#include "edit/box_brush.h"

#include <limits>

#include "model/map_state.h"
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

hull_t* receiving_entity() {
  if (hilight != nullptr && hilight->brush != nullptr && hilight->brush->entity == -1 &&
      hilight->brush->hull != nullptr) {
    return hilight->brush->hull;
  }
  return hull;
}

// A box of the sizes centred on o, added to the head of owner's brushes, or
// belonging to no entity when owner is null.
brush_t* make_box(hull_t* owner, const vertex_t* o, short length, short width, short height) {
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
  b->next = nullptr;
  if (owner == nullptr) {
    b->hull = nullptr;
    return b;
  }
  b->entity = -1;
  b->next = owner->brush;
  owner->brush = b;
  b->hull = owner;
  return b;
}

// A box side between lo and hi, when it is a size boxes can have.
bool box_side(float lo, float hi, short* size) {
  const float side = hi - lo;
  if (!(side > 0) || side > std::numeric_limits<short>::max()) return false;
  *size = static_cast<short>(side);
  return *size == side;
}

}  // namespace

brush_t* new_brush(const vertex_t* o, short length, short width, short height, int isentity) {
  hull_t* owner = isentity ? nullptr : receiving_entity();
  if (!isentity && owner == nullptr) return nullptr;
  return make_box(owner, o, length, width, height);
}

brush_t* new_world_box(const vertex_t* lo, const vertex_t* hi) {
  short width = 0, length = 0, height = 0;
  if (hull == nullptr || !box_side(lo->x, hi->x, &width) || !box_side(lo->y, hi->y, &length) ||
      !box_side(lo->z, hi->z, &height)) {
    return nullptr;
  }
  const vertex_t o{(lo->x + hi->x) / 2, (lo->y + hi->y) / 2, (lo->z + hi->z) / 2};
  return make_box(hull, &o, length, width, height);
}
