// Large maps for the size benchmarks: n x n copies of a map side by side,
// written into the scratch folder (map_cases.h) when a benchmark first asks
// for one.
#pragma once

#include <string>

// The path of the tiling of the map at `path`, made once per process; empty
// when the map cannot be read or the file cannot be written. The copies'
// world brushes all go into one world entity, other brush entities are
// copied whole, and point entities are kept up to the editor's limit.
std::string tiled_map(const std::string& path, int n);
