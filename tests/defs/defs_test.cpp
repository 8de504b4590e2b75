// The definition readers over files that use every construct, the problems
// malformed files give, where a game's files are found, and the built-in set.
#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <string>

#include "defs/entity_defs.h"

namespace {

namespace fs = std::filesystem;

class Defs : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_ / "id1"); }
  void TearDown() override { fs::remove_all(dir_); }

  std::string write(const std::string& name, const std::string& text) {
    const fs::path p = dir_ / name;
    std::ofstream(p, std::ios::binary) << text;
    return p.string();
  }

  const fs::path dir_ = fs::temp_directory_path() / ("veld-defs-" + std::to_string(::getpid()));
};

std::string listed(const entity_defs& defs) {
  std::string out;
  for (const def_problem& p : defs.problems)
    out += p.file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column) + " " + p.text + "\n";
  return out;
}

const class_key* key(const entity_class& c, const std::string& name) {
  for (const class_key& k : c.keys) {
    if (k.name == name) return &k;
  }
  return nullptr;
}

}  // namespace

TEST_F(Defs, AnFgdWithEveryConstruct) {
  write("base.fgd",
        "// included first\n"
        "@include \"main.fgd\"\n"
        "@BaseClass = Targeted [ targetname(target_source) : \"Name\" ]\n");
  const std::string main =
      write("main.fgd",
            "// every construct\n"
            "@include \"base.fgd\"\n"
            "@mapsize(-4096, 4096)\n"
            "@BaseClass base(Targeted) size(-8 -8 -8, 8 8 8) color(255 200 0) = Lit\n"
            "[\n"
            "  light(integer) : \"Brightness\" : 300 : \"How bright\"\n"
            "  style(Choices) : \"Style\" : 0 = [ 0 : \"Normal\" 1 : \"Flicker\" \"x\" : \"Odd\" ]\n"
            "  spawnflags(flags) = [ 1 : \"Start off\" : 0  2 : \"Other\" : 1 ]\n"
            "]\n"
            "@PointClass base(Lit) studio(\"models/x.mdl\") model({ \"path\": \":progs/a.mdl\" }) =\n"
            "  light_custom : \"A light\" + \" of its own\" [\n"
            "  wait(float) : \"Wait\" : 0.5\n"
            "  _color(color1) readonly : \"Colour\"\n"
            "  input Kill(void) : \"Removes it\"\n"
            "  spawnflags(flags) = [ 4 : \"Third\" : 0 ]\n"
            "]\n"
            "@PointClass size(32 32 64) halfgridsnap iconsprite(\"s.spr\") sphere() = boxed [ k(string) "
            "readonly report ]\n"
            "@NPCClass = npc_thing []\n"
            "@SolidClass = func_thing : \"Thing\" []\n");
  entity_defs defs;
  ASSERT_EQ(read_definition_file(main, defs), "");
  resolve_bases(defs);
  // The cycle back into main.fgd is met once, where base.fgd includes it.
  ASSERT_EQ(defs.problems.size(), 1u) << listed(defs);
  EXPECT_EQ(fs::path(defs.problems[0].file).filename(), "base.fgd");
  EXPECT_EQ(defs.problems[0].line, 2);
  EXPECT_EQ(defs.problems[0].column, 10);
  EXPECT_NE(defs.problems[0].text.find("cycle"), std::string::npos);
  EXPECT_EQ(defs.count(), 6);

  const entity_class* c = defs.find("LIGHT_CUSTOM");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->kind, class_kind::point);
  EXPECT_EQ(c->description, "A light of its own");
  EXPECT_EQ(c->line, 10);
  ASSERT_TRUE(c->sized && c->coloured);
  EXPECT_EQ(c->mins[0], -8);
  EXPECT_EQ(c->maxs[2], 8);
  EXPECT_EQ(c->colour[1], 200);
  ASSERT_EQ(c->properties.size(), 2u);
  EXPECT_EQ(c->properties[1].first, "model");
  EXPECT_EQ(c->properties[1].second, "{ \"path\": \":progs/a.mdl\" }");
  std::vector<std::string> names;
  for (const class_key& k : c->keys) names.push_back(k.name);
  EXPECT_EQ(names,
            (std::vector<std::string>{"targetname", "light", "style", "wait", "_color", "spawnflags"}));
  EXPECT_EQ(key(*c, "light")->kind, key_kind::integer);
  EXPECT_EQ(key(*c, "light")->default_value, "300");
  EXPECT_EQ(key(*c, "light")->description, "How bright");
  EXPECT_EQ(key(*c, "wait")->kind, key_kind::real);
  EXPECT_EQ(key(*c, "wait")->default_value, "0.5");
  EXPECT_EQ(key(*c, "_color")->type, "color1");
  const class_key* style = key(*c, "style");
  ASSERT_EQ(style->kind, key_kind::choices);
  ASSERT_EQ(style->choices.size(), 3u);
  EXPECT_EQ(style->choices[2].value, "x");
  EXPECT_EQ(style->choices[2].name, "Odd");
  const class_key* flags = key(*c, "spawnflags");
  ASSERT_EQ(flags->flags.size(), 3u);  // its own, then the base's
  EXPECT_EQ(flags->flags[0].bit, 4);
  EXPECT_TRUE(flags->flags[2].on);

  const entity_class* boxed = defs.find("boxed");
  ASSERT_NE(boxed, nullptr);
  EXPECT_EQ(boxed->mins[2], -32);
  EXPECT_EQ(boxed->maxs[0], 16);
  ASSERT_EQ(boxed->properties.size(), 3u);
  EXPECT_EQ(boxed->properties[0].first, "halfgridsnap");
  EXPECT_EQ(boxed->properties[2].second, "");
  EXPECT_EQ(boxed->keys.size(), 1u);
  EXPECT_EQ(defs.find("npc_thing")->kind, class_kind::point);
  EXPECT_EQ(defs.find("func_thing")->kind, class_kind::solid);
  EXPECT_EQ(defs.find("Lit"), nullptr);  // base classes are not placed
}

TEST_F(Defs, QuakedBlocks) {
  const std::string qc = write("items.qc",
                               "void() x = {};\n"
                               "/*QUAKED light_thing (1 0.5 0) (-8 -8 -8) (8 8 16) START_OFF X FLICKER\n"
                               "A light.\n"
                               "\"light\" brightness, 300 by default\n"
                               "  \"style\": the style\n"
                               "\"a quotation\" is not a key\n"
                               "*/\n"
                               "/*QUAKED func_mover (0 .5 .8) ? TOGGLE\r\nMoves.\r\n*/\n");
  entity_defs defs;
  ASSERT_EQ(read_definition_file(qc, defs), "");
  EXPECT_TRUE(defs.problems.empty());
  ASSERT_EQ(defs.count(), 2);
  const entity_class& light = defs.classes[0];
  EXPECT_EQ(light.name, "light_thing");
  EXPECT_EQ(light.line, 2);
  EXPECT_EQ(light.kind, class_kind::point);
  EXPECT_EQ(light.colour[1], 128);
  EXPECT_EQ(light.maxs[2], 16);
  ASSERT_EQ(light.keys.size(), 3u);
  ASSERT_EQ(light.keys[0].flags.size(), 3u);
  EXPECT_EQ(light.keys[0].flags[2].bit, 4);
  EXPECT_EQ(light.keys[0].flags[2].name, "FLICKER");
  EXPECT_EQ(light.keys[1].name, "light");
  EXPECT_EQ(light.keys[2].name, "style");
  EXPECT_EQ(light.keys[2].description, "the style");
  EXPECT_EQ(light.description.substr(0, 8), "A light.");
  const entity_class& mover = defs.classes[1];
  EXPECT_EQ(mover.kind, class_kind::solid);
  EXPECT_FALSE(mover.sized);
  EXPECT_EQ(mover.description, "Moves.");
}

// Each malformed file gives one problem where it is, and reading goes on:
// the class after it, and a class as far as it was read, are kept.
TEST_F(Defs, ProblemsSayWhereAndReadingGoesOn) {
  struct bad {
    const char* name;
    std::string text;
    int line, column;
    const char* says;
    const char* kept;  // a class that must still be there
  };
  const bad cases[] = {
      {"a.fgd", "@PointClass = \n", 2, 1, "expected the class name after =, found the end", nullptr},
      {"b.fgd", "@PointClass size(1 2) = a []\n@PointClass = ok []", 1, 21, "expected a size number", "ok"},
      {"c.fgd", "@PointClass color(300 0 0) = a []\n@PointClass = ok []", 1, 19, "outside 0 to 255", "ok"},
      {"d.fgd", "junk @PointClass = ok []", 1, 1, "expected @", "ok"},
      {"e.fgd", "@PointClass = f [\n k(integer) : \"K\"\n s(flags) = [ x : \"a\" ] ]\n@SolidClass = ok []", 3,
       15, "expected a number, found \"x\"", "f"},
      {"f.fgd", "@PointClass = g [ k(string) : \"never closed ]", 1, 31, "does not end", "g"},
      {"g.fgd", "@PointClass base(Missing) = h []", 1, 1, "unknown base Missing", "h"},
      {"h.fgd", "@PointClass = i [ k(integer", 1, 28, "expected ) after the key's type", "i"},
      {"i.fgd", "@include \"nowhere.fgd\"\n@PointClass = ok []", 1, 10, "nowhere.fgd", "ok"},
      {"a.def", "/*QUAKED a (1 0 0) (0 0 0) (8 8 8)\ntext", 1, 1, "does not end with */", "a"},
      {"b.def", "/*QUAKED b (1 0) ?\n*/", 1, 16, "expected a number in the colour", "b"},
      {"c.def", "/*QUAKED c (2 0 0) ?\n*/", 1, 12, "outside 0 to 1", "c"},
      {"d.def", "x\n  /*QUAKED */", 2, 12, "without a class name", nullptr},
      {"e.def", "/*QUAKED e (1 1 1) (0 0 x) (1 1 1)\n*/", 1, 25, "expected a number in the corner", "e"},
  };
  for (const bad& b : cases) {
    SCOPED_TRACE(b.name);
    entity_defs defs;
    ASSERT_EQ(read_definition_file(write(b.name, b.text), defs), "");
    resolve_bases(defs);
    ASSERT_EQ(defs.problems.size(), 1u) << listed(defs);
    EXPECT_EQ(defs.problems[0].line, b.line);
    EXPECT_EQ(defs.problems[0].column, b.column);
    EXPECT_NE(defs.problems[0].text.find(b.says), std::string::npos) << defs.problems[0].text;
    if (b.kept != nullptr) {
      bool found = false;
      for (const entity_class& c : defs.classes) found |= c.name == b.kept;
      EXPECT_TRUE(found) << b.kept;
    }
  }
  entity_defs none;
  EXPECT_NE(read_definition_file((dir_ / "missing.fgd").string(), none), "");

  // A file of something else lists the first problems and counts the rest.
  std::string noise;
  for (int i = 0; i < 3 * MAX_LISTED_DEF_PROBLEMS; ++i) noise += "@ ";
  entity_defs many;
  read_fgd(noise, "noise.fgd", many);
  EXPECT_EQ(many.problems.size(), static_cast<std::size_t>(MAX_LISTED_DEF_PROBLEMS));
  EXPECT_GT(many.unlisted_problems, 0);
}

TEST_F(Defs, AGameFolderGivesItsFilesInOrder) {
  write("b.fgd", "");
  write("A.DEF", "");
  write("id1/c.fgd", "");
  write("id1/notes.txt", "");
  write("id1/defs.qc", "");
  write("id1/items.qc", "");
  write("id1/progs.src", "../progs.dat // the output\n\ndefs.qc\n  items.qc  \nmissing.qc\n");
  std::vector<std::string> names;
  for (const std::string& f : find_definition_files(dir_.string()))
    names.push_back(fs::relative(f, dir_).string());
  EXPECT_EQ(names, (std::vector<std::string>{"b.fgd", "A.DEF", "id1/c.fgd", "id1/defs.qc", "id1/items.qc"}));
}

TEST(BuiltinDefs, TheBaseGameClassesWithSizesAndKeys) {
  const entity_defs& defs = builtin_defs();
  EXPECT_TRUE(defs.problems.empty()) << listed(defs);
  for (const char* name : {"info_player_start", "light", "monster_army", "item_health", "weapon_nailgun",
                           "func_door", "trigger_once", "worldspawn", "path_corner"}) {
    const entity_class* c = defs.find(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->kind == class_kind::solid, std::string(name).starts_with("func") ||
                                                std::string(name).starts_with("trigger") ||
                                                c->name == "worldspawn")
        << name;
    if (c->kind == class_kind::point) EXPECT_TRUE(c->sized && c->coloured) << name;
  }
  const entity_class* army = defs.find("Monster_Army");
  EXPECT_EQ(army->mins[2], -24);
  EXPECT_EQ(army->maxs[2], 40);
  EXPECT_EQ(key(*army, "spawnflags")->flags.size(), 5u);  // ambush and the four skill flags
  const entity_class* light = defs.find("light");
  EXPECT_EQ(key(*light, "light")->default_value, "300");
  EXPECT_EQ(key(*light, "style")->choices.size(), 12u);
  EXPECT_NE(key(*light, "targetname"), nullptr);
  EXPECT_NE(key(*defs.find("func_door"), "target"), nullptr);
}
