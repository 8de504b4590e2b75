#include "textures/texture_image.h"

namespace {

constexpr int CHECKER_SIZE = 64;   // texels a side
constexpr int CHECKER_SQUARE = 8;  // texels a square
constexpr texel CHECKER_DARK = 0xff202020u;
constexpr texel CHECKER_LIGHT = 0xffe000e0u;

texture_image make_checkerboard() {
  texture_image t;
  t.name = "(missing)";
  t.width = t.height = CHECKER_SIZE;
  t.texels.resize(CHECKER_SIZE * CHECKER_SIZE);
  for (int y = 0; y < CHECKER_SIZE; ++y) {
    for (int x = 0; x < CHECKER_SIZE; ++x) {
      const bool light = ((x / CHECKER_SQUARE) + (y / CHECKER_SQUARE)) % 2 == 0;
      t.texels[y * CHECKER_SIZE + x] = light ? CHECKER_LIGHT : CHECKER_DARK;
    }
  }
  return t;
}

}  // namespace

const texture_image& missing_texture() {
  static const texture_image checker = make_checkerboard();
  return checker;
}
