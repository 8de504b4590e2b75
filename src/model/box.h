// Axis-aligned boxes of six faces: the shape of new brushes and of the
// markers that stand for point entities.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "model/types.h"

constexpr const char* DEFAULT_TEXTURE = "TECH01_1";
constexpr short MARKER_SIZE = 8;  // edge of the box that stands for a point entity

// A box of `width` along x, `length` along y and `height` along z centred on
// o, its polygons built, every face of `texture`. It belongs to no entity and
// is in no list; the caller links it. With `built` false each face has only
// the three points of its plane, for the caller to rebuild (rebuild_box).
brush_t* new_box(const vertex_t* o, short length, short width, short height,
                 const std::string& texture = DEFAULT_TEXTURE, bool built = true);

// Rebuilds a box that new_box made unbuilt: the polygons fixbrush gives it,
// worked out straight from its corners where fixbrush is known to compute
// them exactly, and by fixbrush elsewhere.
void rebuild_box(brush_t* b);

// The box a point entity's class is drawn with, from its definition: corners
// about the entity's origin, and a colour where the definition gives one.
struct marker_shape {
  vertex_t mins, maxs;
  bool coloured = false;
  colour_t colour = 0;
};

// Marker shapes by class name in lower case; a class not in it is drawn as
// the MARKER_SIZE cube. Filled from the entity definitions in use.
extern std::unordered_map<std::string, marker_shape> marker_shapes;

// The marker of a point entity of class classname standing at o: its class's
// box, or the MARKER_SIZE cube centred on o. Like new_box, it is linked by
// the caller; `built` as for new_box.
brush_t* new_marker(std::string_view classname, const vertex_t& o, bool built = true);

// Every point entity's marker takes the shape new_marker gives its class now,
// in place: the brush records stay, only their faces are made anew.
void reshape_markers();
