// Which faces a frame draws: the frame list and the visible set chosen in the
// overhead view.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "model/types.h"

// The view-space polygons of the faces a frame lists, one for each, in blocks
// that stay where they are while the frame is drawn and are reused by the
// next one.
class face_windings {
 public:
  // A winding for the next face listed.
  winding* next();
  // Takes back the winding next handed out last, unused.
  void give_back() { --used_; }
  // The next frame starts again from the first block.
  void reset() { used_ = 0; }

 private:
  static constexpr std::size_t BLOCK = 1024;
  std::vector<std::unique_ptr<winding[]>> blocks_;
  std::size_t used_ = 0;
};

// Lists, in windings taken from store (reset first), every visible brush face
// that passes the facing test and the frustum clip, then the marker boxes of
// point entities while options.drawentity is on; returns the first, each
// linked to the next. With clip set, brush faces are taken without any test
// (marker boxes are still tested).
winding* draw_all(face_windings& store, int clip);

// Recomputes every brush's vis from the overhead-view rectangle Srect.
void find_visible_surfaces();
