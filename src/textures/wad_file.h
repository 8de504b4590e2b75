// A texture WAD: WAD2 of QUAKE, whose textures index the game's palette, or
// WAD3 of Half-Life, whose textures carry their own. Only texture lumps are
// kept; every other lump is not a texture and is passed over.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "textures/palette.h"
#include "textures/texture_image.h"

constexpr int MAX_TEXTURE_SIDE = 4096;

// A texture lump as the directory lists it, checked whole: its size, or why
// it cannot be read.
struct wad_texture_info {
  std::string name;
  int width = 0, height = 0;
  std::string problem;  // empty when the texture reads
};

class wad_file {
 public:
  // Reads the directory of a WAD held in memory, keeping a copy of the bytes.
  // Returns "" on success, else why not.
  std::string parse(std::string_view bytes);
  // Reads the WAD at path. "" or why not, naming the file.
  std::string open(const std::string& path);

  bool own_palettes() const { return wad3_; }  // WAD3: each texture has its own

  // Every texture lump in directory order, duplicates included.
  std::vector<wad_texture_info> textures() const;

  // Reads mip level 0 of the first texture called `name`, in any case, into
  // `out`. WAD2 texels are looked up in `game` (which may be null for a
  // WAD3). Returns "" on success, else why not, and `out` is left as it was.
  std::string read_texture(std::string_view name, const palette* game, texture_image& out) const;

 private:
  struct lump {
    std::string name;
    std::uint32_t offset = 0, disk_size = 0;
    std::uint8_t compression = 0;
  };
  // Where the texels of mip level 0 and, in a WAD3, the palette lie in the file.
  struct layout {
    int width = 0, height = 0;
    std::size_t texels = 0, colours = 0, colour_count = 0;
  };
  std::string check(const lump& l, layout& out) const;

  std::vector<std::uint8_t> bytes_;
  bool wad3_ = false;
  std::vector<lump> lumps_;
};
