// The top view of whole maps checked against the rules of the projection:
// grid lines at the columns and rows where multiples of the grid fall, and
// outline pixels at every corner of every face the view sees.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "built_map.h"
#include "mapio/map_reader.h"
#include "model/camera.h"
#include "render/plan_view.h"
#include "render_fixture.h"

namespace {

constexpr int W = 640, H = 480;
constexpr double ZOOM = 0.25;  // a 16-unit grid falls every 4 pixels
constexpr int GRID = 16;

// Where a world x or y falls, worked out here rather than by the view.
int column_of(double x) { return static_cast<int>(std::floor(W / 2.0 + x * ZOOM + 0.5)); }
int row_of(double y) { return static_cast<int>(std::floor(H / 2.0 - y * ZOOM + 0.5)); }

class PlanPicture : public RenderTest {};

float along(const vertex_t& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// Every corner of a face not seen edge-on, where the projection puts it, is
// an outline pixel. Returns how many corners fell inside the picture.
int check_corners(const QImage& img, const plan_camera& c) {
  const std::set<QRgb> outline{BRUSH_LINE, ENTITY_LINE};
  const int r = right_axis(c.axis), u = up_axis(c.axis);
  int corners = 0;
  for (const brush_t* b : plan_brushes()) {
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      double area = 0;
      for (int i = 0, j = s->numpoints - 1; i < s->numpoints; j = i++) {
        area += double{along(s->point[j], r)} * along(s->point[i], u) -
                double{along(s->point[i], r)} * along(s->point[j], u);
      }
      if (std::fabs(area) < 1) continue;
      for (int i = 0; i < s->numpoints; ++i) {
        const double x = std::floor(c.width / 2.0 + (along(s->point[i], r) - c.centre_u) * c.zoom + 0.5);
        const double y = std::floor(c.height / 2.0 - (along(s->point[i], u) - c.centre_v) * c.zoom + 0.5);
        if (x < 0 || y < 0 || x >= c.width || y >= c.height) continue;
        EXPECT_TRUE(outline.count(img.pixel(static_cast<int>(x), static_cast<int>(y))) != 0) << x << "," << y;
        ++corners;
      }
    }
  }
  return corners;
}

}  // namespace

class PlanPictureOf : public PlanPicture, public ::testing::WithParamInterface<const char*> {};

TEST_P(PlanPictureOf, TopViewFollowsTheGridAndTheProjection) {
  const std::string path = any_map_path(GetParam());
  SKIP_WITHOUT(path);
  ASSERT_TRUE(read_map(path).ok());
  origin = {1e6f, 1e6f, 0};  // the camera mark far out of the picture
  const plan_camera c{plan_axis::top, 0, 0, ZOOM, W, H};
  QImage img(W, H, QImage::Format_RGB32);
  draw_plan(img, c, GRID, nullptr);

  std::set<int> grid_columns, grid_rows;
  for (int k = -W; k <= W; ++k) {
    grid_columns.insert(column_of(k * GRID));
    grid_rows.insert(row_of(k * GRID));
  }
  const std::set<QRgb> grid_colours{GRID_LINE, GRID_STRONG, GRID_AXIS};
  const std::set<QRgb> brush_colours{BRUSH_LINE, ENTITY_LINE};
  // Grid colours only on grid lines; the strong ones every 8th, the axes at 0.
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      if (grid_colours.count(img.pixel(x, y)) == 0) continue;
      ASSERT_TRUE(grid_columns.count(x) != 0 || grid_rows.count(y) != 0) << x << "," << y;
    }
  }
  for (int y = 0; y < H; ++y) {
    EXPECT_TRUE(brush_colours.count(img.pixel(column_of(0), y)) != 0 ||
                img.pixel(column_of(0), y) == GRID_AXIS);
  }
  int strong_seen = 0, plain_seen = 0;
  for (int k = -9; k <= 9; ++k) {
    const QRgb p = img.pixel(column_of(k * GRID), 2);
    if (brush_colours.count(p) != 0) continue;
    if (k == 0) {
      EXPECT_EQ(p, GRID_AXIS);
    } else if (k % GRID_STRONG_EVERY == 0) {
      EXPECT_TRUE(p == GRID_STRONG || p == GRID_AXIS) << k;
      ++strong_seen;
    } else {
      EXPECT_TRUE(grid_colours.count(p) != 0) << k;
      ++plain_seen;
    }
  }
  EXPECT_GT(strong_seen, 0);
  EXPECT_GT(plain_seen, 8);

  const int corners = check_corners(img, c);
  EXPECT_GT(corners, GetParam() == BUILT_MAP ? 300 : 2000);
}

INSTANTIATE_TEST_SUITE_P(Maps, PlanPictureOf, ::testing::Values(BUILT_MAP, "e1m1.map"), map_case_name);

TEST_F(PlanPicture, ZoomAboutAPointKeepsItAndPicksGoFrontMostFirst) {
  ASSERT_TRUE(read_map(built_map_path()).ok());
  plan_camera c{plan_axis::side, 100, -40, 0.3, 500, 400};
  for (const double factor : {1.25, 0.8, 3.0, 1e-9, 1e9}) {
    const QPointF at(123, 321);
    const QPointF before = plan_world(c, at);
    zoom_about(c, at, factor);
    EXPECT_NEAR(plan_world(c, at).x(), before.x(), 1e-6);
    EXPECT_NEAR(plan_world(c, at).y(), before.y(), 1e-6);
    EXPECT_GE(c.zoom, PLAN_ZOOM_MIN);
    EXPECT_LE(c.zoom, PLAN_ZOOM_MAX);
  }
  // In every view, whatever lies under a point comes nearest the eye first.
  for (const plan_axis axis : {plan_axis::top, plan_axis::front, plan_axis::side}) {
    c = {axis, 0, 0, 0.2, 800, 600};
    int stacked = 0;
    for (int y = 0; y < 600; y += 41) {
      for (int x = 0; x < 800; x += 53) {
        const std::vector<brush_t*> hits = brushes_at(c, QPointF(x, y));
        const auto reach = [axis](const brush_t* b) {
          float r = -1e30f;
          for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
            for (int k = 0; k < s->numpoints; ++k) r = std::max(r, nearness(axis, s->point[k]));
          }
          return r;
        };
        for (std::size_t i = 1; i < hits.size(); ++i) ASSERT_GE(reach(hits[i - 1]), reach(hits[i]));
        stacked += hits.size() > 1 ? 1 : 0;
      }
    }
    EXPECT_GT(stacked, 10);
  }
}

// Maps written by other tools, with their odd shapes and far-off brushes:
// every view draws every corner where it belongs, at every zoom.
TEST_F(PlanPicture, EveryWildMapDrawsInEveryView) {
  const std::string wild = map_path("wild");
  SKIP_WITHOUT(wild);
  int maps = 0, corners = 0;
  QImage img(320, 240, QImage::Format_RGB32);
  for (const auto& entry : std::filesystem::directory_iterator(wild)) {
    if (entry.path().extension() != ".map") continue;
    reset_model();
    if (!read_map(entry.path().string()).ok()) continue;
    ++maps;
    origin = {1e9f, 1e9f, 1e9f};  // the camera mark out of every picture
    for (const plan_axis axis : {plan_axis::top, plan_axis::front, plan_axis::side}) {
      for (const double zoom : {PLAN_ZOOM_MIN, 1.0, PLAN_ZOOM_MAX}) {
        const plan_camera c{axis, 0, 0, zoom, 320, 240};
        draw_plan(img, c, 16, nullptr);
        corners += check_corners(img, c);
      }
    }
  }
  EXPECT_GT(maps, 100);
  EXPECT_GT(corners, 100000);
}
