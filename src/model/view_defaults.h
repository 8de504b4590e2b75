// The 3D view as the program starts: the camera's angles, where opening a map
// puts the camera, and the projection onto the 800 x 600 image. Closing a map
// returns to these.
#pragma once

#include "model/types.h"

constexpr vertex_t START_ANGLE{0.0f, 0.0f, 3.1f};  // radians: pitch, roll, yaw
constexpr float OPENED_CAMERA_Y = 1000.0f;         // the camera is this far up the y axis once a map opens
constexpr float START_FOCAL_LENGTH = 430.0f;       // pixels
constexpr short START_CENTRE_X = 400;              // image position of the view centre
constexpr short START_CENTRE_Y = 300;
constexpr float START_ZOOM = 1.0f;  // scale after the perspective division
