// The grid of the plan views, and bringing brushes onto it.
#pragma once

#include <vector>

#include "model/types.h"
#include "model/view_options.h"

// The grid and the snap switches are view options (options.grid_size,
// options.snap_to_grid, options.snap_in_3d).

// The corners of the last box drawn in a plan view: a new one takes its
// depth along the view axis from them (start-up 0 to 64 on every axis).
extern vertex_t last_box_lo, last_box_hi;

// The last box back to its start-up value.
void reset_grid();

// v to the nearest multiple of the grid (options.grid_size).
float snapped(float v);

// The smallest box holding every face point of b; false when b has none.
bool brush_bounds(const brush_t* b, vertex_t* lo, vertex_t* hi);
// The same over every brush of the list.
bool brushes_bounds(const std::vector<brush_t*>& list, vertex_t* lo, vertex_t* hi);

// Rounds every point of b to the grid and rebuilds it from the new planes,
// each kept as three points on the grid for the file: where turned planes
// meet, corners may still fall between grid points. Rounding that would
// flatten or turn over a face, flatten the brush or lose a face in the
// rebuild is not done: b is left as it was and the result is false.
bool snap_brush_points(brush_t* b);
