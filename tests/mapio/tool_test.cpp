// veld-tool run as a program: its output and exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "texture_bytes.h"

namespace fs = std::filesystem;

namespace {

struct run_result {
  int status;
  std::string output;
};

// Which of the tool's streams run_tool collects.
enum class streams { both, out, err };

run_result run_tool(const std::string& args, streams which = streams::both) {
  static const char* const redirect[] = {" 2>&1", " 2>/dev/null", " 2>&1 >/dev/null"};
  const std::string command = std::string("'") + VELD_TOOL + "' " + args + redirect[static_cast<int>(which)];
  std::FILE* p = ::popen(command.c_str(), "r");
  run_result r{-1, {}};
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  const int status = ::pclose(p);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

const std::string example = std::string(VELD_EXAMPLES_DIR) + "/box_room.map";

fs::path temp_png() {
  return fs::temp_directory_path() / ("veld-tool-" + std::to_string(::getpid()) + ".png");
}

}  // namespace

TEST(VeldTool, WrongArgumentsPrintTheUsageAndExitWithTwo) {
  const std::string png = temp_png().string();
  for (const std::string& args :
       {std::string(), std::string("nonsense"), std::string("--frob"), std::string("info"),
        std::string("info a b"), std::string("resave a"), "info --frob '" + example + "'",
        "resave -q '" + example + "' '" + png + "'", "export-raw '" + example + "' '" + png + "' --all",
        "render '" + example + "' '" + png + "' --fast"}) {
    SCOPED_TRACE(args);
    EXPECT_EQ(run_tool(args, streams::out).output, "");
    const run_result r = run_tool(args, streams::err);
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.output.find("usage"), std::string::npos) << r.output;
  }
  EXPECT_NE(run_tool("render a.map b.png --fast", streams::err).output.find("unknown option \"--fast\""),
            std::string::npos);
  EXPECT_FALSE(fs::exists(png));
}

TEST(VeldTool, HelpGoesToStandardOutputAndExitsWithZero) {
  const fs::path png = temp_png();
  for (const std::string& args : {std::string("--help"), std::string("-h"), std::string("info --help"),
                                  "render '" + example + "' '" + png.string() + "' --solid --help"}) {
    SCOPED_TRACE(args);
    EXPECT_EQ(run_tool(args, streams::err).output, "");
    const run_result r = run_tool(args, streams::out);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output.rfind("usage", 0), 0u) << r.output;
  }
  // Help only describes; the render asked for alongside it is not made.
  EXPECT_FALSE(fs::exists(png));

  const std::string all = run_tool("--help", streams::out).output;
  for (const char* name : {"info", "resave", "render", "export-raw", "save-object", "bench"}) {
    EXPECT_NE(all.find(std::string("veld-tool ") + name + " "), std::string::npos) << name;
  }
  const std::string render = run_tool("render -h", streams::out).output;
  for (const char* option : {"--origin X Y Z", "--angle", "--view", "--vd", "--mouse", "--solid", "--bsp",
                             "--no-entities", "--no-fix"}) {
    EXPECT_NE(render.find(std::string("\n  ") + option), std::string::npos) << option;
  }
}

TEST(VeldTool, RenderTakesOnlyWholeNumbersAndMakesNothingOtherwise) {
  const fs::path png = temp_png();
  const std::string render = "render '" + example + "' '" + png.string() + "' ";
  // Comma decimals, trailing text, values beyond a float, words the C
  // conversion would take, and a mouse point too far out to pick with.
  for (const char* options :
       {"--origin 1,5 0 0", "--origin 0 1000", "--angle 0 0 3.1x", "--view ''", "--view ' 430'", "--vd 1e39",
        "--vd nan", "--vd inf", "--view 0x10", "--view 1e", "--view .", "--origin 0 1000 0 --mouse 1e7 0"}) {
    SCOPED_TRACE(options);
    const run_result r = run_tool(render + options);
    EXPECT_EQ(r.status, 2) << r.output;
    EXPECT_NE(r.output.find("needs"), std::string::npos) << r.output;
    EXPECT_FALSE(fs::exists(png));
  }

  const run_result r =
      run_tool("render --solid --origin -1e2 +.5 3. --angle 0 0 0 --view 4.3E2 --mouse -0 799.9 '" + example +
               "' '" + png.string() + "'");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_TRUE(fs::exists(png));
  fs::remove(png);
}

TEST(VeldTool, InfoPrintsTheCountsAndFailsOnMapsItCannotRead) {
  const run_result ok = run_tool("info '" + example + "'");
  EXPECT_EQ(ok.status, 0) << ok.output;
  EXPECT_EQ(ok.output,
            "dialect: QUAKE standard\nbrush entities: 2\nbrushes: 7\nfaces: 42\npoint entities: 2\n"
            "faces with fewer than 3 points: 0\nobsolete pairs: 0\nmalformed numbers: 0\n"
            "read completely: yes\n");

  EXPECT_EQ(run_tool("info /no/such/file.map").status, 1);

  const fs::path cut = fs::temp_directory_path() / ("veld-tool-cut-" + std::to_string(::getpid()) + ".map");
  std::ofstream(cut) << "{ \"classname\" \"worldspawn\" }\n( 1 2 3 )\n";
  const run_result stopped = run_tool("info '" + cut.string() + "'");
  fs::remove(cut);
  EXPECT_EQ(stopped.status, 1);
  EXPECT_NE(stopped.output.find(cut.string() + ":2: reading stopped at a '(' outside a brush"),
            std::string::npos)
      << stopped.output;
}

TEST(VeldTool, InfoWithAGameFolderTellsWhichTexturesCannotBeShown) {
  const std::string plain = run_tool("info '" + example + "'", streams::out).output;
  const fs::path game = fs::temp_directory_path() / ("veld-tool-game-" + std::to_string(::getpid()));
  fs::remove_all(game);
  fs::create_directories(game);
  const std::string with_game = "info --game '" + game.string() + "' '" + example + "'";

  // Nothing there: no palette, no WAD, and so no texture.
  const run_result empty = run_tool(with_game, streams::out);
  EXPECT_EQ(empty.status, 0);
  EXPECT_EQ(empty.output,
            plain + "No palette (gfx/palette.lmp) in the game folder \"" + game.string() +
                "\", its id1 folder or their PAK files: textures of QUAKE WADs cannot be shown.\n"
                "WAD \"gfx/base.wad\" is not in the game folder, its id1 folder or the map's folder.\n"
                "Texture \"CEIL1_1\" is in none of the map's WADs.\n"
                "Texture \"DOOR02_1\" is in none of the map's WADs.\n"
                "Texture \"GROUND1_6\" is in none of the map's WADs.\n"
                "Texture \"WALL1_1\" is in none of the map's WADs.\n");

  // The palette in a PAK, the WAD in id1/gfx: one texture damaged, one missing, the others found in any case.
  namespace tb = texture_bytes;
  tb::write_file(game / "id1/pak0.pak", tb::pak({{"gfx/palette.lmp", tb::palette_bytes(0)}}).bytes);
  tb::built wad = tb::wad('2', {{"wall1_1", 0x44, tb::miptex("wall1_1", 16, 16, false)},
                                {"ground1_6", 0x44, tb::miptex("ground1_6", 16, 16, false)},
                                {"Ceil1_1", 0x44, tb::miptex("Ceil1_1", 16, 16, false)}});
  tb::set32(wad.bytes, wad.lumps[1].first + 20, 5000);
  const fs::path wad_path = game / "id1/gfx/base.wad";
  tb::write_file(wad_path, wad.bytes);
  const run_result found = run_tool(with_game, streams::out);
  fs::remove_all(game);
  EXPECT_EQ(found.status, 0);
  EXPECT_EQ(found.output, plain +
                              "Texture \"DOOR02_1\" is in none of the map's WADs.\n"
                              "Texture \"GROUND1_6\" in \"" +
                              wad_path.string() + "\" cannot be read: its size 16 x 5000 is out of range.\n");

  EXPECT_EQ(run_tool("info '" + example + "' --game", streams::err).status, 2);
}

TEST(VeldTool, ResaveWritesAMapThatReadsTheSame) {
  const fs::path out = fs::temp_directory_path() / ("veld-tool-out-" + std::to_string(::getpid()) + ".map");
  const run_result r = run_tool("resave '" + example + "' '" + out.string() + "'");
  EXPECT_EQ(r.status, 0) << r.output;
  EXPECT_EQ(r.output, "");
  EXPECT_EQ(run_tool("info '" + out.string() + "'").output, run_tool("info '" + example + "'").output);

  const run_result failed = run_tool("resave '" + example + "' /no/such/dir/out.map");
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.output.find("/no/such/dir/out.map"), std::string::npos) << failed.output;
  fs::remove(out);
}

TEST(VeldTool, DiffComparesByMeaningAndSaysWhatChanged) {
  const fs::path dir = fs::temp_directory_path() / ("veld-tool-diff-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string a = (dir / "a.map").string(), b = (dir / "b.map").string();
  ASSERT_EQ(run_tool("resave '" + example + "' '" + a + "'").status, 0);
  EXPECT_EQ(run_tool("diff '" + example + "' '" + a + "'").status, 0);

  std::ifstream in(a);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  text.replace(text.find("\"worldspawn\""), 12, "\"worldspawn\"\n\"wad\" \"other.wad\"");
  std::ofstream(b) << text;
  const run_result changed = run_tool("diff '" + a + "' '" + b + "'", streams::out);
  EXPECT_EQ(changed.status, 1);
  EXPECT_NE(changed.output.find("entity 0 (worldspawn): pair \"wad\" \"other.wad\" added"), std::string::npos)
      << changed.output;
  EXPECT_EQ(run_tool("diff '" + a + "' /no/such.map").status, 2);

  // By text: the lines that differ and what they lie in; a resave that keeps
  // the layout has none.
  const run_result lines = run_tool("diff --text '" + a + "' '" + b + "'", streams::out);
  EXPECT_EQ(lines.status, 1);
  EXPECT_EQ(lines.output, "A none (after line 2), B lines 3-3: in B entity 0 (worldspawn)\n");
  const std::string kept = (dir / "kept.map").string();
  ASSERT_EQ(run_tool("resave --keep-layout '" + example + "' '" + kept + "'").status, 0);
  EXPECT_EQ(run_tool("diff --text '" + example + "' '" + kept + "'").output, "");
  EXPECT_EQ(run_tool("diff --text '" + example + "' '" + kept + "'").status, 0);
  EXPECT_EQ(run_tool("diff --text '" + a + "' /no/such.map").status, 2);
  fs::remove_all(dir);
}

TEST(VeldTool, BenchPrintsEveryFigureAndRefusesBadMapsAndRunCounts) {
  // A decimal comma locale, where the system has one, must not reach the numbers.
  ::setenv("LC_ALL", "de_DE.UTF-8", 1);
  const run_result r = run_tool("bench '" + example + "' --runs 3", streams::out);
  ::unsetenv("LC_ALL");
  EXPECT_EQ(r.status, 0) << r.output;
  const std::regex figure(R"(([a-z ]+): (\d+\.\d\d) ms \(min (\d+\.\d\d), max (\d+\.\d\d), 3 runs\))");
  std::istringstream lines(r.output);
  std::string line;
  for (const char* name :
       {"open", "undo snapshot", "save to text", "frame wireframe", "frame solid", "frame ordered solid"}) {
    std::smatch m;
    ASSERT_TRUE(std::getline(lines, line) && std::regex_match(line, m, figure)) << r.output;
    EXPECT_EQ(m[1], name);
    const double median = std::stod(m[2]), min = std::stod(m[3]), max = std::stod(m[4]);
    EXPECT_TRUE(min <= median && median <= max) << line;
  }
  for (const char* when : {", opened", ""}) {
    ASSERT_TRUE(std::getline(lines, line));
    EXPECT_TRUE(std::regex_match(line, std::regex(std::string("peak resident memory") + when + R"(: [1-9]\d* MB)")))
        << line;
  }
  EXPECT_FALSE(std::getline(lines, line)) << r.output;

  const fs::path text = fs::temp_directory_path() / ("veld-tool-text-" + std::to_string(::getpid()) + ".map");
  std::ofstream(text) << "no map here\n";
  for (const std::string& map : {std::string("/no/such/file.map"), text.string()}) {
    EXPECT_EQ(run_tool("bench '" + map + "'", streams::out).output, "");
    const run_result failed = run_tool("bench '" + map + "'", streams::err);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.output.find(map), std::string::npos) << failed.output;
  }
  fs::remove(text);

  for (const char* runs : {"", "0", "-1", "1.5", "1e2", "+3", "abc", "''", "100001", "99999999999"}) {
    const std::string args = "bench '" + example + "' --runs " + runs;
    SCOPED_TRACE(args);
    EXPECT_EQ(run_tool(args, streams::out).output, "");
    const run_result failed = run_tool(args, streams::err);
    EXPECT_EQ(failed.status, 2);
    EXPECT_NE(failed.output.find("usage: veld-tool bench"), std::string::npos) << failed.output;
  }
}

TEST(VeldTool, DefsPrintsTheClassesAndTheProblems) {
  const fs::path dir = fs::temp_directory_path() / ("veld-tool-defs-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "good.fgd") << "@BaseClass size(-8 -8 -8, 8 8 8) = Small []\n"
                                     "@PointClass base(Small) = light : \"Light\nand more\" []\n";
  std::ofstream(dir / "more.def") << "/*QUAKED func_door (0 .5 .8) ? TOGGLE\nA door.\n*/\n";
  std::ofstream(dir / "bad.fgd") << "@SolidClass = func_wall []\n@PointClass = broken [ k(integer";
  const std::string good = "'" + (dir / "good.fgd").string() + "' '" + (dir / "more.def").string() + "'";
  const run_result ok = run_tool("defs " + good, streams::out);
  EXPECT_EQ(ok.status, 0);
  EXPECT_EQ(ok.output,
            "classes: 3\nbase Small -8 -8 -8 8 8 8\npoint light -8 -8 -8 8 8 8 \"Light\"\nsolid func_door "
            "\"A door.\"\n");
  const run_result bad = run_tool("defs '" + (dir / "bad.fgd").string() + "'", streams::out);
  EXPECT_EQ(bad.status, 1);
  EXPECT_NE(bad.output.find("classes: 2\n"), std::string::npos) << bad.output;
  EXPECT_NE(bad.output.find("bad.fgd:2:33: expected ) after the key's type"), std::string::npos)
      << bad.output;
  EXPECT_EQ(run_tool("defs '" + (dir / "missing.fgd").string() + "'").status, 2);
  fs::remove_all(dir);
}

TEST(VeldTool, CheckListsWhatTheEntitiesGetWrongByLine) {
  const fs::path dir = fs::temp_directory_path() / ("veld-tool-check-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "m.map")
      << "{\n\"classname\" \"worldspawn\"\n{\n"
         "( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 0 0 1 1\n"
         "( 64 0 0 ) ( 64 0 64 ) ( 64 64 0 ) T 0 0 0 1 1\n"
         "( 0 0 0 ) ( 0 0 64 ) ( 64 0 0 ) T 0 0 0 1 1\n"
         "( 0 64 0 ) ( 64 64 0 ) ( 0 64 64 ) T 0 0 0 1 1\n"
         "( 0 0 0 ) ( 64 0 0 ) ( 0 64 0 ) T 0 0 0 1 1\n"
         "( 0 0 64 ) ( 0 64 64 ) ( 64 0 64 ) T 0 0 0 1 1\n}\n}\n"
         "{\n\"classname\" \"light\"\n\"origin\" \"32 32 32\"\n\"light\" \"bright\"\n}\n"
         "{\n\"classname\" \"monster_nothing\"\n\"origin\" \"200 0 0\"\n\"target\" \"t9\"\n}\n"
         "{\n\"classname\" \"func_door\"\n\"targetname\" \"t1\"\n\"speed\" \"1.5\"\n}\n";
  const std::string map = "'" + (dir / "m.map").string() + "'";
  const run_result r = run_tool("check " + map, streams::out);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.output,
            "12: the light stands inside a world brush\n15: light \"bright\" is not a whole number\n"
            "17: the class \"monster_nothing\" is not defined\n20: target \"t9\" matches no targetname\n"
            "25: speed \"1.5\" is not a whole number\nthe map has no info_player_start\n");

  // Definitions of one's own: the monster is known, the light and the door are not.
  std::ofstream(dir / "own.fgd") << "@PointClass = monster_nothing [ target(target_destination) : \"T\" ]\n"
                                    "@PointClass = info_player_start []\n";
  std::ofstream(dir / "m.map", std::ios::app)
      << "{\n\"classname\" \"info_player_start\"\n\"origin\" \"0 0 100\"\n}\n";
  const run_result own =
      run_tool("check " + map + " --defs '" + (dir / "own.fgd").string() + "'", streams::out);
  EXPECT_EQ(own.status, 1);
  EXPECT_EQ(own.output,
            "12: the class \"light\" is not defined\n12: the light stands inside a world brush\n"
            "20: target \"t9\" matches no targetname\n22: the class \"func_door\" is not defined\n");
  EXPECT_EQ(run_tool("check " + map + " --defs", streams::out).status, 2);
  EXPECT_EQ(run_tool("check '" + (dir / "none.map").string() + "'", streams::out).status, 2);
  fs::remove_all(dir);
}
