#include "textures/palette.h"

std::string palette_from_bytes(std::string_view bytes, palette& out) {
  if (bytes.size() != PALETTE_BYTES) {
    return "a palette has 768 bytes, not " + std::to_string(bytes.size());
  }
  for (std::size_t i = 0; i < PALETTE_COLOURS; ++i) {
    const auto* rgb = reinterpret_cast<const unsigned char*>(bytes.data()) + 3 * i;
    out.colours[i] = rgb_texel(rgb[0], rgb[1], rgb[2]);
  }
  return "";
}
