// The clip tool: cutting brushes by a plane through three points.
#pragma once

#include <vector>

#include "model/types.h"

enum class clip_keep { front, back, both };

// Cuts each brush of list by the plane through p0, p1 and p2 as the split of
// a face cuts (its pieces, caps and colours; the caps take the chosen texture
// of new brushes when there is one), then keeps the front pieces
// (the side the plane's normal points away from, as a face's front is),
// the back ones, or both. Returns the brushes that are left in list's place;
// a brush the plane misses is kept or dropped whole by its side. Nothing
// happens, and list comes back, when the points do not make a plane.
std::vector<brush_t*> clip_brushes(const std::vector<brush_t*>& list, const vertex_t& p0, const vertex_t& p1,
                                   const vertex_t& p2, clip_keep keep);
