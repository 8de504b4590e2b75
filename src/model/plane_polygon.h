// Face polygons rebuilt from face planes: the huge base square on a plane, the
// cut of a polygon by a plane, and "fix brushes".
#pragma once

#include "model/types.h"

constexpr float BASE_HALF_SIZE = 8192.0f;  // half-size of the square on a plane
constexpr double ON_PLANE_EPSILON = 0.1;   // a point this close counts as on the plane
constexpr double PARALLEL_EPSILON = 0.0000001;

// Replaces the face's polygon by a square on the plane of its first three
// points. A plane that is not a number leaves the face with no points and
// returns false.
bool BaseSurfaceForPlane(surf* s);

// Cuts the polygon of surface by the plane of `plane` into front (the side
// opposite the normal) and back. Returns -1 (front only), 1 (back only) or 0
// (split, degenerate, or abandoned because a side would need more than
// MAX_POINTS points, in which case front and back are untouched).
int create_surf_from_base(const surf* plane, const surf* surface, surf* front, surf* back);

// With "fix brushes" on, rebuilds every face polygon of b from the planes.
// Returns how many faces had a plane that is not a number (left unbuilt).
// Different brushes may be rebuilt on different threads at the same time.
int fixbrush(brush_t* b);
