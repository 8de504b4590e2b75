// How a face of the 3D view is textured and lit: its texture coordinates
// across the screen, and its brightness by the way it faces.
#pragma once

#include "model/types.h"
#include "render/raster.h"

// The mapping of w's pixels to the texels of tex, for the camera and the
// projection given (focal length, zoom, centre of the view). w holds the
// face's polygon in view space; its face gives the texture axes, scales and
// offsets. shade is the face's brightness.
texture_mapping face_mapping(const winding* w, const texture_image& tex, float focal, float zoom,
                             float centre_x, float centre_y, unsigned shade);

// The brightness of a face, in 256ths: with lit, by the way it faces a fixed
// light, from 60% facing away to 100% facing it; textured liquids (names led
// by '*') at half, so that they stand apart.
unsigned face_shade(const surf* s, bool lit, bool textured);
