#include "textures/wad_file.h"

#include "base/whole_file.h"
#include "textures/byte_fields.h"

namespace {

constexpr std::size_t HEADER_BYTES = 12;
constexpr std::size_t ENTRY_BYTES = 32;
constexpr std::size_t NAME_BYTES = 16;
constexpr std::uint8_t WAD2_TEXTURE = 0x44;
constexpr std::uint8_t WAD3_TEXTURE = 0x43;
// A texture lump: its name, width, height and the offsets of the 4 mip levels.
constexpr std::size_t MIPTEX_BYTES = NAME_BYTES + 4 + 4 + 4 * 4;

bool side_in_range(std::uint32_t side) { return side >= 1 && side <= MAX_TEXTURE_SIDE; }

}  // namespace

std::string wad_file::parse(std::string_view text) {
  lumps_.clear();
  const byte_span b = as_bytes(text);
  bytes_.assign(b.begin(), b.end());
  const byte_span bytes(bytes_);
  if (bytes.size() < HEADER_BYTES) return "it is too short for a WAD file";
  if (text.compare(0, 4, "WAD2") != 0 && text.compare(0, 4, "WAD3") != 0)
    return "it is not a WAD2 or WAD3 file";
  wad3_ = text[3] == '3';
  const std::int32_t count = i32_at(bytes, 4), offset = i32_at(bytes, 8);
  if (count < 0 || offset < 0) return "its directory is damaged";
  if (!fits(bytes, static_cast<std::uint64_t>(offset),
            std::uint64_t{ENTRY_BYTES} * static_cast<std::uint64_t>(count))) {
    return "its directory lies past the end of the file";
  }
  const std::uint8_t texture_type = wad3_ ? WAD3_TEXTURE : WAD2_TEXTURE;
  for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
    const std::size_t at = static_cast<std::size_t>(offset) + i * ENTRY_BYTES;
    if (bytes[at + 12] != texture_type) continue;
    lumps_.push_back(
        {name_at(bytes, at + 16, NAME_BYTES), u32_at(bytes, at), u32_at(bytes, at + 4), bytes[at + 13]});
  }
  return "";
}

std::string wad_file::open(const std::string& path) {
  std::string text;
  const std::string error = read_whole_file(path, text);
  if (!error.empty()) return error;
  const std::string damage = parse(text);
  return damage.empty() ? "" : "Cannot read \"" + path + "\": " + damage + ".";
}

std::string wad_file::check(const lump& l, layout& out) const {
  const byte_span bytes(bytes_);
  if (l.compression != 0) return "it is compressed";
  if (!fits(bytes, l.offset, l.disk_size)) return "it lies past the end of the file";
  const byte_span m = bytes.subspan(l.offset, l.disk_size);
  if (m.size() < MIPTEX_BYTES) return "it is too short for a texture";
  const std::uint32_t width = u32_at(m, 16), height = u32_at(m, 20);
  if (!side_in_range(width) || !side_in_range(height)) {
    return "its size " + std::to_string(width) + " x " + std::to_string(height) + " is out of range";
  }
  const std::uint32_t mip0 = u32_at(m, 24);
  if (mip0 < MIPTEX_BYTES || !fits(m, mip0, std::uint64_t{width} * height)) {
    return "its pixels lie outside it";
  }
  out = {static_cast<int>(width), static_cast<int>(height), l.offset + std::size_t{mip0}, 0, 0};
  if (!wad3_) return "";
  // A WAD3 texture's palette follows its smallest mip level: a colour count, then the colours.
  const std::uint64_t count_at = std::uint64_t{u32_at(m, 36)} + std::uint64_t{width >> 3} * (height >> 3);
  if (!fits(m, count_at, 2)) return "its palette lies outside it";
  const std::uint16_t colours = u16_at(m, static_cast<std::size_t>(count_at));
  if (colours < 1 || colours > PALETTE_COLOURS || !fits(m, count_at + 2, std::uint64_t{colours} * 3)) {
    return "its palette is damaged";
  }
  out.colours = l.offset + static_cast<std::size_t>(count_at) + 2;
  out.colour_count = colours;
  return "";
}

std::vector<wad_texture_info> wad_file::textures() const {
  std::vector<wad_texture_info> list;
  for (const lump& l : lumps_) {
    layout at;
    std::string problem = check(l, at);
    list.push_back({l.name, at.width, at.height, std::move(problem)});
  }
  return list;
}

std::string wad_file::read_texture(std::string_view name, const palette* game, texture_image& out) const {
  const lump* found = nullptr;
  for (const lump& l : lumps_) {
    if (same_name(l.name, name)) {
      found = &l;
      break;
    }
  }
  if (found == nullptr) return "it is not there";
  layout at;
  std::string problem = check(*found, at);
  if (!problem.empty()) return problem;

  palette own;  // colours past a WAD3 texture's count stay black
  own.colours.fill(rgb_texel(0, 0, 0));
  for (std::size_t i = 0; i < at.colour_count; ++i) {
    own.colours[i] =
        rgb_texel(bytes_[at.colours + 3 * i], bytes_[at.colours + 3 * i + 1], bytes_[at.colours + 3 * i + 2]);
  }
  const palette* colours = wad3_ ? &own : game;
  if (colours == nullptr) return "there is no palette to show it with";

  texture_image t;
  t.name = found->name;
  t.width = at.width;
  t.height = at.height;
  t.texels.resize(static_cast<std::size_t>(at.width) * at.height);
  for (std::size_t i = 0; i < t.texels.size(); ++i) t.texels[i] = colours->colours[bytes_[at.texels + i]];
  out = std::move(t);
  return "";
}
