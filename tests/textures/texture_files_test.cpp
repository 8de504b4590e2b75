// The palette, PAK and WAD readers on files built here, whole and damaged.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "texture_bytes.h"
#include "textures/byte_fields.h"
#include "textures/pak_file.h"
#include "textures/palette.h"
#include "textures/wad_file.h"

namespace tb = texture_bytes;

namespace {

constexpr std::uint8_t WAD2_TEXTURE = 0x44, WAD3_TEXTURE = 0x43;

palette game_palette(int seed) {
  palette p;
  EXPECT_EQ(palette_from_bytes(tb::palette_bytes(seed), p), "");
  return p;
}

// Texture `name` as built by tb::miptex, its texels looked up in `colours`.
void expect_texture(const texture_image& t, int width, int height, int seed, texel (*colour)(int, int),
                    int palette_seed = 0) {
  ASSERT_EQ(t.width, width);
  ASSERT_EQ(t.height, height);
  ASSERT_EQ(t.texels.size(), static_cast<std::size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      ASSERT_EQ(t.at(x, y), colour(tb::texel_index(x, y, width, seed), palette_seed)) << x << "," << y;
    }
  }
}

texel own(int i, int) { return tb::own_colour(i); }

std::vector<std::string> names_of(const wad_file& w) {
  std::vector<std::string> out;
  for (const wad_texture_info& t : w.textures()) out.push_back(t.name);
  return out;
}

// A WAD2 of textures among lumps of every other kind it may hold.
tb::built sample_wad2() {
  return tb::wad('2', {{"palette", 0x40, tb::palette_bytes(9)},
                       {"Brick_1", WAD2_TEXTURE, tb::miptex("Brick_1", 16, 8, false, 3)},
                       {"conchars", 0x42, std::string(64, 'c')},
                       {"+0water", WAD2_TEXTURE, tb::miptex("+0water", 8, 24, false, 200)},
                       {"halflife", WAD3_TEXTURE, tb::miptex("halflife", 8, 8, true)}});
}

tb::built sample_wad3() {
  return tb::wad('3', {{"{grate", WAD3_TEXTURE, tb::miptex("{grate", 8, 16, true, 5)},
                       {"quake", WAD2_TEXTURE, tb::miptex("quake", 8, 8, false)},
                       {"Tiny", WAD3_TEXTURE, tb::miptex("Tiny", 1, 1, true, 77)}});
}

tb::built sample_pak() {
  return tb::pak({{"gfx/palette.lmp", tb::palette_bytes(1)},
                  {"maps/start.bsp", "not a real level"},
                  {"gfx/base.wad", sample_wad2().bytes},
                  {"empty", ""}});
}

}  // namespace

TEST(TextureFiles, BothWadKindsReadTheirTexturesThroughTheirPalettes) {
  const palette game = game_palette(4);
  wad_file w2;
  ASSERT_EQ(w2.parse(sample_wad2().bytes), "");
  EXPECT_FALSE(w2.own_palettes());
  EXPECT_EQ(names_of(w2), (std::vector<std::string>{"Brick_1", "+0water"}));
  texture_image t;
  ASSERT_EQ(w2.read_texture("bRICK_1", &game, t), "");
  EXPECT_EQ(t.name, "Brick_1");
  expect_texture(t, 16, 8, 3, tb::game_colour, 4);
  ASSERT_EQ(w2.read_texture("+0WATER", &game, t), "");
  expect_texture(t, 8, 24, 200, tb::game_colour, 4);
  EXPECT_NE(w2.read_texture("brick_1", nullptr, t), "");
  EXPECT_NE(w2.read_texture("halflife", &game, t), "");
  EXPECT_NE(w2.read_texture("Brick_", &game, t), "");
  EXPECT_EQ(t.name, "+0water");  // left as it was by the failures

  wad_file w3;
  ASSERT_EQ(w3.parse(sample_wad3().bytes), "");
  EXPECT_TRUE(w3.own_palettes());
  EXPECT_EQ(names_of(w3), (std::vector<std::string>{"{grate", "Tiny"}));
  ASSERT_EQ(w3.read_texture("{GRATE", nullptr, t), "");
  expect_texture(t, 8, 16, 5, own);
  ASSERT_EQ(w3.read_texture("tiny", &game, t), "");
  expect_texture(t, 1, 1, 77, own);

  // Only the texture type of each kind is a texture; every other lump is passed over.
  for (int type = 0; type < 256; ++type) {
    for (const bool wad3 : {false, true}) {
      wad_file w;
      const std::string body = tb::miptex("x", 8, 8, wad3);
      ASSERT_EQ(w.parse(tb::wad(wad3 ? '3' : '2', {{"x", static_cast<std::uint8_t>(type), body}}).bytes), "");
      EXPECT_EQ(w.textures().size(), type == (wad3 ? WAD3_TEXTURE : WAD2_TEXTURE) ? 1u : 0u) << type;
    }
  }

  palette p;
  for (const std::size_t size : {0u, 767u, 769u, 1536u}) {
    EXPECT_NE(palette_from_bytes(std::string(size, '\x10'), p), "") << size;
  }
}

TEST(TextureFiles, DamagedFilesAreRefusedWithAReason) {
  const palette game = game_palette(0);
  const tb::built good = sample_wad2();
  const std::size_t dir = good.directory, brick = good.lumps[1].first;

  // Each damage to the header keeps the WAD from parsing; each other one keeps "Brick_1" from reading.
  struct damage {
    const char* what;
    std::size_t at;
    std::uint32_t value;
  };
  const damage cases[] = {
      {"magic", 0, 0x31444157},                   // "WAD1"
      {"negative count", 4, 0xffffffff},          //
      {"count past the end", 4, 0x7fffffff},      //
      {"negative directory", 8, 0x80000000},      //
      {"directory past the end", 8, 0x7ffffff0},  //
      {"lump past the end", dir + 32, 0x7ffffff0},
      {"lump wrapping round", dir + 32, 0xfffffff0},
      {"size past the end", dir + 36, 0x00100000},
      {"compressed", dir + 32 + 12, 0x0100 | WAD2_TEXTURE},
      {"zero width", brick + 16, 0},
      {"width too large", brick + 16, 4097},
      {"huge height", brick + 20, 0xffffffff},
      {"width of 65536", brick + 16, 0x10000},
      {"texels in the header", brick + 24, 0},
      {"texels past the lump", brick + 24, static_cast<std::uint32_t>(good.lumps[1].second) - 8},
      {"texels wrapping round", brick + 24, 0xfffffff8},
  };
  for (const damage& d : cases) {
    SCOPED_TRACE(d.what);
    std::string bytes = good.bytes;
    tb::set32(bytes, d.at, d.value);
    wad_file w;
    const std::string error = w.parse(bytes);
    if (d.at < 12) {
      EXPECT_NE(error, "");
      continue;
    }
    ASSERT_EQ(error, "");
    const std::vector<wad_texture_info> list = w.textures();
    ASSERT_FALSE(list.empty());
    EXPECT_NE(list[0].problem, "");
    texture_image t;
    EXPECT_EQ(w.read_texture("Brick_1", &game, t), list[0].problem);
    EXPECT_TRUE(t.texels.empty());
    // The other texture is untouched by it.
    EXPECT_EQ(w.read_texture("+0water", &game, t), "");
  }
  for (std::size_t size = 0; size < 12; ++size) {
    EXPECT_NE(wad_file().parse(good.bytes.substr(0, size)), "") << size;
  }

  // A WAD3 palette of no colours, too many, or past the end of its lump.
  const tb::built w3 = sample_wad3();
  const std::size_t colours = w3.lumps[0].first + 40 + 8 * 16 + 4 * 8 + 2 * 4 + 1 * 2;
  for (const std::uint16_t count : {0, 257, 0xffff}) {
    std::string bytes = w3.bytes;
    bytes[colours] = static_cast<char>(count & 0xff);
    bytes[colours + 1] = static_cast<char>(count >> 8);
    wad_file w;
    ASSERT_EQ(w.parse(bytes), "");
    texture_image t;
    EXPECT_NE(w.read_texture("{grate", nullptr, t), "") << count;
  }
  std::string short_palette = w3.bytes;
  tb::set32(short_palette, w3.lumps[0].first + 36, w3.lumps[0].second - 10);  // the last mip level moved late
  wad_file w;
  ASSERT_EQ(w.parse(short_palette), "");
  EXPECT_NE(w.textures()[0].problem, "");

  // Entries sharing one lump each read it; of two with one name the first is read.
  std::string shared = tb::wad('2', {{"b", WAD2_TEXTURE, tb::miptex("b", 8, 8, false, 1)},
                                     {"a", WAD2_TEXTURE, tb::miptex("a", 16, 16, false, 2)},
                                     {"A", WAD2_TEXTURE, tb::miptex("A", 8, 8, false, 3)}})
                           .bytes;
  const std::size_t shared_dir = shared.size() - 3 * 32;
  shared.replace(shared_dir, 12, shared.substr(shared_dir + 64, 12));  // "b" now points at "A"'s lump
  ASSERT_EQ(w.parse(shared), "");
  texture_image t;
  ASSERT_EQ(w.read_texture("b", &game, t), "");
  expect_texture(t, 8, 8, 3, tb::game_colour);
  ASSERT_EQ(w.read_texture("A", &game, t), "");
  expect_texture(t, 16, 16, 2, tb::game_colour);

  // PAK headers and directories.
  const tb::built pak = sample_pak();
  for (const damage& d :
       {damage{"magic", 0, 0x4b434150 + 1}, damage{"negative directory", 4, 0xffffffff},
        damage{"directory past the end", 4, 0x7fffffff}, damage{"directory of part of an entry", 8, 65},
        damage{"negative directory length", 8, 0xffffffc0},
        damage{"directory longer than the file", 8, 0x7fffffc0}}) {
    std::string bytes = pak.bytes;
    tb::set32(bytes, d.at, d.value);
    EXPECT_NE(pak_file().parse(bytes), "") << d.what;
  }
  for (std::size_t size = 0; size < 12; ++size) {
    EXPECT_NE(pak_file().parse(pak.bytes.substr(0, size)), "") << size;
  }
  std::string entry_past_end = pak.bytes;
  tb::set32(entry_past_end, pak.directory + 56, 0xffffff00);
  pak_file p;
  ASSERT_EQ(p.parse(entry_past_end), "");
  std::string out;
  EXPECT_NE(p.read("gfx/palette.lmp", out), "");
  EXPECT_EQ(p.read("MAPS/Start.BSP", out), "");
  EXPECT_EQ(out, "not a real level");
  EXPECT_EQ(p.read("empty", out), "");
  EXPECT_EQ(out, "");
  EXPECT_NE(p.read("maps/start", out), "");
}

// Damage at random: cut short, bytes changed, fields set to extremes. The
// readers must not crash or read out of bounds (the sanitizers watch), every
// texture that reads must be whole, and whatever the damage did not touch
// must read as before.
TEST(TextureFiles, RandomDamageNeverCrashesAndLeavesWhatItMissesReadable) {
  std::mt19937 random(20240611);
  const palette game = game_palette(2);
  const std::uint32_t extremes[] = {0, 1, 40, 4096, 4097, 0x7fffffff, 0x80000000, 0xffffffff, 0xfffffff0};

  for (const tb::built& original : {sample_wad2(), sample_wad3(), sample_pak()}) {
    const bool is_pak = original.bytes.rfind("PACK", 0) == 0;
    for (int round = 0; round < 3000; ++round) {
      std::string bytes = original.bytes;
      std::size_t from = 0, to = bytes.size();  // the bytes changed
      switch (random() % 3) {
        case 0:
          bytes.resize(random() % bytes.size());
          from = bytes.size();
          break;
        case 1:
          from = random() % bytes.size();
          to = from + 1;
          bytes[from] = static_cast<char>(bytes[from] ^ (1 + random() % 255));
          break;
        default:
          from = random() % (bytes.size() - 3) & ~std::size_t{3};
          to = from + 4;
          tb::set32(bytes, from, extremes[random() % std::size(extremes)]);
      }
      SCOPED_TRACE(testing::Message() << "round " << round << ", bytes " << from << " to " << to);
      const auto untouched = [&](std::size_t offset, std::size_t size) {
        return offset + size <= from || offset >= to;
      };
      const bool directory_untouched =
          untouched(0, 12) && untouched(original.directory, original.bytes.size());

      if (is_pak) {
        pak_file p;
        if (!p.parse(bytes).empty()) {
          EXPECT_FALSE(directory_untouched);
          continue;
        }
        for (const pak_entry& e : p.entries()) {
          std::string out;
          if (p.read(e.name, out).empty()) EXPECT_EQ(out.size(), e.size);
        }
        if (!directory_untouched) continue;
        pak_file whole;
        ASSERT_EQ(whole.parse(original.bytes), "");
        for (std::size_t i = 0; i < original.lumps.size(); ++i) {
          std::string now, before;
          ASSERT_EQ(p.read(p.entries()[i].name, now), "");
          ASSERT_EQ(whole.read(p.entries()[i].name, before), "");
          if (untouched(original.lumps[i].first, original.lumps[i].second)) EXPECT_EQ(now, before);
        }
        continue;
      }

      wad_file w;
      if (!w.parse(bytes).empty()) {
        EXPECT_FALSE(directory_untouched);
        continue;
      }
      for (const wad_texture_info& info : w.textures()) {
        texture_image t;
        const std::string error = w.read_texture(info.name, &game, t);
        // Listing and reading agree, unless an earlier texture of the same name is read instead.
        const std::vector<wad_texture_info> all = w.textures();
        if (std::count_if(all.begin(), all.end(),
                          [&](const wad_texture_info& o) { return same_name(o.name, info.name); }) == 1) {
          EXPECT_EQ(error, info.problem);
        }
        if (error.empty()) {
          EXPECT_TRUE(t.width >= 1 && t.width <= MAX_TEXTURE_SIDE && t.height >= 1 &&
                      t.height <= MAX_TEXTURE_SIDE);
          EXPECT_EQ(t.texels.size(), static_cast<std::size_t>(t.width) * t.height);
          EXPECT_TRUE(std::all_of(t.texels.begin(), t.texels.end(), [](texel c) { return c >> 24 == 0xff; }));
        }
      }
      if (!directory_untouched) continue;
      wad_file whole;
      ASSERT_EQ(whole.parse(original.bytes), "");
      const std::vector<wad_texture_info> listed = whole.textures();
      ASSERT_EQ(w.textures().size(), listed.size());
      for (std::size_t i = 0, k = 0; i < original.lumps.size(); ++i) {
        // The directory is as it was, so the texture lumps come in the same order.
        const std::uint8_t type = static_cast<std::uint8_t>(original.bytes[original.directory + 32 * i + 12]);
        if (type != (original.bytes[3] == '3' ? WAD3_TEXTURE : WAD2_TEXTURE)) continue;
        const std::string& name = listed[k++].name;
        if (!untouched(original.lumps[i].first, original.lumps[i].second)) continue;
        texture_image now, before;
        ASSERT_EQ(w.read_texture(name, &game, now), "") << name;
        ASSERT_EQ(whole.read_texture(name, &game, before), "");
        EXPECT_EQ(now.texels, before.texels);
      }
    }
  }
}
