// A texture as the drawing uses it: the full-size picture of one texture,
// every texel already a colour.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using texel = std::uint32_t;  // 0xffRRGGBB, as a QImage of Format_RGB32 holds it

struct texture_image {
  std::string name;
  int width = 0, height = 0;
  std::vector<texel> texels;  // width * height, row by row from the top

  texel at(int s, int t) const { return texels[static_cast<std::size_t>(t) * width + s]; }
};

// What stands in for a texture that is missing or damaged: a checkerboard of
// our own, large enough to see how a face is mapped.
const texture_image& missing_texture();
