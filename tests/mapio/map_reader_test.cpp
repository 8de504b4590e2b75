#include "mapio/map_reader.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

#include "model/box.h"
#include "model/camera.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

using MapReader = ModelTest;

// A 64-unit cube from (0,0,0) to (64,64,64), each face normal pointing in.
constexpr const char* CUBE = R"({
( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) TECH01_1 -16 8 90 0.5 0.5
( 64 0 0 ) ( 64 0 64 ) ( 64 64 0 ) TECH01_1 0 0 0 1 1
( 0 0 0 ) ( 0 0 64 ) ( 64 0 0 ) TECH01_1 0 0 0 1 1
( 0 64 0 ) ( 64 64 0 ) ( 0 64 64 ) TECH01_1 0 0 0 1 1
( 0 0 0 ) ( 64 0 0 ) ( 0 64 0 ) TECH01_1 0 0 0 1 1
( 0 0 64 ) ( 0 64 64 ) ( 64 0 64 ) TECH01_1 0 0 0 1 1
}
)";

std::string world_with_cube() { return std::string("{\n\"classname\" \"worldspawn\"\n") + CUBE + "}\n"; }

std::string pairs_of(const keyval* list) {
  std::string out;
  for (; list != nullptr; list = list->next) out += std::string(list->key) + "=" + list->value + ";";
  return out;
}

std::string temp_file(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// The map read before a failed read, checked afterwards.
void expect_world_with_cube_and_camera(float camera_x) {
  ASSERT_NE(hull, nullptr);
  EXPECT_STREQ(hull->classname, "worldspawn");
  ASSERT_NE(hull->brush, nullptr);
  EXPECT_EQ(count_faces(hull->brush), 6);
  EXPECT_EQ(origin.x, camera_x);
  EXPECT_MODEL_OK();
}

bool is_cube_corner(const vertex_t& p) {
  auto edge = [](float c) { return std::fabs(c) < 0.01f || std::fabs(c - 64) < 0.01f; };
  return edge(p.x) && edge(p.y) && edge(p.z);
}

}  // namespace

TEST_F(MapReader, EntityOfPairsOnlyIsOneBrushEntityAndTheCameraStartsAtZero) {
  origin = vertex_t{5, 6, 7};
  const load_report r = read_map_text(R"({ "classname" "worldspawn" })");
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r.complete);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.brush_entities, 1);
  ASSERT_NE(hull, nullptr);
  EXPECT_EQ(hull->next, nullptr);
  EXPECT_EQ(hull->brush, nullptr);
  EXPECT_EQ(pairs_of(hull->header), "classname=worldspawn;");
  EXPECT_STREQ(hull->classname, "worldspawn");
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(origin.y, 0);
  EXPECT_EQ(origin.z, 0);
}

TEST_F(MapReader, EntitiesOfEachKindKeepTheirPairsInFileOrder) {
  const load_report r = read_map_text(world_with_cube() + R"(
{
"classname" "light"
"origin" "0 0 64"
"target" "t1"
}
{ }
{
"classname" "func_door"
"message" "two words"
"Origin" "1 2 3"
}
)");
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.brush_entities, 3);

  // The point entity: origin out of the list, marker box at the origin.
  ASSERT_EQ(numentity, 1);
  EXPECT_EQ(pairs_of(entities[0].header), "classname=light;target=t1;");
  EXPECT_EQ(entities[0].origin.z, 64);
  EXPECT_EQ(entities[0].valid, 1);
  brush_t* marker = entities[0].brush;
  ASSERT_NE(marker, nullptr);
  EXPECT_EQ(marker->entity, 0);
  EXPECT_EQ(marker->hull, nullptr);
  EXPECT_EQ(count_faces(marker), 6);
  for (const surf* s = marker->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) EXPECT_LE(std::fabs(s->point[i].z - 64), 4.01f);
  }

  // "{ }" is a brush entity with no pairs; key names are compared exactly,
  // so "Origin" is an ordinary pair and a value keeps its spaces.
  const hull_t* empty = hull->next;
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->header, nullptr);
  const hull_t* door = empty->next;
  ASSERT_NE(door, nullptr);
  EXPECT_EQ(pairs_of(door->header), "classname=func_door;message=two words;Origin=1 2 3;");
  EXPECT_STREQ(door->message, "two words");
  EXPECT_MODEL_OK();
}

TEST_F(MapReader, FacesAreRebuiltOnlyWithFixBrushesOn) {
  ASSERT_TRUE(read_map_text(world_with_cube()).complete);
  brush_t* b = hull->brush;
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->valid, 1);
  EXPECT_EQ(b->vis, 1);
  EXPECT_EQ(b->entity, -1);
  EXPECT_EQ(b->hull, hull);
  ASSERT_EQ(count_faces(b), 6);
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    ASSERT_EQ(s->numpoints, 4);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(is_cube_corner(s->point[i]));
    EXPECT_EQ(s->brush, b);
  }

  options.fixb = 0;
  ASSERT_TRUE(read_map_text(world_with_cube()).complete);
  const surf* s = hull->brush->fsurf;
  ASSERT_EQ(s->numpoints, 3);
  EXPECT_EQ(s->point[1].y, 64);
  EXPECT_EQ(s->point[2].z, 64);
  // Texture name and numbers in the order sofs, tofs, rotation, scales.
  EXPECT_EQ(s->texname, "TECH01_1");
  EXPECT_EQ(s->sofs, -16);
  EXPECT_EQ(s->tofs, 8);
  EXPECT_EQ(s->flips, 90);
  EXPECT_EQ(s->scale[0], 0.5f);
  EXPECT_EQ(s->scale[1], 0.5f);
  for (const int c : {colour_red(s->clr), colour_green(s->clr), colour_blue(s->clr)}) {
    EXPECT_EQ(c % 10, 0);
    EXPECT_LE(c, 140);
  }
}

TEST_F(MapReader, CommentsAreSkippedAlsoAtTheEndWithoutNewline) {
  const load_report r = read_map_text(
      "// first\n{ \"classname\" \"worldspawn\" }\n// between { ( \" }\n{ \"a\" \"b\" }\n// last");
  EXPECT_TRUE(r.complete);
  EXPECT_TRUE(r.problems.empty());
  EXPECT_EQ(r.brush_entities, 2);
}

TEST_F(MapReader, AnOriginIsReadWholeBetweenItsQuotes) {
  // A space before the closing quote, or no numbers at all, leaves the next
  // pair in step.
  const load_report r =
      read_map_text("{ \"origin\" \"8 16 32 \" \"a\" \"b\" }\n{ \"origin\" \"\" \"c\" \"d\" }");
  EXPECT_TRUE(r.complete);
  ASSERT_EQ(numentity, 1);
  EXPECT_EQ(entities[0].origin.z, 32);
  EXPECT_EQ(pairs_of(entities[0].header), "a=b;");
  // Not three numbers: kept as an ordinary pair of an entity without brushes.
  EXPECT_EQ(r.brush_entities, 1);
  EXPECT_EQ(pairs_of(hull->header), "origin=;c=d;");
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].line, 2);
}

TEST_F(MapReader, PairsAfterABrushJoinTheirEntityAndStrayOnesAreDropped) {
  // A late "origin" stays with an entity that has brushes, which keep it a
  // brush entity when it is read again.
  const load_report r = read_map_text(std::string("{\n\"classname\" \"worldspawn\"\n") + CUBE +
                                      "\"sounds\" \"6\"\n\"origin\" \"1 2 3\"\n}\n\"lost\" \"pair\"\n"
                                      "{ \"classname\" \"light\" \"origin\" \"1 2 3\" }\n");
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.obsolete_pairs, 3);
  EXPECT_EQ(pairs_of(hull->header), "classname=worldspawn;sounds=6;origin=1 2 3;");
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].line, 14);
  EXPECT_NE(r.problems[0].text.find("\"lost\" \"pair\""), std::string::npos);
  EXPECT_EQ(numentity, 1);
}

TEST_F(MapReader, EarlyStopsKeepWhatWasReadAndSayWhere) {
  struct stop_case {
    const char* name;
    std::string text;
    int line;  // 0: the last line, where the text ends
    const char* why;
  };
  const stop_case cases[] = {
      {"paren outside a brush", "{ \"classname\" \"worldspawn\" }\n\n( 1 2 3 )\n{ \"a\" \"b\" }", 3,
       "'(' outside a brush"},
      {"end inside a face", world_with_cube().substr(0, 150), 0, "ends inside a face"},
      {"end inside a brush", std::string("{ \"classname\" \"worldspawn\"\n") + CUBE, 0,
       "ends inside a brush entity"},
      {"end inside a point entity", "{ \"origin\" \"1 2 3\"\n// no closing brace\n", 0,
       "point entity was not added"},
      {"end inside pairs", "{ \"classname\" \"worldspawn\"\n\"wad\" \"gfx", 2, "key/value pairs"},
  };
  for (const stop_case& c : cases) {
    SCOPED_TRACE(c.name);
    const load_report r = read_map_text(c.text);
    ASSERT_TRUE(r.ok());
    EXPECT_FALSE(r.complete);
    ASSERT_EQ(r.problems.size(), 1u);
    const int last_line = 1 + static_cast<int>(std::count(c.text.begin(), c.text.end(), '\n'));
    EXPECT_EQ(r.problems[0].line, c.line != 0 ? c.line : last_line);
    EXPECT_NE(r.problems[0].text.find(c.why), std::string::npos) << r.problems[0].text;
    EXPECT_MODEL_OK();
  }

  // What stays: the first entity before the '(' ...
  read_map_text(cases[0].text);
  EXPECT_EQ(pairs_of(hull->header), "classname=worldspawn;");
  EXPECT_EQ(hull->next, nullptr);
  // ... the whole faces before the cut (the text ends in the third) ...
  read_map_text(cases[1].text);
  EXPECT_EQ(count_faces(hull->brush), 2);
  // ... and the brushes of an unclosed entity, but not its pairs.
  read_map_text(cases[2].text);
  EXPECT_EQ(count_faces(hull->brush), 6);
  EXPECT_EQ(hull->header, nullptr);
  EXPECT_STREQ(hull->classname, "worldspawn");
}

TEST_F(MapReader, UnclosedRecordsBeforeTheNextOpenAreReported) {
  // A brush left open: the next '{' starts another brush, the first keeps its
  // three file points. A point entity left open is not added.
  options.fixb = 1;
  const load_report r = read_map_text(
      "{ \"classname\" \"worldspawn\"\n{ ( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 0 0 1 1\n" + std::string(CUBE) +
      "}\n{ \"origin\" \"1 2 3\"\n{ \"classname\" \"light\" \"origin\" \"4 5 6\" }\n");
  EXPECT_TRUE(r.complete);
  ASSERT_EQ(r.problems.size(), 2u);
  EXPECT_EQ(r.problems[0].line, 2);
  EXPECT_EQ(r.problems[1].line, 13);
  ASSERT_EQ(count_brushes(hull), 2);
  EXPECT_EQ(hull->brush->fsurf->numpoints, 3);
  EXPECT_EQ(hull->brush->next->fsurf->numpoints, 4);
  ASSERT_EQ(numentity, 1);
  EXPECT_EQ(entities[0].origin.x, 4);
}

TEST_F(MapReader, TheFirstPointEntityOverTheLimitRefusesTheWholeMap) {
  auto point_entities = [](int n) {
    std::string text = world_with_cube();
    for (int i = 0; i < n; ++i)
      text += "{\n\"classname\" \"light\"\n\"origin\" \"" + std::to_string(i) + " 0 0\"\n}\n";
    return text;
  };
  const load_report full = read_map_text(point_entities(MAX_ENTITIES));
  EXPECT_TRUE(full.ok());
  EXPECT_EQ(numentity, MAX_ENTITIES);
  EXPECT_EQ(entities[MAX_ENTITIES - 1].origin.x, MAX_ENTITIES - 1);

  const load_report over = read_map_text(point_entities(MAX_ENTITIES + 1));
  EXPECT_FALSE(over.ok());
  EXPECT_NE(over.error.find("1024"), std::string::npos);
  EXPECT_NE(over.error.find("line " + std::to_string(12 + 4 * MAX_ENTITIES + 3)), std::string::npos)
      << over.error;
  // The map read before is still there, whole.
  EXPECT_EQ(numentity, MAX_ENTITIES);
  ASSERT_NE(hull, nullptr);
  EXPECT_EQ(count_faces(hull->brush), 6);
  EXPECT_MODEL_OK();
}

TEST_F(MapReader, LongTextsAreReadWhole) {
  const std::string key(120, 'k'), value(300, 'v'), texture(64, 'T');
  const std::string number =
      "0000000000000000000000000000000000000000000000000000000064.000000000000000000000";
  options.fixb = 0;
  const load_report r =
      read_map_text("{\n\"" + key + "\" \"" + value + "\"\n\"classname\" \"" + value + "\"\n{\n( 0 0 " +
                    number + " ) ( 0 64 0 ) ( 0 0 64 ) " + texture + " 0 0 0 1 1\n}\n}\n");
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.malformed_numbers, 0);
  EXPECT_EQ(pairs_of(hull->header), key + "=" + value + ";classname=" + value + ";");
  EXPECT_EQ(std::string(hull->classname), value.substr(0, sizeof hull->classname - 1));
  EXPECT_EQ(hull->brush->fsurf->texname, texture);
  EXPECT_EQ(hull->brush->fsurf->point[0].z, 64);
}

TEST_F(MapReader, NulCharactersLeaveKeysAndValuesAndAreReported) {
  // "origin" followed by a NUL is not the origin key; stored as a C string it
  // would have read as one the next time.
  using namespace std::string_literals;
  const load_report r = read_map_text("{\n\"origin\0\0x\" \"0 0 64\"\n\"classname\" \"li\0ght\"\n}\n"s);
  EXPECT_EQ(numentity, 0);
  ASSERT_NE(hull, nullptr);
  EXPECT_EQ(pairs_of(hull->header), "originx=0 0 64;classname=light;");
  ASSERT_EQ(r.problems.size(), 2u);
  EXPECT_NE(r.problems[0].text.find("NUL"), std::string::npos);
}

TEST_F(MapReader, NumbersThatAreNotFiniteReadAsZeroAndAreCounted) {
  options.fixb = 0;
  const load_report r = read_map_text(
      "{\n{\n( nan 0 0 ) ( 0 inf 0 ) ( 0 0 1e39 ) T -infinity 1e999 x 1 1\n}\n}\n"
      "{ \"origin\" \"NAN 2 3\" }\n");
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.malformed_numbers, 7);
  ASSERT_EQ(r.problems.size(), 7u);
  EXPECT_EQ(r.problems[0].line, 3);
  EXPECT_EQ(r.problems[6].line, 6);
  EXPECT_NE(r.problems[0].text.find("\"nan\""), std::string::npos);
  const surf* s = hull->brush->fsurf;
  EXPECT_EQ(s->point[0].x, 0);
  EXPECT_EQ(s->point[1].y, 0);
  EXPECT_EQ(s->point[2].z, 0);
  EXPECT_EQ(s->sofs, 0);
  EXPECT_EQ(s->tofs, 0);
  EXPECT_EQ(entities[0].origin.x, 0);
  EXPECT_EQ(entities[0].origin.y, 2);
}

TEST_F(MapReader, HugeButFinitePointsGiveAReportedUnbuiltFace) {
  // Finite coordinates whose plane overflows single precision.
  const load_report r = read_map_text(
      "{\n{\n( -3e38 0 0 ) ( 3e38 0 0 ) ( 0 3e38 0 ) T 0 0 0 1 1\n"
      "( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 0 0 1 1\n}\n}\n");
  EXPECT_TRUE(r.complete);
  ASSERT_EQ(r.problems.size(), 1u);
  EXPECT_EQ(r.problems[0].line, 2);
  EXPECT_NE(r.problems[0].text.find("not a number"), std::string::npos);
}

TEST_F(MapReader, ProblemsSayTheColumnAsWellAsTheLine) {
  // Met while reading and found while rebuilding (a brush whose plane is not
  // a number, listed where the brush ends), each at the start of what it is
  // about.
  const load_report r = read_map_text(
      "{\n"
      "\"classname\" \"worldspawn\"\n"
      "  {\n"
      "  ( -3e38 0 0 ) ( 3e38 0 0 ) ( 0 3e38 0 ) T 0 0 0 1 1\n"
      "  ( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 x 0 1 1\n"
      "  stray\n"
      "  }\n"
      " {\n"
      "{ ( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 0 0 1 1 }\n"
      "}\n"
      "\t\"lost\" \"pair\"\n");
  const struct {
    int line, column;
    const char* text;
  } expected[] = {
      {5, 39, "the number \"x\""},      {6, 3, "the word \"stray\""}, {3, 3, "1 face(s)"},
      {8, 2, "a brush was not closed"}, {11, 2, "the pair \"lost\""},
  };
  ASSERT_EQ(r.problems.size(), std::size(expected));
  for (std::size_t i = 0; i < r.problems.size(); ++i) {
    EXPECT_EQ(r.problems[i].line, expected[i].line) << i;
    EXPECT_EQ(r.problems[i].column, expected[i].column) << i;
    EXPECT_TRUE(r.problems[i].text.starts_with(expected[i].text)) << r.problems[i].text;
  }
}

TEST_F(MapReader, ProblemsBeyondTheListAreCounted) {
  std::string faces;
  for (int i = 0; i < MAX_LISTED_PROBLEMS + 10; ++i) faces += "( x 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 0 0 1 1\n";
  const load_report r = read_map_text("{\n{\n" + faces + "}\n}\n");
  EXPECT_EQ(r.malformed_numbers, MAX_LISTED_PROBLEMS + 10);
  EXPECT_EQ(static_cast<int>(r.problems.size()), MAX_LISTED_PROBLEMS);
  EXPECT_EQ(r.unlisted_problems, 10);
}

TEST_F(MapReader, AFileThatCannotBeReadChangesNothing) {
  make_world();
  origin = vertex_t{1, 2, 3};
  for (const std::string& path : {::testing::TempDir() + "no-such-map.map", ::testing::TempDir()}) {
    const load_report r = read_map(path);
    EXPECT_FALSE(r.ok());
    EXPECT_NE(r.error.find(path), std::string::npos);
    EXPECT_NE(hull, nullptr);
    EXPECT_EQ(origin.x, 1);
  }
}

TEST_F(MapReader, FilesThatAreNotMapsAreRefusedAndTheOpenMapStays) {
  using namespace std::string_literals;
  std::string bsp = "\x1d\0\0\0"s + std::string(64 * 1024 - 4, '\0');
  bsp.replace(1000, 40, "{ \"classname\" \"worldspawn\" } ( 1 2 3 )");
  const struct {
    const char* name;
    std::string bytes;
  } files[] = {
      {"passwd",
       "root:x:0:0:root:/root:/bin/bash\nnews:x:9:9:news (spool):/var/spool/news:/usr/sbin/nologin\n"},
      {"picture.png", "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0{\"\0\xff"s},
      {"level.bsp", bsp},
      {"notes.map", "// a map goes here one day\n\"message\" \"hello\"\n"},
  };
  read_map_text(world_with_cube());
  origin.x = 7;
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    const std::string path = temp_file(f.name, f.bytes);
    const load_report r = read_map(path);
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.error, path + " is not a map file");
    expect_world_with_cube_and_camera(7);
  }

  // Nothing but whitespace holds nothing to lose: an empty map. So does an
  // empty file.
  for (const char* text : {"", " \r\n\t\n"}) {
    read_map_text(world_with_cube());
    EXPECT_TRUE(read_map_text(text).ok());
    EXPECT_EQ(hull, nullptr);
  }
  // NULs after the first entity are the reader's to clean up, as before.
  EXPECT_TRUE(read_map_text("{ \"classname\" \"worldspawn\" }\n\0\0"s).ok());
  EXPECT_NE(hull, nullptr);
}

TEST_F(MapReader, AFileTooLargeToHoldIsNotRead) {
  read_map_text(world_with_cube());
  origin.x = 7;
  // A sparse file one byte over a gibibyte: refused by its size, not read.
  const std::string big = ::testing::TempDir() + "huge.map";
  std::ofstream(big).close();
  std::filesystem::resize_file(big, (std::uintmax_t{1} << 30) + 1);
  const load_report r = read_map(big);
  std::filesystem::remove(big);
  EXPECT_FALSE(r.ok());
  EXPECT_NE(r.error.find(big), std::string::npos) << r.error;
  expect_world_with_cube_and_camera(7);
}

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELD_UNDER_ASAN 1
#endif
#endif

TEST_F(MapReader, RunningOutOfMemoryLeavesTheOpenMap) {
#ifdef VELD_UNDER_ASAN
  GTEST_SKIP() << "AddressSanitizer ends the program when an allocation fails instead of throwing";
#else
  // A flood of '{' opens a brush for each one. In a child whose address
  // space is capped a little above what it holds, the read runs out of memory.
  read_map_text(world_with_cube());
  const std::string flood = "{\n" + std::string(8 << 20, '{');
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t cap = static_cast<rlim_t>(pages) * sysconf(_SC_PAGESIZE) + (64 << 20);
    const rlimit limit{cap, cap};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
    try {
      const load_report r = read_map_text(flood);
      const bool kept =
          hull != nullptr && hull->next == nullptr && count_faces(hull->brush) == 6 && check_model().empty();
      _exit(!r.ok() && r.error.find("not enough memory") != std::string::npos && kept ? 0 : 1);
    } catch (...) {
      _exit(3);
    }
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_NE(WEXITSTATUS(status), 2) << "the address space could not be capped";
  EXPECT_NE(WEXITSTATUS(status), 3) << "the read let an exception out";
  EXPECT_EQ(WEXITSTATUS(status), 0);
#endif
}

// A class with a shape of its own gets a marker of that box about its origin
// and in its colour; one without keeps the cube.
TEST_F(MapReader, MarkersTakeTheirClassesShapes) {
  marker_shapes["light"] = {{-8, -8, -8}, {8, 8, 24}, true, make_rgb(255, 255, 40)};
  const load_report r = read_map_text(
      "{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"LIGHT\"\n\"origin\" \"64 0 16\"\n}\n"
      "{\n\"classname\" \"info_null\"\n\"origin\" \"0 0 0\"\n}\n");
  marker_shapes.clear();
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(numentity, 2);
  const auto bounds = [](const brush_t* b) {
    vertex_t lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      for (int i = 0; i < s->numpoints; ++i) {
        for (int a = 0; a < 3; ++a) {
          lo[a] = std::min(lo[a], s->point[i][a]);
          hi[a] = std::max(hi[a], s->point[i][a]);
        }
      }
    }
    return std::pair{lo, hi};
  };
  const auto [lo, hi] = bounds(entities[0].brush);
  EXPECT_EQ(lo, (vertex_t{56, -8, 8}));
  EXPECT_EQ(hi, (vertex_t{72, 8, 40}));
  EXPECT_EQ(entities[0].brush->fsurf->clr, make_rgb(255, 255, 40));
  EXPECT_EQ(entities[0].origin, (vertex_t{64, 0, 16}));
  const auto [cube_lo, cube_hi] = bounds(entities[1].brush);
  EXPECT_EQ(cube_hi.x - cube_lo.x, MARKER_SIZE);
  EXPECT_EQ(cube_hi.z - cube_lo.z, MARKER_SIZE);
}
