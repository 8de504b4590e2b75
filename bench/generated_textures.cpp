#include "generated_textures.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>

#include "model/map_state.h"
#include "texture_bytes.h"

namespace fs = std::filesystem;

namespace {

namespace tb = texture_bytes;

constexpr int SIDE = 64;    // texels a side of every made-up texture
constexpr int SHADES = 16;  // the palette is 16 ramps of 16 shades
constexpr std::uint8_t MIPTEX_TYPE = 0x44;

std::uint32_t name_hash(const std::string& name) {
  std::uint32_t h = 2166136261u;
  for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h;
}

// Ramp r runs from dark to light in one of 16 hues.
std::string palette_bytes() {
  std::string out;
  for (int r = 0; r < SHADES; ++r) {
    const int red = 60 + (r * 53) % 196, green = 60 + (r * 97) % 196, blue = 60 + (r * 151) % 196;
    for (int s = 0; s < SHADES; ++s) {
      for (const int c : {red, green, blue}) out += static_cast<char>(c * (s + 4) / (SHADES + 3));
    }
  }
  return out;
}

// Bricks, planks or tiles in one ramp, picked by the name, so that faces
// with different textures look different and the mapping shows.
std::string texture_lump(const std::string& name) {
  const std::uint32_t h = name_hash(name);
  const int ramp = static_cast<int>(h % SHADES), kind = static_cast<int>((h >> 8) % 3);
  return tb::miptex_of(name, SIDE, SIDE, [&](int x, int y, int) {
    int shade = 9 + static_cast<int>(((x * 7 + y * 13) ^ (h >> 16)) % 3);
    if (kind == 0 && (y % 16 == 0 || (x + (y / 16) * 16) % 32 == 0)) shade = 3;  // bricks
    if (kind == 1 && x % 16 == 0) shade = 4;                                     // planks
    if (kind == 2 && (x / 8 + y / 8) % 2 == 0) shade -= 4;                       // tiles
    return ramp * SHADES + shade;
  });
}

std::string wad_bytes(const std::set<std::string>& names) {
  std::vector<tb::lump> lumps;
  for (const std::string& name : names) lumps.push_back({name, MIPTEX_TYPE, texture_lump(name)});
  return tb::wad('2', lumps).bytes;
}

bool write(const fs::path& path, const std::string& bytes) {
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  std::ofstream out(path, std::ios::binary);
  out << bytes;
  return static_cast<bool>(out);
}

}  // namespace

std::string write_generated_game(const std::string& dir) {
  const fs::path id1 = fs::path(dir) / "id1";
  if (!write(id1 / "gfx" / "palette.lmp", palette_bytes())) return "cannot write the palette";
  std::set<std::string> names;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) names.insert(s->texname);
    }
  }
  // The marker boxes of point entities are textured too.
  for (int i = 0; i < numentity; ++i) {
    if (entities[i].brush == nullptr) continue;
    for (const surf* s = entities[i].brush->fsurf; s != nullptr; s = s->next) names.insert(s->texname);
  }
  const std::string wads = world_value("wad");
  for (std::size_t at = 0; at <= wads.size();) {
    const std::size_t end = std::min(wads.find(';', at), wads.size());
    std::string wad = wads.substr(at, end - at);
    while (!wad.empty() && (wad[0] == '/' || wad[0] == '\\')) wad.erase(0, 1);
    if (!wad.empty() && !write(id1 / wad, wad_bytes(names))) return "cannot write " + wad;
    at = end + 1;
  }
  return "";
}
