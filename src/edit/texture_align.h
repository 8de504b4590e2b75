// Aligning a face's texture: shifts, turns and scales, fitting it to the face
// and justifying it to an edge, by the rule the textured view draws with.
#pragma once

#include "model/types.h"

// Where a texture edge goes: the face's least or greatest s or t, or its
// middle. Top is the least t, where the texture's first row is.
enum class justify { left, right, top, bottom, centre };

// Turns the texture on the face by degrees: a standard face's rotation; a
// Valve 220 face's axes about the face's normal.
void turn_texture(surf* f, double degrees);

// Gives the face the rotation `degrees`: a Valve 220 face turns its axes by
// the difference and keeps the number as its file's rotation.
void set_rotation(surf* f, double degrees);

// Moves the texture by texels along s and t (the offsets grow).
void shift_texture(surf* f, double ds, double dt);
// The same by map units: the offsets grow by as many texels as ds and dt
// units make at the face's scales, so a grid step is one whatever the scale.
void shift_texture_by_units(surf* f, double ds, double dt);

// Multiplies the scale along axis (0 s, 1 t) by factor; a scale of 0 counts
// as 1, as the drawing takes it.
void scale_texture(surf* f, int axis, double factor);

// Scales the texture so that it fits `across` times along s and `down` times
// along t over the face, its first texel at the face's least s and t. The
// scales keep their signs. A face with no extent along an axis keeps it.
void fit_texture(surf* f, int width, int height, int across = 1, int down = 1);

// Moves the texture, its scales kept, so that its edge meets the face's:
// left and right in s, top and bottom in t, centre in both.
void justify_texture(surf* f, int width, int height, justify where);
