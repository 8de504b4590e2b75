// Small game files built byte by byte for the tests: palettes, WAD2 and WAD3
// texture WADs and PAK archives, with colours that tell where a texel came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "textures/palette.h"

namespace texture_bytes {

inline void put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i) & 0xff));
}

inline void put_name(std::string& s, std::string_view name, std::size_t width) {
  std::string field(name.substr(0, width));
  field.resize(width, '\0');
  s += field;
}

inline void set32(std::string& s, std::size_t at, std::uint32_t v) {
  std::string field;
  put32(field, v);
  s.replace(at, 4, field);
}

// Colour i of the game palette numbered `seed`, and of every WAD3 texture.
inline texel game_colour(int i, int seed) {
  return rgb_texel(static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i),
                   static_cast<unsigned char>(seed));
}
inline texel own_colour(int i) {
  return rgb_texel(static_cast<unsigned char>(255 - i), 7, static_cast<unsigned char>(i));
}

inline std::string palette_bytes(int seed) {
  std::string s;
  for (int i = 0; i < 256; ++i) {
    const texel c = game_colour(i, seed);
    s += {static_cast<char>(c >> 16 & 0xff), static_cast<char>(c >> 8 & 0xff), static_cast<char>(c & 0xff)};
  }
  return s;
}

// The palette index of texel (x, y) in mip level 0 of a texture built here.
inline int texel_index(int x, int y, int width, int seed) { return (x + y * width + seed) & 0xff; }

// A texture lump of WAD2 kind: header and 4 mip levels, the palette index of
// texel (x, y) of mip level k given by index(x, y, k).
template <class Index>
std::string miptex_of(std::string_view name, int width, int height, Index index) {
  std::string s;
  put_name(s, name, 16);
  put32(s, static_cast<std::uint32_t>(width));
  put32(s, static_cast<std::uint32_t>(height));
  std::string mips[4];
  for (int k = 0; k < 4; ++k) {
    for (int y = 0; y < height >> k; ++y) {
      for (int x = 0; x < width >> k; ++x) mips[k].push_back(static_cast<char>(index(x, y, k)));
    }
  }
  std::uint32_t at = 40;
  for (const std::string& m : mips) {
    put32(s, at);
    at += static_cast<std::uint32_t>(m.size());
  }
  for (const std::string& m : mips) s += m;
  return s;
}

// A texture lump: header, 4 mip levels and, for a WAD3, its own palette.
inline std::string miptex(std::string_view name, int width, int height, bool wad3, int seed = 0) {
  std::string s = miptex_of(name, width, height,
                            [&](int x, int y, int k) { return texel_index(x, y, width >> k, seed); });
  if (wad3) {
    s += {'\0', '\1'};  // 256 colours
    for (int i = 0; i < 256; ++i) {
      const texel c = own_colour(i);
      s += {static_cast<char>(c >> 16 & 0xff), static_cast<char>(c >> 8 & 0xff), static_cast<char>(c & 0xff)};
    }
  }
  return s;
}

struct lump {
  std::string name;
  std::uint8_t type = 0;
  std::string body;
  std::uint8_t compression = 0;
};

// Where the parts of a built WAD lie.
struct built {
  std::string bytes;
  std::vector<std::pair<std::size_t, std::size_t>> lumps;  // offset and size of each lump, in order
  std::size_t directory = 0;                               // offset of the directory, which ends the file
};

// A 12-byte header of `magic` and two fields, then the bodies one after the
// other; the caller sets the field that points at the directory and adds it.
inline built packed(std::string_view magic, std::uint32_t first, std::uint32_t second,
                    const std::vector<std::string_view>& bodies) {
  built b;
  b.bytes = magic;
  put32(b.bytes, first);
  put32(b.bytes, second);
  for (std::string_view body : bodies) {
    b.lumps.emplace_back(b.bytes.size(), body.size());
    b.bytes += body;
  }
  b.directory = b.bytes.size();
  return b;
}

inline built wad(char kind, const std::vector<lump>& lumps) {
  std::vector<std::string_view> bodies;
  for (const lump& l : lumps) bodies.push_back(l.body);
  built b = packed(std::string("WAD") + kind, static_cast<std::uint32_t>(lumps.size()), 0, bodies);
  set32(b.bytes, 8, static_cast<std::uint32_t>(b.directory));
  for (std::size_t i = 0; i < lumps.size(); ++i) {
    put32(b.bytes, static_cast<std::uint32_t>(b.lumps[i].first));
    put32(b.bytes, static_cast<std::uint32_t>(b.lumps[i].second));
    put32(b.bytes, static_cast<std::uint32_t>(b.lumps[i].second));
    b.bytes += {static_cast<char>(lumps[i].type), static_cast<char>(lumps[i].compression), '\0', '\0'};
    put_name(b.bytes, lumps[i].name, 16);
  }
  return b;
}

inline built pak(const std::vector<std::pair<std::string, std::string>>& files) {
  std::vector<std::string_view> bodies;
  for (const auto& f : files) bodies.push_back(f.second);
  built b = packed("PACK", 0, static_cast<std::uint32_t>(64 * files.size()), bodies);
  set32(b.bytes, 4, static_cast<std::uint32_t>(b.directory));
  for (std::size_t i = 0; i < files.size(); ++i) {
    put_name(b.bytes, files[i].first, 56);
    put32(b.bytes, static_cast<std::uint32_t>(b.lumps[i].first));
    put32(b.bytes, static_cast<std::uint32_t>(b.lumps[i].second));
  }
  return b;
}

// Writes bytes to path, making its folders.
inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace texture_bytes
