// The camera shared by the 3D view, the keyboard and the brush rotations:
// position, angles and the cached sines and cosines of the angles.
#pragma once

#include "model/types.h"

extern vertex_t origin;                                 // camera position; also where merged objects land
extern vertex_t angle;                                  // radians: x pitch, y roll, z yaw
extern float sangx, cangx, sangy, cangy, sangz, cangz;  // cached from `angle`

// Refreshes the six cached sines and cosines from `angle`.
void compute_angles();

// World point pt into view space (x right, y depth, z up) with the current
// camera; every intermediate is a float.
void rotate_vertex(const vertex_t* pt, vertex_t* wrld);

// The unit vector, in world space, along which the camera looks (the depth
// axis of view space).
vertex_t camera_forward();

// Camera back to its start-up values: origin 0, angle START_ANGLE.
void reset_camera();
