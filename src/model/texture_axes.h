// The directions a face's texture runs along, s then t, in map units.
#pragma once

#include "model/types.h"

// Those of a standard face: the axes of the nearest of the floor and the two
// wall directions (the sign of the normal makes no difference), turned by the
// face's rotation within their own plane.
void standard_axes(const surf* s, float axes[2][3]);

// The face's own Valve 220 axes where it has them, else the standard ones;
// the writer saves these for a Valve 220 map, and the drawing maps by them.
void texture_axes(const surf* s, float axes[2][3]);

// The texture coordinates s and t, in texels, of the point p on face f: each
// axis divided by its scale (0 counting as 1), plus the offset.
void texture_coords(const surf* f, const vertex_t& p, double& s, double& t);
