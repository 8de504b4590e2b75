// A game folder of our own for the textured benchmarks and pictures: a
// palette and, for each WAD a map names, a WAD2 holding a made-up texture
// for every texture name the map uses. No game data is needed or shipped.
#pragma once

#include <string>

// Writes DIR/id1/gfx/palette.lmp and the map's WADs under DIR/id1 for the map
// in memory, and returns "" or what could not be written.
std::string write_generated_game(const std::string& dir);
