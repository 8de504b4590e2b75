// Axis-aligned box brushes: new boxes, rooms and point entity markers.
#pragma once

#include <string>

#include "model/box.h"
#include "model/types.h"

// The texture chosen for new brushes; empty while none has been, and they
// take DEFAULT_TEXTURE. Markers keep DEFAULT_TEXTURE whatever is chosen.
extern std::string current_texture;
// What a new brush's faces are given.
const std::string& new_brush_texture();

// A box of `width` along x, `length` along y and `height` along z centred on o.
// With isentity set the box belongs to no brush entity and the caller stores
// it. Otherwise it goes to the head of the highlighted brush's entity, or of
// the world entity; with no world entity to receive it, nothing is made and
// the result is null.
brush_t* new_brush(const vertex_t* o, short length, short width, short height, int isentity);

// A box of the world entity from corner lo to corner hi; null when there is
// no world entity or a side is not a whole size from 1 to 32767.
brush_t* new_world_box(const vertex_t* lo, const vertex_t* hi);
