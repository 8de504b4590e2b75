#include "mapio/map_writer.h"
#include "mapio/source_layout.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "mapio/map_reader.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

using MapWriter = ModelTest;

brush_t* add_brush(hull_t* h) {
  auto* b = new brush_t;
  b->hull = h;
  b->valid = 1;
  brush_t** tail = &h->brush;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = b;
  return b;
}

void add_point_entity(const char* classname, vertex_t at) {
  dentity_t& e = entities[numentity++];
  e.header = new_keyval("classname", classname);
  e.origin = at;
  e.valid = 1;
}

using points = std::array<std::array<double, 3>, 3>;

points written(const surf* s) {
  double p[3][3];
  face_points_to_write(s, p);
  points out;
  for (int i = 0; i < 3; ++i) out[i] = {p[i][0], p[i][1], p[i][2]};
  return out;
}

std::string read_file(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

TEST_F(MapWriter, WritesBrushEntitiesFirstThenPointEntitiesInTheLineFormat) {
  add_point_entity("light", {-0.4f, 2.5f, 3.5f});  // fractions are kept
  hull_t* world = make_world();
  surf* s = add_face(add_brush(world), {128, 0, 0}, {128, 0, 1}, {128, 1, 0});
  s->texname = "TECH01_1";
  s->scale[0] = s->scale[1] = 1;
  add_face(world->brush, {2.5f, -2.5f, -0.4f}, {0, 0, 0}, {0, 0, 0})->texname = "X";
  world->brush->fsurf->next->flips = -0.25f;

  // Left out: an entity without brushes, a deleted brush, a deleted point entity.
  auto* empty = new hull_t;
  empty->header = new_keyval("classname", "func_door");
  world->next = empty;
  add_brush(world)->valid = 0;
  add_face(world->brush->next, {9, 9, 9}, {9, 9, 9}, {9, 9, 9});
  add_point_entity("gone", {});
  entities[1].valid = 0;

  EXPECT_EQ(map_text(),
            "{\n"
            "\"classname\" \"worldspawn\"\n"
            "{\n"
            "( 128 0 0 ) ( 128 0 1 ) ( 128 1 0 ) TECH01_1 0.000000 0.000000 0.000000 1.000000 1.000000\n"
            "( 3 -2 0 ) ( 0 0 0 ) ( 0 0 0 ) X 0.000000 0.000000 -0.250000 0.000000 0.000000\n"
            "}\n"
            "}\n"
            "{\n"
            "\"classname\" \"light\"\n"
            "\"origin\" \"-0.4 2.5 3.5\"\n"
            "}\n");
}

TEST_F(MapWriter, PointEntitiesAreWrittenEvenWithoutAWorldAndWritingChangesNothing) {
  add_point_entity("light", {});
  EXPECT_EQ(map_text(), "{\n\"classname\" \"light\"\n\"origin\" \"0 0 0\"\n}\n");

  hull_t* world = make_world();
  add_face(add_brush(world), {0, 0, 0}, {0, 64, 0}, {0, 0, 64});
  const std::string first = map_text();
  EXPECT_EQ(map_text(), first);
  EXPECT_NE(world->header, nullptr);
}

TEST_F(MapWriter, KeepsThePlaneWhereTheRoundedCornersWouldNot) {
  // A convex face on z = 0 facing +z whose first three corners round onto one line.
  brush_t* b = add_brush(make_world());
  surf* s = add_face(b, {0, 0, 0}, {10, 0.1f, 0}, {20, 0.4f, 0});
  s->numpoints = 4;
  s->point[3] = {0, 10, 0};

  // Points it was read with that still lie on its plane are written.
  s->filepoint[0] = {0, 0, 0};
  s->filepoint[1] = {64, 0, 0};
  s->filepoint[2] = {0, 64, 0};
  s->hasfilepoints = 1;
  EXPECT_EQ(written(s), (points{{{0, 0, 0}, {64, 0, 0}, {0, 64, 0}}}));

  // Once the face has left that plane, the best rounded corners in polygon order.
  for (vertex_t& p : s->filepoint) p.z = 8;
  EXPECT_EQ(written(s), (points{{{0, 0, 0}, {10, 0, 0}, {0, 10, 0}}}));

  // A sliver whose every corner rounds onto one line still gets three points
  // on its plane, facing the same way.
  s->numpoints = 3;
  s->hasfilepoints = 0;
  const points p = written(s);
  EXPECT_GT((p[1][0] - p[0][0]) * (p[2][1] - p[0][1]) - (p[1][1] - p[0][1]) * (p[2][0] - p[0][0]), 0);
  for (const auto& q : p) EXPECT_EQ(q[2], 0);
}

// Faces keep the numbers they were read with, at the file's precision, until
// an edit changes them; then the model's float is written.
TEST_F(MapWriter, UntouchedNumbersKeepTheFilesPrecision) {
  const std::string face =
      "( -1170.181818181817 2081.8181818181806 808 ) ( -1170.181818181817 2081.8181818181806 0.1 ) "
      "( 0.30000000000000004 64 808 ) T [ 0.70710678118654757 0.70710678118654757 0 0.123456789 ] "
      "[ 0 0 -1 -16 ] 0 0.33333333333333331 1\n";
  const std::string box =
      "( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T [ 0 1 0 0 ] [ 0 0 -1 0 ] 0 1 1\n"
      "( 64 0 0 ) ( 64 0 64 ) ( 64 64 0 ) T [ 0 1 0 0 ] [ 0 0 -1 0 ] 0 1 1\n";
  ASSERT_TRUE(read_map_text("{\n\"classname\" \"worldspawn\"\n{\n" + face + box + "}\n}\n").complete);
  const auto face_line = [] {
    const std::string text = map_text();
    const std::size_t start = text.find("( -1170");
    return start == std::string::npos ? std::string()
                                      : text.substr(start, text.find('\n', start) + 1 - start);
  };
  EXPECT_EQ(face_line(),
            "( -1170.181818181817 2081.8181818181806 808 ) ( -1170.181818181817 2081.8181818181806 0.1 ) "
            "( 0.30000000000000004 64 808 ) T [ 0.7071067811865476 0.7071067811865476 0 0.123456789 ] "
            "[ 0 0 -1 -16 ] 0 0.3333333333333333 1\n");

  // A texture edit writes that number as the model holds it, the others as read.
  surf* s = hull->brush->fsurf;
  s->sofs = 0.5f;
  s->scale[0] = 2;
  EXPECT_NE(face_line().find("0.7071067811865476 0 0.5 ] [ 0 0 -1 -16 ] 0 2 1\n"), std::string::npos)
      << face_line();

  // Moved points are the model's floats; put back as they were (as an undo
  // does), they are the file's again.
  const std::string before = map_text();
  const surf kept = *s;
  for (vertex_t& p : s->filepoint) p.z += 1;
  for (int i = 0; i < s->numpoints; ++i) s->point[i].z += 1;
  EXPECT_NE(map_text().find("( -1170.1818 2081.818 809 ) ( -1170.1818 2081.818 1.1 ) ( 0.3 64 809 )"),
            std::string::npos);
  std::copy(kept.filepoint, kept.filepoint + 3, s->filepoint);
  std::copy(kept.point.data(), kept.point.data() + kept.numpoints, s->point.room(kept.numpoints));
  EXPECT_EQ(map_text(), before);
}

TEST_F(MapWriter, ALongTextRoundTripKeepsEveryCharacter) {
  const std::string key(120, 'k'), value(300, 'v'), texture(64, 'T');
  options.fixb = 0;
  hull_t* world = make_world();
  world->header->next = new_keyval(key.c_str(), value.c_str());
  add_face(add_brush(world), {0, 0, 0}, {0, 64, 0}, {0, 0, 64})->texname = texture;
  const std::string text = map_text();
  EXPECT_NE(text.find("\"" + key + "\" \"" + value + "\"\n"), std::string::npos);
  EXPECT_NE(text.find(") " + texture + " "), std::string::npos);

  ASSERT_TRUE(read_map_text(text).complete);
  EXPECT_EQ(map_text(), text);
}

TEST_F(MapWriter, AFailedSaveReportsTheReasonAndKeepsTheOldFile) {
  make_world();
  add_face(add_brush(hull), {0, 0, 0}, {0, 64, 0}, {0, 0, 64});
  const auto dir = std::filesystem::temp_directory_path() / ("veld-writer-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto target = dir / "room.map";
  EXPECT_EQ(write_map(target.string()), "");
  EXPECT_EQ(read_file(target), map_text());

  const std::string error = write_map((dir / "missing" / "room.map").string());
  EXPECT_NE(error.find("missing/room.map"), std::string::npos) << error;
  EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
  std::filesystem::remove_all(dir);
}

// Qt sets the C locale from the environment; in a comma locale "%lf" would
// write "0,500000". Builds such a locale with localedef in a temporary folder.
TEST_F(ModelTest, MapNumbersIgnoreACommaLocale) {
  std::string written;
  load_report r;
  {
    const comma_locale comma;
    if (!comma.ready) GTEST_SKIP() << "localedef could not build de_DE.UTF-8 on this machine";
    char half[8];
    std::snprintf(half, sizeof half, "%.1f", 0.5);
    EXPECT_STREQ(half, "0,5");  // the locale really is in force
    options.fixb = 0;
    r = read_map_text("{\n{\n( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0.5 -1.25 0 0.5 2\n}\n}\n");
    written = map_text();
  }
  EXPECT_EQ(r.malformed_numbers, 0);
  EXPECT_EQ(hull->brush->fsurf->sofs, 0.5f);
  EXPECT_EQ(hull->brush->fsurf->tofs, -1.25f);
  EXPECT_EQ(written,
            "{\n{\n( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0.500000 -1.250000 0.000000 0.500000 2.000000\n}\n}\n");
}

// A face read with whole numbers only keeps no read numbers of its own, yet
// its plane is still the one it was read with while its polygon strays from
// it, until an edit moves its points.
TEST_F(MapWriter, WholeNumberedFacesKeepTheirReadPlaneWithoutATableEntry) {
  ASSERT_TRUE(read_map_text(box_map_text("( 0 0 64 ) ( 0 64 64 ) ( 64 0 64 ) T 7 -3 90 2 1")).complete);
  EXPECT_EQ(map_source.numbers.size(), 0U);
  surf* top = hull->brush->fsurf;
  while (top->next != nullptr) top = top->next;
  // Its corners describe that plane, so they are written, as ever.
  EXPECT_NE(
      map_text().find("( 64 64 64 ) ( 64 0 64 ) ( 0 0 64 ) T 7.000000 -3.000000 90.000000 2.000000 1.000000"),
      std::string::npos)
      << map_text();

  // A polygon a little off the plane (as a rebuild far from the origin may
  // leave a sliver) does not change what is written.
  for (int i = 0; i < top->numpoints; ++i) top->point[i].z += 0.4f;
  EXPECT_EQ(written(top), (points{{{64, 64, 64}, {64, 0, 64}, {0, 0, 64}}}));

  // Moved with its points, the face is written where it went.
  for (vertex_t& p : top->filepoint) p.z += 32;
  for (int i = 0; i < top->numpoints; ++i) top->point[i].z += 31.6f;
  EXPECT_EQ(written(top), (points{{{64, 64, 96}, {64, 0, 96}, {0, 0, 96}}}));
}
