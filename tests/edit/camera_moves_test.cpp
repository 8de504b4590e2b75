// The camera put at the player's start and in front of the selection.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "edit/box_brush.h"
#include "edit/camera_moves.h"
#include "edit/grid_snap.h"
#include "mapio/map_reader.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "model_fixture.h"

namespace {

using CameraMoves = ModelTest;

std::string start_map(const std::string& pairs) {
  return "{\n\"classname\" \"worldspawn\"\n}\n{\n\"classname\" \"info_player_deathmatch\"\n\"origin\" \"9 9 "
         "9\"\n}\n"
         "{\n\"classname\" \"info_player_start\"\n\"origin\" \"-200 -100 24\"\n" +
         pairs + "}\n";
}

}  // namespace

TEST_F(CameraMoves, ThePlayerStartIsReachedLookingTheWayThePlayerWill) {
  for (const double degrees : {0.0, 90.0, 180.0, 270.0, 45.0, -90.0}) {
    ASSERT_TRUE(read_map_text(start_map("\"angle\" \"" + std::to_string(degrees) + "\"\n")).ok());
    angle = {0.3f, 0.2f, 1.0f};
    compute_angles();
    ASSERT_TRUE(go_to_player_start());
    EXPECT_EQ(origin, (vertex_t{-200, -100, 24}));
    const vertex_t ahead = camera_forward();
    const double a = degrees * std::numbers::pi / 180;
    EXPECT_NEAR(ahead.x, std::cos(a), 1e-5) << degrees;
    EXPECT_NEAR(ahead.y, std::sin(a), 1e-5) << degrees;
    EXPECT_NEAR(ahead.z, 0.0, 1e-6) << degrees;
    EXPECT_EQ(angle.x, 0.0f);
    EXPECT_EQ(angle.y, 0.0f);
    EXPECT_LE(std::abs(angle.z), std::numbers::pi_v<float>);
  }

  // No angle: along +x.
  ASSERT_TRUE(read_map_text(start_map("")).ok());
  ASSERT_TRUE(go_to_player_start());
  EXPECT_NEAR(camera_forward().x, 1.0, 1e-6);

  // Only a deathmatch start, or a deleted player start: the camera stays.
  ASSERT_TRUE(read_map_text(start_map("")).ok());
  entities[player_start_slot()].valid = 0;
  origin = {1, 2, 3};
  EXPECT_EQ(player_start_slot(), -1);
  EXPECT_FALSE(go_to_player_start());
  EXPECT_EQ(origin, (vertex_t{1, 2, 3}));
}

TEST_F(CameraMoves, TheSelectionIsCentredAndWhollyInThePicture) {
  make_world();
  const vertex_t far{3000, -2000, 500};
  brush_t* big = new_brush(&far, 512, 256, 128, 0);
  origin = {0, 0, 0};
  angle = {0.2f, 0.0f, 2.0f};
  compute_angles();
  const vertex_t ahead = camera_forward();
  EXPECT_FALSE(centre_on_selection(START_FOCAL_LENGTH, START_ZOOM));
  EXPECT_EQ(origin, (vertex_t{0, 0, 0}));

  insert_brush_in_list(big);
  ASSERT_TRUE(centre_on_selection(START_FOCAL_LENGTH, START_ZOOM));
  EXPECT_EQ(camera_forward(), ahead);  // the camera only moved
  vertex_t lo, hi;
  ASSERT_TRUE(brush_bounds(big, &lo, &hi));
  const auto screen = [](const vertex_t& p) {
    vertex_t v;
    rotate_vertex(&p, &v);
    EXPECT_GT(v.y, 0.0f);
    return std::pair{START_CENTRE_X + v.x * START_FOCAL_LENGTH / v.y,
                     START_CENTRE_Y - v.z * START_FOCAL_LENGTH / v.y};
  };
  const auto [cx, cy] = screen(0.5f * (lo + hi));
  EXPECT_NEAR(cx, START_CENTRE_X, 2.0);
  EXPECT_NEAR(cy, START_CENTRE_Y, 2.0);
  for (const float x : {lo.x, hi.x}) {
    for (const float y : {lo.y, hi.y}) {
      for (const float z : {lo.z, hi.z}) {
        const auto [sx, sy] = screen({x, y, z});
        EXPECT_GT(sx, 0.0f);
        EXPECT_LT(sx, 800.0f);
        EXPECT_GT(sy, 0.0f);
        EXPECT_LT(sy, 600.0f);
      }
    }
  }
}
