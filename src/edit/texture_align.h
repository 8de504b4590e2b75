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

// Scales the texture so that it fits `across` times along s and `down` times
// along t over the face, its first texel at the face's least s and t. The
// scales keep their signs. A face with no extent along an axis keeps it.
void fit_texture(surf* f, int width, int height, int across = 1, int down = 1);

// Moves the texture, its scales kept, so that its edge meets the face's:
// left and right in s, top and bottom in t, centre in both.
void justify_texture(surf* f, int width, int height, justify where);
