// Resizing brushes by a side of the box around them.
#pragma once

#include <vector>

#include "model/types.h"

// Moves the side of list's box that lies at `from` along axis (0 x, 1 y,
// 2 z) to `to`, the side at `fixed` staying: every point of every brush
// moves in proportion between the two, so the brushes stay convex and faces
// parallel to the side are pushed. False, with every brush as it was, when
// a brush would flatten, turn inside out or lose a face.
bool stretch_brushes(const std::vector<brush_t*>& list, int axis, float fixed, float from, float to);
