// The display BSP: a tree of view-space fragments, built afresh every frame,
// whose walk puts farther polygons before nearer ones. Extra fragments come
// from the fragment pool (winding_pool.h).
#pragma once

#include <vector>

#include "model/types.h"

constexpr double SPLIT_PARALLEL = 1e-9;  // an edge this parallel to a split plane is not cut

// Splits surface by the plane of the first three points of `plane` into the
// part on the front (negative) side, stored through f, and the part on the
// back side, stored through b; a part that is not produced leaves its pointer
// as the caller set it. The front part is surface itself. A part that would
// need more than MAX_POINTS points comes as a fan of smaller pieces chained
// through `next`, the first piece being the one stored. A surface lying in
// the plane is not cut: it goes whole to the side the walk draws after the
// plane's own fragment (the back side when the eye is behind `plane`).
void split_surf(const winding* plane, winding* surface, winding** f, winding** b);

// Building and walking the tree. The tree can be as deep as the frame has
// fragments, so both keep their own stacks instead of recursing; the stacks
// and the drawing order are kept between frames so frames do not allocate.
class display_bsp {
 public:
  // Turns the fragment list starting at list into a tree rooted at list.
  void build(winding* list);

  // The fragments of the tree rooted at root in drawing order, farther before
  // nearer for the eye at the view-space origin; valid until the next call.
  const std::vector<winding*>& back_to_front(winding* root);

 private:
  struct walk_step {
    winding* w;
    bool draw;
  };

  std::vector<winding*> build_stack;
  std::vector<walk_step> walk_stack;
  std::vector<winding*> order;
};
