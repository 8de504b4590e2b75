// Maps as today's editors write them: each face syntax read and written back
// in kind, and the inputs that once lost data on the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mapio/map_compare.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model_fixture.h"

namespace {

using Dialects = ModelTest;

// A 64-unit cube whose six faces end in `tail`, and optional extra faces.
std::string cube(const std::string& tail, const std::string& more = "") {
  const char* const planes[] = {
      "( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) ", "( 64 0 0 ) ( 64 0 64 ) ( 64 64 0 ) ",
      "( 0 0 0 ) ( 0 0 64 ) ( 64 0 0 ) ", "( 0 64 0 ) ( 64 64 0 ) ( 0 64 64 ) ",
      "( 0 0 0 ) ( 64 0 0 ) ( 0 64 0 ) ", "( 0 0 64 ) ( 0 64 64 ) ( 64 0 64 ) ",
  };
  std::string out = "{\n";
  for (const char* p : planes) out += p + tail + "\n";
  return out + more + "}\n";
}

std::string world(const std::string& body) { return "{\n\"classname\" \"worldspawn\"\n" + body + "}\n"; }

// What follows the points on each written face line.
std::vector<std::string> written_tails() {
  std::vector<std::string> tails;
  const std::string text = map_text();
  for (std::size_t at = text.find("\n( "); at != std::string::npos; at = text.find("\n( ", at + 1)) {
    const std::size_t end = text.find('\n', at + 1);
    const std::size_t points_end = text.rfind(") ", end) + 2;
    tails.push_back(text.substr(points_end, end - points_end));
  }
  return tails;
}

// Reading what was written gives a map that means the same.
void expect_round_trip() {
  const map_record before = record_model();
  const int dialect = map_dialect;
  const load_report again = read_map_text(map_text());
  ASSERT_TRUE(again.ok() && again.complete);
  EXPECT_EQ(map_dialect, dialect);
  const std::vector<std::string> differences = compare_maps(before, record_model());
  EXPECT_TRUE(differences.empty()) << differences.front();
}

}  // namespace

TEST_F(Dialects, EachFaceSyntaxIsWrittenBackAsItWasRead) {
  const struct {
    const char* tail;
    int dialect;
    const char* written;
  } cases[] = {
      {"A 0 0 0 1 1", DIALECT_STANDARD, "A 0.000000 0.000000 0.000000 1.000000 1.000000"},
      // Numbers "%lf" would cut keep their digits.
      {"A 0.1234567 -2.5 45 0.3 1", DIALECT_STANDARD, "A 0.1234567 -2.500000 45.000000 0.300000 1.000000"},
      {"A [ 1 0 0 16 ] [ 0 -1 0 -8 ] 0 0.5 0.5", DIALECT_VALVE, "A [ 1 0 0 16 ] [ 0 -1 0 -8 ] 0 0.5 0.5"},
      {"A [1 0 0 16] [0 -1 0 -8.25] 15 0.5 0.25", DIALECT_VALVE,
       "A [ 1 0 0 16 ] [ 0 -1 0 -8.25 ] 15 0.5 0.25"},
      {"A 0 0 0 1 1 1 8 50", DIALECT_QUAKE2, "A 0.000000 0.000000 0.000000 1.000000 1.000000 1 8 50"},
      {"A [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1 2 0 0", DIALECT_VALVE, "A [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1 2 0 0"},
      {"A 0 0 0 1 1 -1", DIALECT_HEXEN2, "A 0.000000 0.000000 0.000000 1.000000 1.000000 -1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tail);
    const load_report r = read_map_text(world(cube(c.tail)));
    ASSERT_TRUE(r.complete);
    EXPECT_TRUE(r.problems.empty());
    EXPECT_EQ(map_dialect, c.dialect);
    EXPECT_EQ(written_tails(), std::vector<std::string>(6, c.written));
    expect_round_trip();
  }
}

TEST_F(Dialects, FacesWithoutAxesInAValveMapShowTheirTextureAsAStandardFaceWould) {
  ASSERT_TRUE(read_map_text(world(cube("A [ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1"))).complete);
  // Made by the editor: the x wall unturned, the floor turned a quarter.
  surf* wall = hull->brush->fsurf;
  surf* floor = wall->next->next->next->next;
  wall->hasaxes = 0;
  wall->sofs = 8;
  floor->hasaxes = 0;
  floor->flips = 90;
  const std::vector<std::string> tails = written_tails();
  EXPECT_EQ(tails[0], "A [ 0 1 0 8 ] [ 0 0 -1 0 ] 0 1 1");
  EXPECT_EQ(tails[4], "A [ 0 1 0 0 ] [ 1 0 0 0 ] 90 1 1");
}

TEST_F(Dialects, NothingTheFileHeldIsLost) {
  // Line ends of a lone CR, groups and layers without brushes, a world whose
  // brushes all sit in a group, a brush entity with an origin, quotes and a
  // trailing backslash in a value, a fractional origin.
  const std::string text =
      "// written elsewhere\r{\r\"classname\" \"worldspawn\"\r\"wad\" \"q.wad\"\r}\r"
      "{\r\"classname\" \"func_group\"\r\"_tb_type\" \"_tb_layer\"\r}\r"
      "{\r\"classname\" \"func_group\"\r" +
      cube("A 0 0 0 1 1") + "}\r{\r\"classname\" \"func_door_rotating\"\r\"origin\" \"32 32 32\"\r" +
      "\"message\" \"say \\\"open\\\" in c:\\\"\r" + cube("B 0 0 0 1 1") +
      "}\r{\r\"classname\" \"light\"\r\"origin\" \"12.5 -3.25 8.75\"\r}\r";
  const load_report r = read_map_text(text);
  ASSERT_TRUE(r.complete);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.brush_entities, 4);
  ASSERT_EQ(numentity, 1);
  EXPECT_EQ(entities[0].origin.x, 12.5f);

  const std::string saved = map_text();
  EXPECT_EQ(saved.rfind("{\n\"classname\" \"worldspawn\"\n\"wad\" \"q.wad\"\n}\n"
                        "{\n\"classname\" \"func_group\"\n\"_tb_type\" \"_tb_layer\"\n}\n",
                        0),
            0u);
  EXPECT_NE(saved.find("\"origin\" \"32 32 32\"\n\"message\" \"say \\\"open\\\" in c:\\\"\n{"),
            std::string::npos);
  EXPECT_NE(saved.find("\"origin\" \"12.5 -3.25 8.75\"\n}\n"), std::string::npos);
  expect_round_trip();

  // A world alone is a map too.
  ASSERT_TRUE(read_map_text("{ \"classname\" \"worldspawn\" }").complete);
  EXPECT_EQ(map_text(), "{\n\"classname\" \"worldspawn\"\n}\n");
}

TEST_F(Dialects, FractionalAndCollapsedFacesKeepTheirPlanes) {
  // The top lifted by 0.4 (rounding would lower it), and a seventh face that
  // touches the cube only along its top edge at x = 64, so it has no polygon.
  std::string body = cube("A 0 0 0 1 1", "( 64 0 64 ) ( 0 0 128 ) ( 64 64 64 ) EDGE 0 0 0 1 1\n");
  body.replace(body.find("( 0 0 64 ) ( 0 64 64 ) ( 64 0 64 )"), 34,
               "( 0 0 64.4 ) ( 0 64 64.4 ) ( 64 0 64.4 )");
  ASSERT_TRUE(read_map_text(world(body)).complete);
  const std::string saved = map_text();
  EXPECT_NE(saved.find("( 0 0 64.4 ) ( 0 64 64.4 ) ( 64 0 64.4 ) A"), std::string::npos) << saved;
  EXPECT_NE(saved.find("( 64 0 64 ) ( 0 0 128 ) ( 64 64 64 ) EDGE"), std::string::npos) << saved;
  expect_round_trip();
}

TEST_F(Dialects, WhatCannotBeKeptRefusesTheMapAndSaysWhereItIs) {
  for (const char* construct : {"patchDef2", "brushDef", "brushDef3"}) {
    const load_report r = read_map_text(world(cube("A 0 0 0 1 1")) + "{\n\"classname\" \"func_wall\"\n{\n" +
                                        construct + "\n{\n}\n}\n}\n");
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find(std::string("\"") + construct + "\" on line 15"), std::string::npos) << r.error;
    EXPECT_EQ(hull, nullptr);
  }
  // A stray word is skipped, and the map is not taken as read whole.
  const load_report r = read_map_text(world(cube("A 0 0 0 1 1", "stray 1 2 3\n")));
  EXPECT_FALSE(r.complete);
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].line, 10);
}
