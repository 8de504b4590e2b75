#include "edit/brush_creator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <tuple>

#include "brush_shapes.h"
#include "model/camera.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

using BrushCreator = ModelTest;

using box6 = std::tuple<int, int, int, int, int, int>;  // x, y and z ranges

box6 rounded(const brush_t* b, const vertex_t& o) {
  const span e = extent(b);
  auto r = [](float v) { return static_cast<int>(std::lround(v)); };
  return {r(e.lo[0] - o.x), r(e.hi[0] - o.x), r(e.lo[1] - o.y),
          r(e.hi[1] - o.y), r(e.lo[2] - o.z), r(e.hi[2] - o.z)};
}

std::multiset<box6> brushes_of_world(const vertex_t& o) {
  std::multiset<box6> out;
  for (const brush_t* b = hull->brush; b != nullptr; b = b->next) out.insert(rounded(b, o));
  return out;
}

}  // namespace

TEST_F(BrushCreator, BoxAheadOfTheCameraStartsAMap) {
  options.snap_to_grid = 0;  // exactly ahead of the camera
  origin = {10, 20, 30};
  EXPECT_EQ(brush_creator_build(1, 64, 32, 16, 0, 0, 1), creator_outcome::built);
  EXPECT_MODEL_OK();  // hollow alone does nothing
  ASSERT_NE(hull, nullptr);
  EXPECT_STREQ(hull->classname, "worldspawn");
  EXPECT_STREQ(hull->wad, "quaketex.wad");
  EXPECT_STREQ(hull->message, "Created By VELD");
  EXPECT_EQ(hull->next, nullptr);
  ASSERT_NE(hull->header, nullptr);
  EXPECT_STREQ(hull->header->key, "classname");
  EXPECT_STREQ(hull->header->value, "worldspawn");
  ASSERT_NE(hull->header->next, nullptr);
  EXPECT_STREQ(hull->header->next->key, "wad");
  EXPECT_STREQ(hull->header->next->value, "quaketex.wad");
  EXPECT_EQ(hull->header->next->next, nullptr);

  ASSERT_EQ(count_brushes(hull), 1);
  const vertex_t o{10 + 100 * sangz, 20 + 100 * cangz, 30};
  EXPECT_EQ(rounded(hull->brush, o), box6(-16, 16, -32, 32, -8, 8));

  // A second box goes into the same world.
  hull_t* world = hull;
  EXPECT_EQ(brush_creator_build(1, 8, 8, 8, 0, 0, 0), creator_outcome::built);
  EXPECT_MODEL_OK();
  EXPECT_EQ(hull, world);
  EXPECT_EQ(count_brushes(hull), 2);
}

TEST_F(BrushCreator, CancelOrSizesOutOfRangeChangeNothing) {
  EXPECT_EQ(brush_creator_build(0, 64, 64, 64, 8, 1, 0), creator_outcome::cancelled);
  EXPECT_EQ(brush_creator_build(1, 1e9, 64, 64, 8, 0, 0), creator_outcome::out_of_range);
  EXPECT_EQ(brush_creator_build(1, 64, std::nan(""), 64, 8, 0, 0), creator_outcome::out_of_range);
  EXPECT_EQ(brush_creator_build(1, 64, 64, -std::numeric_limits<double>::infinity(), 8, 0, 0),
            creator_outcome::out_of_range);
  // The inner box of a room would be 32767 + 2 wide.
  EXPECT_EQ(brush_creator_build(1, 32767, 64, 64, -2, 1, 0), creator_outcome::out_of_range);
  EXPECT_EQ(hull, nullptr);
}

TEST_F(BrushCreator, SizesAreCutTowardsZero) {
  options.fixb = 0;  // keep the defining points, so an inside-out box can be read back
  options.snap_to_grid = 0;
  origin = {};
  ASSERT_EQ(brush_creator_build(1, 64.9, -64.9, 32767.9, 0, 0, 0), creator_outcome::built);
  EXPECT_MODEL_OK();
  const vertex_t o{100 * sangz, 100 * cangz, 0};
  const surf* bottom = hull->brush->fsurf;
  // Width -64 puts x- at +32 and x+ at -32; length 64 spans y -32..32.
  EXPECT_NEAR(bottom->point[0].x - o.x, 32, 1e-3);
  EXPECT_NEAR(bottom->point[1].x - o.x, -32, 1e-3);
  EXPECT_NEAR(bottom->point[0].y - o.y, -32, 1e-3);
  EXPECT_NEAR(bottom->point[2].y - o.y, 32, 1e-3);
  EXPECT_NEAR(bottom->point[0].z, -16383.5, 1e-3);
}

TEST_F(BrushCreator, RoomIsSixPiecesAroundTheCamera) {
  options.snap_to_grid = 0;
  origin = {8, -16, 40};
  const vertex_t o = origin;
  ASSERT_EQ(brush_creator_build(1, 128, 128, 128, 16, 1, 0), creator_outcome::built);
  EXPECT_MODEL_OK();
  const std::multiset<box6> room = {
      {-64, 64, -64, 64, -64, -56},  // floor
      {-64, 64, -64, -56, -56, 64},  // y- wall
      {-64, -56, -56, 64, -56, 64},  // x- wall
      {-56, 64, 56, 64, -56, 64},    // y+ wall
      {56, 64, -56, 56, -56, 64},    // x+ wall
      {-56, 56, -56, 56, 56, 64},    // ceiling
  };
  std::multiset<box6> with_core = room;
  with_core.insert({-56, 56, -56, 56, -56, 56});
  EXPECT_EQ(brushes_of_world(o), with_core);
  EXPECT_MODEL_OK();
  release_map();

  ASSERT_EQ(brush_creator_build(1, 128, 128, 128, 16, 1, 1), creator_outcome::built);

  EXPECT_MODEL_OK();
  EXPECT_EQ(brushes_of_world(o), room);
}

TEST_F(BrushCreator, RoomWithoutThickness) {
  origin = {};
  ASSERT_EQ(brush_creator_build(1, 64, 64, 64, 0, 1, 0), creator_outcome::built);
  EXPECT_MODEL_OK();
  EXPECT_EQ(brushes_of_world(origin), std::multiset<box6>{box6(-32, 32, -32, 32, -32, 32)});
  release_map();

  ASSERT_EQ(brush_creator_build(1, 64, 64, 64, 0, 1, 1), creator_outcome::built);

  EXPECT_MODEL_OK();
  ASSERT_NE(hull, nullptr);
  EXPECT_EQ(hull->brush, nullptr);
}

TEST_F(BrushCreator, WithSnappingTheBoxAndTheRoomHaveTheirCornersOnTheGrid) {
  ASSERT_EQ(options.snap_to_grid, 1);
  options.grid_size = 16;
  origin = {10, 21, 30};
  const auto on_grid = [](const brush_t* b) {
    const span e = extent(b);
    for (int i = 0; i < 3; ++i) {
      if (std::fmod(e.lo[i], 16.0f) != 0 || std::fmod(e.hi[i], 16.0f) != 0) return false;
    }
    return true;
  };
  ASSERT_EQ(brush_creator_build(1, 64, 32, 16, 0, 0, 0), creator_outcome::built);
  const span e = extent(hull->brush);
  EXPECT_EQ(e.hi[0] - e.lo[0], 32);
  EXPECT_EQ(e.hi[1] - e.lo[1], 64);
  EXPECT_EQ(e.hi[2] - e.lo[2], 16);
  EXPECT_TRUE(on_grid(hull->brush));
  release_map();
  // A room of grid-sized walls: every piece on the grid.
  ASSERT_EQ(brush_creator_build(1, 128, 128, 128, 32, 1, 1), creator_outcome::built);
  EXPECT_EQ(count_brushes(hull), 6);
  for (const brush_t* b = hull->brush; b != nullptr; b = b->next) EXPECT_TRUE(on_grid(b));
  EXPECT_MODEL_OK();
}
