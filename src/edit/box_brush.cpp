#include "edit/box_brush.h"

#include <limits>

#include "model/map_state.h"

std::string current_texture;

namespace {

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
  if (owner == nullptr) return new_box(o, length, width, height);  // a marker
  brush_t* b = new_box(o, length, width, height, new_brush_texture());
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

const std::string& new_brush_texture() {
  static const std::string fallback = DEFAULT_TEXTURE;
  return current_texture.empty() ? fallback : current_texture;
}

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
