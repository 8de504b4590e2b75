// The WAD reader on arbitrary bytes. A WAD parses or is refused; every
// texture it lists reads whole through a fixed palette, or fails with the
// reason the listing gave and leaves the picture as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "textures/byte_fields.h"
#include "textures/palette.h"
#include "textures/wad_file.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

palette grey_palette() {
  palette p;
  for (std::size_t i = 0; i < PALETTE_COLOURS; ++i) {
    const auto v = static_cast<unsigned char>(i);
    p.colours[i] = rgb_texel(v, v, v);
  }
  return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const palette game = grey_palette();
  wad_file wad;
  if (!wad.parse(std::string_view(reinterpret_cast<const char*>(data), size)).empty()) return 0;
  const std::vector<wad_texture_info> listed = wad.textures();
  for (std::size_t i = 0; i < listed.size(); ++i) {
    const wad_texture_info& info = listed[i];
    texture_image t;
    const std::string error = wad.read_texture(info.name, &game, t);
    if (!error.empty()) {
      require(t.width == 0 && t.texels.empty());
      continue;
    }
    require(t.width >= 1 && t.width <= MAX_TEXTURE_SIDE && t.height >= 1 && t.height <= MAX_TEXTURE_SIDE);
    require(t.texels.size() == static_cast<std::size_t>(t.width) * static_cast<std::size_t>(t.height));
    require(same_name(t.name, info.name));
    // A name read for the first time is this texture's own.
    bool first = true;
    for (std::size_t k = 0; k < i; ++k) first = first && !same_name(listed[k].name, info.name);
    if (first) require(info.problem.empty() && t.width == info.width && t.height == info.height);
  }
  return 0;
}
