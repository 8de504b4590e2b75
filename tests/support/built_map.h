// A map the tests make for themselves, so that whole-map tests run in a clone
// of the project alone: rooms with walls, floors and ceilings, stairs, turned
// pillars, brush entities and point entities, made with the editor's own box
// builder and turns and written by its own writer.
#pragma once

#include <gtest/gtest.h>

#include <string>

// The map's text. Builds in the model and resets it afterwards, so call it
// before a test loads a map of its own.
std::string built_map_text();

// The built map in a file of a temporary folder, written once per program.
const std::string& built_map_path();

// The built map's name where parameterised tests list it among real maps.
constexpr const char* BUILT_MAP = "rooms.map";

// built_map_path() for BUILT_MAP, else the real map's path.
std::string any_map_path(const std::string& name);

// The built map and the original maps, for tests parameterised by map.
inline constexpr const char* EVERY_MAP_NAME[] = {BUILT_MAP,  "dm1.map",  "dm3.map",  "e1m1.map", "e1m2.map",
                                                 "e1m3.map", "e2m2.map", "e4m3.map", "start.map"};

// A map's name without ".map", as the name of its case.
std::string map_case_name(const ::testing::TestParamInfo<const char*>& info);
