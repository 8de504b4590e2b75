// Placing point entities and turning brushes into brush entities and back.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/types.h"

using key_values = std::vector<std::pair<std::string, std::string>>;

// A new point entity of classname at origin with the given pairs after its
// classname, marked by its class's box. Returns its slot, or -1 when the
// table is full.
int place_point_entity(const std::string& classname, const vertex_t& origin, const key_values& pairs);

// The selected brushes of the world entity become a new brush entity of
// classname with the given pairs, put after the world. Null, and nothing
// changed, when no world brush is selected.
hull_t* make_brush_entity(const std::string& classname, const key_values& pairs);

// The selected brushes of other brush entities go back to the world; an
// entity left without brushes goes. Returns how many brushes moved.
int move_to_world();
