// Cutting a brush along a face plane, subtracting one brush from another, and
// removing a brush from the map.
#pragma once

#include "model/types.h"

// Cuts brush along the plane of face p into a front piece (the side away from
// p's own brush) and a back piece, closed by cap faces in the plane when the
// plane really cuts. The pieces are new brushes at the head of brush's entity,
// returned in *f and *b (null for a side that gets nothing), and brush itself
// is released. A brush that is not an ordinary brush of the map (a marker box)
// is not cut: the result is false and both pieces are null.
bool split_brush(const surf* p, brush_t* brush, brush_t** f, brush_t** b);

// Removes from b1 the part inside b2 by splitting it along b2's faces in turn;
// the pieces outside b2 stay as new brushes of b1's entity, b1 is released and
// b2 is left as it was. False, with nothing changed, when b1 is b2 or cannot be
// cut (see split_brush).
bool subtract_brush(brush_t* b1, const brush_t* b2);

// Unlinks b from its brush entity and releases it. A brush that is not in its
// entity's list, or a marker box (which belongs to no entity), is left alone
// and the result is false.
bool delete_brush(brush_t* b);
