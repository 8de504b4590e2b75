// Axis-aligned boxes of six faces: the shape of new brushes and of the
// markers that stand for point entities.
#pragma once

#include "model/types.h"

constexpr const char* DEFAULT_TEXTURE = "TECH01_1";
constexpr short MARKER_SIZE = 8;  // edge of the box that stands for a point entity

// A box of `width` along x, `length` along y and `height` along z centred on
// o, its polygons built. It belongs to no entity and is in no list; the caller
// links it.
brush_t* new_box(const vertex_t* o, short length, short width, short height);
