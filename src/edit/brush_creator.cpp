#include "edit/brush_creator.h"

#include <cmath>
#include <limits>

#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "edit/grid_snap.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_options.h"

namespace {

constexpr float AHEAD = 100;  // how far in front of the camera a plain box goes

// Whole number towards zero, when it fits the box sizes new_brush takes.
bool whole_size(double v, int* out) {
  if (!std::isfinite(v)) return false;
  const double t = std::trunc(v);
  if (t < std::numeric_limits<short>::min() || t > std::numeric_limits<short>::max()) return false;
  *out = static_cast<int>(t);
  return true;
}

bool fits_size(int v) {
  return v >= std::numeric_limits<short>::min() && v <= std::numeric_limits<short>::max();
}

void make_world_entity() {
  hull_t* w = new_world_entity();
  copy_field(w->wad, sizeof w->wad, "quaketex.wad");
  copy_field(w->message, sizeof w->message, "Created By VELD");
  w->header->next = new_keyval("wad", "quaketex.wad");
  hull = w;
}

}  // namespace

creator_outcome brush_creator_build(int ok, double length, double width, double height, double thickness,
                                    int room, int hollow) {
  vertex_t o{origin.x + AHEAD * sangz, origin.y + AHEAD * cangz, origin.z};
  if (!ok) return creator_outcome::cancelled;

  int l = 0, w = 0, h = 0, t = 0;
  if (!whole_size(length, &l) || !whole_size(width, &w) || !whole_size(height, &h) ||
      !whole_size(thickness, &t)) {
    return creator_outcome::out_of_range;
  }
  if (room && !(fits_size(l - t) && fits_size(w - t) && fits_size(h - t))) {
    return creator_outcome::out_of_range;
  }
  if (room) o = origin;
  // With snapping on, the box's low corner goes to the nearest grid point,
  // its sizes kept.
  if (options.snap_to_grid != 0) {
    o.x = snapped(o.x - static_cast<float>(w) / 2) + static_cast<float>(w) / 2;
    o.y = snapped(o.y - static_cast<float>(l) / 2) + static_cast<float>(l) / 2;
    o.z = snapped(o.z - static_cast<float>(h) / 2) + static_cast<float>(h) / 2;
  }
  if (hull == nullptr) make_world_entity();

  brush_t* outer = new_brush(&o, static_cast<short>(l), static_cast<short>(w), static_cast<short>(h), 0);
  if (room) {
    brush_t* inner =
        new_brush(&o, static_cast<short>(l - t), static_cast<short>(w - t), static_cast<short>(h - t), 0);
    subtract_brush(outer, inner);
    if (hollow) delete_brush(inner);
  }
  return creator_outcome::built;
}
