// Object files and raw export: what is written for a selection, what a merge
// adds to the world entity, and text that is not as the writer makes it.
#include "mapio/object_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "built_map.h"
#include "edit/box_brush.h"
#include "edit/transforms.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "mapio/raw_export.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

class ObjectFile : public ModelTest {};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::vector<brush_t*> selected() {
  std::vector<brush_t*> out;
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) out.push_back(n->brush);
  return out;
}

vertex_t centre_of(const brush_t* b) {
  vertex_t c;
  EXPECT_TRUE(find_center(b, &c));
  return c;
}

// A 64-unit cube at (100, 200, 300), selected, as a text of one object block.
std::string saved_cube() {
  make_world();
  const vertex_t at{100, 200, 300};
  insert_brush_in_list(new_brush(&at, 64, 64, 64, 0));
  vertex_t c;
  EXPECT_TRUE(find_group_center(&c));
  return object_text(c);
}

const char* const three_brushes =
    "{\n( 0 0 0 ) ( 0 1 0 ) ( 0 0 1 ) FIRST 0 0 0 1 1\n}\n"
    "{\n( 0 0 0 ) ( 0 1 0 ) ( 0 0 1 ) SECOND 0 0 0 1 1\n}\n"
    "{\n( 0 0 0 ) ( 0 1 0 ) ( 0 0 1 ) THIRD 0 0 0 1 1\n}\n";

}  // namespace

TEST_F(ObjectFile, SavedCubeIsOneBlockAboutItsCentreWithPlainTextureNumbers) {
  const std::vector<std::string> lines = lines_of(saved_cube());
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines.front(), "{");
  EXPECT_EQ(lines.back(), "}");
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    std::istringstream in(lines[i]);
    for (int p = 0; p < 3; ++p) {
      std::string open, close;
      double xyz[3];
      in >> open >> xyz[0] >> xyz[1] >> xyz[2] >> close;
      EXPECT_EQ(open + close, "()") << lines[i];
      for (const double v : xyz) EXPECT_LE(std::fabs(v), 32) << lines[i];
    }
    EXPECT_EQ(lines[i].substr(lines[i].find(')', lines[i].rfind('(')) + 2),
              std::string(DEFAULT_TEXTURE) + " 0 0 0 1 1");
  }
}

TEST_F(ObjectFile, OnlyValidSelectedBrushesAreWrittenAndNothingForAnEmptySelection) {
  make_world();
  const vertex_t a{0, 0, 0}, b{500, 0, 0};
  brush_t* kept = new_brush(&a, 16, 16, 16, 0);
  brush_t* deleted = new_brush(&b, 16, 16, 16, 0);
  EXPECT_EQ(object_text(vertex_t{}), "");
  EXPECT_EQ(raw_text(vertex_t{}), "");

  deleted->valid = 0;
  insert_brush_in_list(deleted);
  insert_brush_in_list(kept);
  EXPECT_EQ(lines_of(object_text(vertex_t{})).size(), 8u);
  EXPECT_EQ(lines_of(raw_text(vertex_t{})).size(), 6u);
}

TEST_F(ObjectFile, MergedCubeLandsSelectedAndRebuiltAtTheCamera) {
  const std::string text = saved_cube();
  reset_model();
  hull_t* world = make_world();
  const object_report r = merge_object_text(text, vertex_t{0, 1000, 0});
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r.clean());
  EXPECT_EQ(r.brushes, 1);
  ASSERT_EQ(count_brushes(world), 1);
  brush_t* cube = world->brush;
  EXPECT_EQ(cube->hull, world);
  EXPECT_EQ(selected(), std::vector<brush_t*>{cube});
  const vertex_t c = centre_of(cube);
  EXPECT_NEAR(c.x, 0, 0.5);
  EXPECT_NEAR(c.y, 1000, 0.5);
  EXPECT_NEAR(c.z, 0, 0.5);
  EXPECT_EQ(count_faces(cube), 6);
  for (const surf* s = cube->fsurf; s != nullptr; s = s->next) {
    EXPECT_EQ(s->numpoints, 4);
    EXPECT_EQ(s->texname, DEFAULT_TEXTURE);
    EXPECT_EQ(s->scale[0], 1);
    EXPECT_EQ(s->scale[1], 1);
  }
}

TEST_F(ObjectFile, MergedBrushesComeFirstInFileOrderAndReplaceTheSelection) {
  hull_t* world = make_world();
  const vertex_t at{0, 0, 0};
  brush_t* old = new_brush(&at, 16, 16, 16, 0);
  insert_brush_in_list(old);

  options.fixb = 0;  // faces keep the points they were read with
  const object_report r = merge_object_text(three_brushes, vertex_t{10, 20, 30});
  EXPECT_EQ(r.brushes, 3);
  std::vector<std::string> order;
  for (const brush_t* b = world->brush; b != nullptr; b = b->next) order.push_back(b->fsurf->texname);
  EXPECT_EQ(order, (std::vector<std::string>{"FIRST", "SECOND", "THIRD", DEFAULT_TEXTURE}));
  EXPECT_EQ(selected(), (std::vector<brush_t*>{world->brush, world->brush->next, world->brush->next->next}));
  const surf* s = world->brush->fsurf;
  EXPECT_EQ(s->point[1].x, 10);
  EXPECT_EQ(s->point[1].y, 21);
  EXPECT_EQ(s->point[1].z, 30);
}

TEST_F(ObjectFile, StrayTextCommentsAndLongTokensAreReadSafely) {
  hull_t* world = make_world();
  options.fixb = 0;
  const std::string texture(300, 'T');
  const std::string text = "} ( 1 2 3 ) \"pair\"\n// { a comment\n{ ( 1 2 3 ) ( 4 5 6 ) ( 7 8 9 ) " +
                           texture + " " + std::string(500, '9') + " x y z w }\n} ( stray";
  const object_report r = merge_object_text(text, vertex_t{});
  EXPECT_TRUE(r.clean());
  ASSERT_EQ(count_brushes(world), 1);
  EXPECT_EQ(world->brush->fsurf->texname, texture);
  EXPECT_EQ(world->brush->fsurf->point[2].z, 9);
}

TEST_F(ObjectFile, NumbersThatAreNotUsableNeverReachTheGeometry) {
  hull_t* world = make_world();
  options.fixb = 0;
  const object_report r = merge_object_text("{ ( nan inf 1e999 ) ( -inf abc 3 ) ( 1 3e38 3 ) T 0 0 0 1 1 }",
                                            vertex_t{0, 3e38f, 0});
  EXPECT_EQ(r.malformed_numbers, 6);  // 3e38 moved by 3e38 is beyond the float range
  const surf* s = world->brush->fsurf;
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(std::isfinite(s->point[i].x) && std::isfinite(s->point[i].y) && std::isfinite(s->point[i].z));
  }
  EXPECT_EQ(s->point[0].x, 0);
  EXPECT_EQ(s->point[1].y, 3e38f);
  EXPECT_EQ(s->point[2].y, 3e38f);
}

TEST_F(ObjectFile, CutTextMergesWhatWasReadAndSaysWhatWasLost) {
  hull_t* world = make_world();
  object_report r =
      merge_object_text("{ ( 0 0 0 ) ( 0 1 0 ) ( 0 0 1 ) A 0 0 0 1 1 } { ( 0 0 0 ) ( 1", vertex_t{});
  EXPECT_FALSE(r.complete);
  EXPECT_EQ(r.brushes, 2);
  EXPECT_EQ(r.unclosed_brushes, 1);
  ASSERT_EQ(count_brushes(world), 2);
  EXPECT_EQ(world->brush->next->fsurf, nullptr);  // the cut face was left out
  EXPECT_EQ(selected(), std::vector<brush_t*>{world->brush});

  // A '{' inside an open brush starts the next one; the first is merged unselected.
  r = merge_object_text("{ { }", vertex_t{});
  EXPECT_TRUE(r.complete);
  EXPECT_EQ(r.unclosed_brushes, 1);
  EXPECT_EQ(count_brushes(world), 4);
  EXPECT_EQ(selected(), std::vector<brush_t*>{world->brush->next});
}

TEST_F(ObjectFile, NoWorldOrNoFileChangesNothing) {
  object_report r = merge_object_text(three_brushes, vertex_t{});
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(hull, nullptr);

  hull_t* world = make_world();
  const vertex_t at{0, 0, 0};
  brush_t* old = new_brush(&at, 16, 16, 16, 0);
  insert_brush_in_list(old);
  r = merge_object(::testing::TempDir() + "/no such folder/x.vlp", vertex_t{});
  EXPECT_NE(r.error.find("no such folder/x.vlp"), std::string::npos) << r.error;
  EXPECT_EQ(count_brushes(world), 1);
  EXPECT_EQ(selected(), std::vector<brush_t*>{old});
  EXPECT_NE(write_object(::testing::TempDir() + "/no such folder/x.vlp", vertex_t{}), "");
  EXPECT_NE(write_raw(::testing::TempDir() + "/no such folder/x.raw", vertex_t{}), "");
}

TEST_F(ObjectFile, RawExportRoundsHalvesUpRelativeToTheCentre) {
  make_world();
  auto* b = new brush_t;
  b->valid = 1;
  b->hull = hull;
  hull->brush = b;
  add_face(b, {2.5f, -2.5f, 0.4f}, {-0.5f, 0.5f, 10}, {0, 0, -10});
  insert_brush_in_list(b);
  EXPECT_EQ(raw_text(vertex_t{0, 0, 0.5f}), "3 -2 0 0 1 10 0 0 -10 \n");
}

// Every brush of a whole map, saved as an object and merged back, stands on
// the planes it was read with.
class ObjectRoundTrip : public ModelTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ObjectRoundTrip, EveryBrushLandsOnItsOwnPlanes) {
  const std::string path = any_map_path(GetParam());
  SKIP_WITHOUT(path);
  ASSERT_TRUE(read_map(path).ok());
  struct face_plane {
    double n[3], d;
    std::string texture;
  };
  std::vector<std::vector<face_plane>> before;
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      insert_brush_in_list(b);
      before.emplace_back();
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
        // The plane the face was read with; fixbrush keeps its normal.
        const vertex_t& n = s->norm;
        const vertex_t& p = s->filepoint[0];
        before.back().push_back(
            {{n.x, n.y, n.z}, 1.0 * n.x * p.x + 1.0 * n.y * p.y + 1.0 * n.z * p.z, s->texname});
      }
    }
  }
  vertex_t c;
  ASSERT_TRUE(find_group_center(&c));
  const std::string text = object_text(c);

  // Merged back where the whole-numbered shift of the writer is undone.
  reset_model();
  hull_t* world = make_world();
  const vertex_t back{-std::floor(0.5f - c.x), -std::floor(0.5f - c.y), -std::floor(0.5f - c.z)};
  const object_report r = merge_object_text(text, back);
  ASSERT_TRUE(r.ok());
  EXPECT_TRUE(r.clean());
  ASSERT_EQ(r.brushes, static_cast<int>(before.size()));
  const brush_t* b = world->brush;
  for (const std::vector<face_plane>& faces : before) {
    ASSERT_EQ(count_faces(b), static_cast<int>(faces.size()));
    const surf* s = b->fsurf;
    for (const face_plane& f : faces) {
      EXPECT_EQ(s->texname, f.texture);
      for (int i = 0; i < s->numpoints; ++i) {
        const vertex_t& p = s->point[i];
        ASSERT_NEAR(f.n[0] * p.x + f.n[1] * p.y + f.n[2] * p.z, f.d, 0.1) << s->texname;
      }
      EXPECT_GT(f.n[0] * s->norm.x + f.n[1] * s->norm.y + f.n[2] * s->norm.z, 0.9999) << s->texname;
      s = s->next;
    }
    b = b->next;
  }
}

INSTANTIATE_TEST_SUITE_P(Maps, ObjectRoundTrip, ::testing::ValuesIn(EVERY_MAP_NAME), map_case_name);

// The headless commands write what the editor writes for the whole world
// entity selected.
TEST_F(ObjectFile, ToolWritesTheWorldAsRawTrianglesAndAsAnObject) {
  const std::string map = std::string(VELD_EXAMPLES_DIR) + "/box_room.map";
  const std::string raw = ::testing::TempDir() + "/world.raw", object = ::testing::TempDir() + "/world.vlp";
  const auto run = [](const std::string& args) { return std::system(("'" VELD_TOOL "' " + args).c_str()); };
  ASSERT_EQ(run("export-raw '" + map + "' '" + raw + "'"), 0);
  ASSERT_EQ(run("save-object '" + map + "' '" + object + "'"), 0);
  EXPECT_NE(run("save-object /no/such/map.map '" + object + "' 2>/dev/null"), 0);

  ASSERT_TRUE(read_map(map).ok());
  for (brush_t* b = hull->brush; b != nullptr; b = b->next) insert_brush_in_list(b);
  vertex_t c;
  ASSERT_TRUE(find_group_center(&c));
  const auto contents = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_EQ(contents(raw), raw_text(c));
  EXPECT_EQ(contents(object), object_text(c));
  EXPECT_GT(lines_of(contents(raw)).size(), 6u);
}
