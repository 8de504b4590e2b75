// The game's 256 colours, which the texels of a QUAKE texture index.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "textures/texture_image.h"

constexpr std::size_t PALETTE_COLOURS = 256;
constexpr std::size_t PALETTE_BYTES = PALETTE_COLOURS * 3;  // the size of gfx/palette.lmp

struct palette {
  std::array<texel, PALETTE_COLOURS> colours{};
};

// The texel of one RGB triple.
inline texel rgb_texel(unsigned char r, unsigned char g, unsigned char b) {
  return 0xff000000u | texel{r} << 16 | texel{g} << 8 | texel{b};
}

// Builds `out` from the 768 bytes of gfx/palette.lmp, 256 RGB triples.
// Returns "" on success, else why not, and `out` is left as it was.
std::string palette_from_bytes(std::string_view bytes, palette& out);
