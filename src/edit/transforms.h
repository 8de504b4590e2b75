// Brush transforms: centres, translation of a face, rotation of the selection
// about its common centre, and pushing or pulling one face along its normal.
#pragma once

#include "model/types.h"

extern float drag_distance;   // map units of one face push or brush move (start-up 5)
extern float rotation_angle;  // degrees of one rotation step (start-up 45)
extern int texture_lock;  // moves, turns and stretches keep each face's texture on its brush (start-up off)

// The steps, the lock and the texture of new brushes back to their start-up
// values.
void reset_edit_steps();

// Mean of the face centroids of b into *pt. Faces without points are skipped;
// a brush with none left has no centre: the result is false and *pt is untouched.
bool find_center(const brush_t* b, vertex_t* pt);

// Mean of the centres of the selected brushes into *center; false (and *center
// untouched) when no selected brush has a centre.
bool find_group_center(vertex_t* center);

// Adds *pt to every polygon point of s. The plane follows as well: a face left
// with fewer than three points keeps its plane in its first three, and those
// move too, as do the points it was read with.
void add_vect_to_surface(surf* s, const vertex_t* pt);

// Moves every face of b by *d, and the point entity it marks, if any.
void move_brush(brush_t* b, const vertex_t* d);

// Rotates every point of b about *center: about z by delta->z, then x by
// delta->x, then y by delta->y (radians), in float as the camera does.
void rotate_brush(brush_t* b, const vertex_t* center, const vertex_t* delta);

// One rotation_angle step of every selected brush about the group centre, about
// one axis; up non-zero turns the negative way. Each brush is then rebuilt.
void rotate_brushX(int up);
void rotate_brushY(int up);
void rotate_brushZ(int up);

// Moves the highlighted face by drag_distance along its normal: up == 0 pushes
// it in (only while the brush centre lies more than one step away), otherwise
// pulls it out. The brush is rebuilt either way.
void drag_surf(int up);
