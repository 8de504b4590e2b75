#include "app/frame_key.h"

#include <cstdint>

#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"

namespace {

std::uint64_t selection_hash() {
  std::uint64_t h = 1469598103934665603ULL;
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) {
    h = (h ^ static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(n->brush))) * 1099511628211ULL;
  }
  return h;
}

}  // namespace

bool redraw_decision::draw_needed(const TDrawCanvas& c) {
  // clang-format off
  const frame_key key{changes_, history_changes(),
                      origin, angle, c.view, c.vd, c.xss, c.yss,
                      c.Point, c.clientsize, c.DragDC, c.brushes_moving, c.candraw,
                      options, c.status, Srect,
                      c.memory, numentity, hibr, selection_hash()};
  // clang-format on
  if (drawn_ && *drawn_ == key) return false;
  drawn_ = key;
  ++frames_drawn_;
  return true;
}
