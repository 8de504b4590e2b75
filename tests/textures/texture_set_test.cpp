// The textures of an open map: the palette found in a game folder, WADs found
// by the names maps give them, and the problems told to the user.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "texture_bytes.h"
#include "textures/texture_set.h"

namespace fs = std::filesystem;
namespace tb = texture_bytes;

namespace {

constexpr std::uint8_t WAD2_TEXTURE = 0x44, WAD3_TEXTURE = 0x43;

// A folder of its own for each test, removed after it.
class TextureSet : public testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("veld-textures-" + std::to_string(::getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }

  fs::path root;
};

// A WAD of one 8 x 8 texture called `name`; a WAD2, or a WAD3 that needs no game palette.
std::string one_texture_wad(const std::string& name, bool wad3 = false) {
  return tb::wad(wad3 ? '3' : '2', {{name, wad3 ? WAD3_TEXTURE : WAD2_TEXTURE, tb::miptex(name, 8, 8, wad3)}})
      .bytes;
}

bool has_problem(const texture_set& set, const std::string& part) {
  for (const std::string& p : set.problems()) {
    if (p.find(part) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

TEST_F(TextureSet, ThePaletteIsFoundLooseOrInPaksAsTheGameFindsIt) {
  const fs::path game = root / "quake", id1 = game / "id1";
  tb::write_file(root / "brick.wad", one_texture_wad("brick"));
  // The seed of the palette in use, seen in the colour of texel 0 of "brick".
  const auto palette_seed = [&]() {
    texture_set set;
    if (!set.load_palette(game.string())) return -1;
    EXPECT_EQ(set.open_wads((root / "brick.wad").string(), "", ""), 1);
    const texel c = set.texture("brick").at(0, 0);
    EXPECT_TRUE(set.problems().empty()) << set.problems()[0];
    return static_cast<int>(c & 0xff);
  };

  texture_set none;
  EXPECT_FALSE(none.load_palette(game.string()));
  ASSERT_EQ(none.problems().size(), 1u);
  EXPECT_EQ(none.problems()[0].rfind("No palette (gfx/palette.lmp) in the game folder \"" + game.string(), 0),
            0u);

  tb::write_file(id1 / "gfx/palette.lmp", tb::palette_bytes(1));
  EXPECT_EQ(palette_seed(), 1);
  tb::write_file(id1 / "pak0.pak", tb::pak({{"gfx/palette.lmp", tb::palette_bytes(2)}}).bytes);
  EXPECT_EQ(palette_seed(), 2);
  tb::write_file(id1 / "pak1.pak", tb::pak({{"GFX/Palette.LMP", tb::palette_bytes(3)}}).bytes);
  EXPECT_EQ(palette_seed(), 3);
  // pak3 is not looked at without a pak2, as in the game.
  tb::write_file(id1 / "pak3.pak", tb::pak({{"gfx/palette.lmp", tb::palette_bytes(9)}}).bytes);
  EXPECT_EQ(palette_seed(), 3);
  // The game folder before id1; a damaged PAK or palette there is told and passed over.
  tb::write_file(game / "pak0.pak", tb::pak({{"gfx/palette.lmp", tb::palette_bytes(4)}}).bytes);
  EXPECT_EQ(palette_seed(), 4);
  tb::write_file(game / "pak1.pak", tb::pak({{"gfx/palette.lmp", tb::palette_bytes(5).substr(1)}}).bytes);
  tb::write_file(game / "pak2.pak", "PACK");
  texture_set set;
  EXPECT_TRUE(set.load_palette(game.string()));
  EXPECT_EQ(set.problems().size(), 2u);
  EXPECT_TRUE(has_problem(set, "pak2.pak")) << set.problems()[0];
  EXPECT_TRUE(has_problem(set, "768 bytes, not 767"));
  ASSERT_EQ(set.open_wads((root / "brick.wad").string(), "", ""), 1);
  EXPECT_EQ(set.texture("brick").at(0, 0), tb::game_colour(0, 4));

  // A game folder whose files were named where case does not count.
  const fs::path upper = root / "upper";
  tb::write_file(upper / "ID1/PAK0.PAK", tb::pak({{"gfx/palette.lmp", tb::palette_bytes(6)}}).bytes);
  texture_set from_upper;
  ASSERT_TRUE(from_upper.load_palette(upper.string()));
  ASSERT_EQ(from_upper.open_wads((root / "brick.wad").string(), "", ""), 1);
  EXPECT_EQ(from_upper.texture("brick").at(0, 0), tb::game_colour(0, 6));
}

TEST_F(TextureSet, WadsAreFoundAsGivenThenInTheGameFolderThenBesideTheMap) {
  const fs::path game = root / "quake", maps = root / "maps";
  tb::write_file(game / "id1/gfx/base.wad", one_texture_wad("base_tex", true));
  tb::write_file(game / "extra.wad", one_texture_wad("extra_tex", true));
  tb::write_file(maps / "local.wad", one_texture_wad("local_tex", true));
  tb::write_file(game / "id1/shared.wad", one_texture_wad("game_shared", true));
  tb::write_file(maps / "shared.wad", one_texture_wad("map_shared", true));
  tb::write_file(maps / "gfx/only_here.wad", one_texture_wad("map_gfx", true));
  tb::write_file(game / "ID1/Textures/Upper.WAD", one_texture_wad("upper_tex", true));

  const std::pair<std::string, const char*> found[] = {
      {"gfx/base.wad", "base_tex"},
      {"/gfx/base.wad", "base_tex"},
      {"\\gfx\\base.wad", "base_tex"},
      {"C:\\quake\\id1\\gfx\\base.wad", "base_tex"},
      {"d:/Games/Quake/gfx/base.wad", "base_tex"},
      {"id1/gfx/base.wad", "base_tex"},
      {"extra.wad", "extra_tex"},
      {"c:\\quake\\extra.wad", "extra_tex"},
      {"local.wad", "local_tex"},
      {"\\maps\\local.wad", "local_tex"},
      {(maps / "local.wad").string(), "local_tex"},
      {"gfx/shared.wad", "game_shared"},
      {"/gfx/only_here.wad", "map_gfx"},
      // Named by a system where case does not count.
      {"GFX\\BASE.WAD", "base_tex"},
      {"C:\\QUAKE\\ID1\\TEXTURES\\UPPER.WAD", "upper_tex"},
      {"textures/upper.wad", "upper_tex"},
  };
  for (const auto& [value, texture] : found) {
    SCOPED_TRACE(value);
    texture_set set;
    EXPECT_EQ(set.open_wads(value, game.string(), maps.string()), 1);
    EXPECT_NE(&set.texture(texture), &missing_texture());
    EXPECT_TRUE(set.problems().empty()) << set.problems()[0];
  }

  // Several at once, empty ones skipped, the same file opened once; one missing is told.
  texture_set set;
  EXPECT_EQ(set.open_wads(" gfx/base.wad ;;\\gfx\\lost.wad; local.wad;/gfx/base.wad;", game.string(),
                          maps.string()),
            2);
  ASSERT_EQ(set.problems().size(), 1u);
  EXPECT_NE(set.problems()[0].find("\"\\gfx\\lost.wad\""), std::string::npos) << set.problems()[0];
  EXPECT_EQ(set.names().size(), 2u);
}

TEST_F(TextureSet, TexturesComeFromTheFirstWadListingThemAndEachProblemIsToldOnce) {
  tb::built a = tb::wad('2', {{"Wall", WAD2_TEXTURE, tb::miptex("Wall", 16, 16, false, 1)},
                              {"floor", WAD2_TEXTURE, tb::miptex("floor", 8, 8, false)},
                              {"sky", WAD2_TEXTURE, tb::miptex("sky", 32, 8, false)},
                              {"notes", 0x42, "text"}});
  tb::set32(a.bytes, a.lumps[1].first + 16, 0);  // "floor" has no width
  tb::write_file(root / "a.wad", a.bytes);
  tb::write_file(root / "b.wad", tb::wad('3', {{"WALL", WAD3_TEXTURE, tb::miptex("WALL", 8, 8, true)},
                                               {"{fence", WAD3_TEXTURE, tb::miptex("{fence", 8, 24, true)},
                                               {"Floor", WAD3_TEXTURE, tb::miptex("Floor", 8, 8, true)},
                                               {"Zed", WAD3_TEXTURE, tb::miptex("Zed", 16, 8, true)}})
                                     .bytes);
  tb::write_file(root / "id1/gfx/palette.lmp", tb::palette_bytes(6));

  texture_set set;
  ASSERT_TRUE(set.load_palette(root.string()));
  ASSERT_EQ(set.open_wads("a.wad;b.wad", "", root.string()), 2);
  const texture_image& wall = set.texture("WALL");
  EXPECT_EQ(wall.width, 16);
  EXPECT_EQ(wall.at(1, 0), tb::game_colour(2, 6));
  EXPECT_EQ(&set.texture("wall"), &wall);
  EXPECT_EQ(set.texture("{FENCE").at(0, 1), tb::own_colour(8));
  // The first WAD listing a texture decides, even when its copy is damaged.
  EXPECT_EQ(&set.texture("Floor"), &missing_texture());
  EXPECT_EQ(&set.texture("nothing"), &missing_texture());
  EXPECT_EQ(&set.texture("FLOOR"), &missing_texture());
  EXPECT_EQ(&set.texture("Nothing"), &missing_texture());
  ASSERT_EQ(set.problems().size(), 2u);
  EXPECT_EQ(set.problems()[0], "Texture \"Floor\" in \"" + (root / "a.wad").string() +
                                   "\" cannot be read: its size 0 x 8 is out of range.");
  EXPECT_EQ(set.problems()[1], "Texture \"nothing\" is in none of the map's WADs.");
  EXPECT_EQ(set.take_new_problems(), set.problems());
  EXPECT_TRUE(set.take_new_problems().empty());
  set.texture("gone");
  EXPECT_EQ(set.take_new_problems(), std::vector<std::string>{set.problems()[2]});

  const auto listed = [](const texture_set& s) {
    std::string out;
    for (const texture_info& t : s.names()) {
      out += t.name + " " + std::to_string(t.width) + "x" + std::to_string(t.height);
      if (!t.problem.empty()) out += " (" + t.problem + ")";
      out += ", ";
    }
    return out;
  };
  // The damaged one is listed where texture() takes it from, with its reason.
  EXPECT_EQ(listed(set),
            "floor 0x0 (its size 0 x 8 is out of range), sky 32x8, Wall 16x16, Zed 16x8, {fence 8x24, ");

  // Without the palette the QUAKE textures cannot be shown, and say so; the others can.
  texture_set bare;
  ASSERT_EQ(bare.open_wads("a.wad;b.wad", "", root.string()), 2);
  EXPECT_EQ(&bare.texture("sky"), &missing_texture());
  EXPECT_EQ(&bare.texture("wall"), &missing_texture());
  EXPECT_EQ(bare.problems(), std::vector<std::string>{"The textures of \"" + (root / "a.wad").string() +
                                                      "\" cannot be shown without the game's palette."});
  EXPECT_EQ(bare.texture("zed").width, 16);
  EXPECT_EQ(listed(bare),
            "floor 0x0 (its size 0 x 8 is out of range), sky 32x8 (needs the game's palette), Wall 16x16 "
            "(needs the "
            "game's palette), Zed 16x8, {fence 8x24, ");

  set.clear();
  EXPECT_TRUE(set.problems().empty());
  EXPECT_TRUE(set.names().empty());
  EXPECT_FALSE(set.has_palette());
  EXPECT_EQ(&set.texture("wall"), &missing_texture());
}
