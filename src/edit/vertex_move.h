// Moving one corner of a brush.
#pragma once

#include "model/types.h"

// Moves the corner of b at `at` (within VERTEX_MATCH) to `to`. Each face
// through the corner takes the moved one; a face that would bend is split
// into triangles fanned from it, with its texture. b is rebuilt from the new
// planes. False, with b bit for bit as it was, when no corner is at `at`, `to`
// is another corner, or b would not stay convex or keep 4 faces.
bool move_vertex(brush_t* b, const vertex_t& at, const vertex_t& to);

constexpr float VERTEX_MATCH = 0.01f;  // how near two points are the same corner
