// Camera transform, facing test, frustum clip, projection and picking.
#include <gtest/gtest.h>

#include "model/camera.h"
#include "model/map_state.h"
#include "render/draw_canvas.h"
#include "render/frame_list.h"
#include "render/projection.h"
#include "render_fixture.h"

namespace {

using ProjectionTest = RenderTest;

constexpr colour_t GREEN = make_rgb(0, 140, 0);

QRgb rgb(colour_t c) { return qRgb(colour_red(c), colour_green(c), colour_blue(c)); }

// A 10 x 10 wall facing the start-up camera 100 units ahead; it projects to
// (417, 300), (374, 300), (374, 257), (417, 256).
surf* small_wall() {
  return add_polygon(world_brush(), {{0, -100, 0}, {10, -100, 0}, {10, -100, 10}, {0, -100, 10}}, GREEN);
}

// The face in view space into w; whether it is drawn.
int visible(surf* s, winding& w) {
  rotate_surface(s, &w);
  return draw_surface(s, &w);
}

TEST_F(ProjectionTest, StartUpCameraPlacesPointsOnScreen) {
  vertex_t v;
  const vertex_t ahead{0, -100, 0};
  rotate_vertex(&ahead, &v);
  EXPECT_NEAR(v.x, 4.158, 1e-3);
  EXPECT_NEAR(v.y, 99.914, 1e-3);
  EXPECT_NEAR(v.z, 0.0, 1e-6);

  TDrawCanvas canvas;
  winding w;
  surf* tall =
      add_polygon(world_brush(), {{0, -100, 0}, {10, -100, 0}, {10, -100, 50}, {0, -100, 50}}, GREEN);
  ASSERT_EQ(visible(tall, w), 1);
  canvas.makepoly(&w, 1, 0);
  EXPECT_EQ(canvas.winbmp.pixel(417, 300), rgb(GREEN));
  EXPECT_EQ(canvas.winbmp.pixel(417, 84), rgb(GREEN));
  EXPECT_EQ(canvas.winbmp.pixel(418, 200), qRgb(255, 255, 255));  // outline only
  EXPECT_EQ(canvas.winbmp.pixel(400, 200), qRgb(255, 255, 255));

  canvas.makepoly(&w, 1, 1);
  EXPECT_EQ(canvas.winbmp.pixel(400, 200), rgb(GREEN));
}

TEST_F(ProjectionTest, FacingTestRejectsFacesSeenEdgeOnOrFromBehind) {
  // Slivers in planes x = c along the view direction, normals +x: the camera
  // at x = 0 is on their negative side by c.
  brush_t* b = world_brush();
  winding w;
  surf* far_enough = add_polygon(b, {{0.002f, -50, -10}, {0.002f, -50, 10}, {0.002f, -150, 10}}, GREEN);
  surf* too_close = add_polygon(b, {{0.0005f, -50, -10}, {0.0005f, -50, 10}, {0.0005f, -150, 10}}, GREEN);
  surf* behind = add_polygon(b, {{-0.002f, -50, -10}, {-0.002f, -50, 10}, {-0.002f, -150, 10}}, GREEN);
  EXPECT_EQ(visible(far_enough, w), 1);
  EXPECT_NEAR(far_enough->norm.x, 1.0f, 1e-6);
  EXPECT_NEAR(far_enough->dist, -0.002f, 1e-6);
  EXPECT_EQ(visible(too_close, w), 0);
  EXPECT_EQ(visible(behind, w), 0);

  // The same wall seen from its back.
  surf* wall = small_wall();
  origin = vertex_t{0, -200, 0};
  EXPECT_EQ(visible(wall, w), 0);
}

TEST_F(ProjectionTest, NearPlaneCutsAtDepthFive) {
  winding w;
  w.world[0] = {-1, 3, 0};
  w.world[1] = {1, 3, 0};
  w.world[2] = {1, 7, 0};
  w.world[3] = {-1, 7, 0};
  w.numworld = 4;
  EXPECT_EQ(draw_surf_side(frustum_planes[0], &w), 0);
  ASSERT_EQ(w.numworld, 4);
  const vertex_t want[4] = {{1, 5, 0}, {1, 7, 0}, {-1, 7, 0}, {-1, 5, 0}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(w.world[i].x, want[i].x) << i;
    EXPECT_FLOAT_EQ(w.world[i].y, want[i].y) << i;
    EXPECT_FLOAT_EQ(w.world[i].z, want[i].z) << i;
  }

  // Points between depth 4.9 and 5.1 count as on the plane and stay put.
  winding on;
  on.world[0] = {-1, 5.05f, 0};
  on.world[1] = {1, 5.05f, 0};
  on.world[2] = {0, 9, 0};
  on.numworld = 3;
  EXPECT_EQ(draw_surf_side(frustum_planes[0], &on), -1);
  EXPECT_EQ(on.numworld, 3);
  EXPECT_FLOAT_EQ(on.world[0].y, 5.05f);

  // Wholly nearer than 4.9: outside, and the face is not drawn.
  winding nearer;
  nearer.world[0] = {-1, 2, 0};
  nearer.world[1] = {1, 2, 0};
  nearer.world[2] = {0, 4.8f, 0};
  nearer.numworld = 3;
  EXPECT_EQ(draw_surf_side(frustum_planes[0], &nearer), 1);
  EXPECT_LT(nearer.numworld, 3);
}

TEST_F(ProjectionTest, ClipThatWouldNeedMoreThanSixteenPointsLeavesPolygonAlone) {
  // Thirteen points on the near plane count on both sides; then two points
  // inside with one outside between them add two crossings: seventeen inside.
  winding w;
  for (int i = 0; i < 13; ++i) w.world[i] = {static_cast<float>(i), 5.0f, static_cast<float>(i % 2)};
  w.world[13] = {13, 50, 0};
  w.world[14] = {14, 0, 0};
  w.world[15] = {15, 50, 0};
  w.numworld = 16;
  const winding before = w;
  EXPECT_EQ(draw_surf_side(frustum_planes[0], &w), 0);
  EXPECT_EQ(w.numworld, 16);
  for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(w.world[i].y, before.world[i].y);
}

TEST_F(ProjectionTest, MousePicksFaceInsideAndVertexWithinFourPixels) {
  TDrawCanvas canvas;
  surf* wall = small_wall();
  winding w;
  ASSERT_EQ(visible(wall, w), 1);

  canvas.Point = QPoint(395, 278);
  canvas.makepoly(&w, 1, 0);
  EXPECT_EQ(thi, wall);
  EXPECT_EQ(closest_point, nullptr);

  // On the bottom edge: t is 0 there, which is not inside.
  thi = nullptr;
  canvas.Point = QPoint(395, 300);
  canvas.makepoly(&w, 1, 0);
  EXPECT_EQ(thi, nullptr);

  canvas.Point = QPoint(413, 296);  // 4 pixels from (417, 300) both ways
  canvas.makepoly(&w, 1, 0);
  EXPECT_EQ(closest_point, &wall->point[0]);

  closest_point = nullptr;
  canvas.Point = QPoint(412, 296);  // 5 pixels off in x
  canvas.makepoly(&w, 1, 0);
  EXPECT_EQ(closest_point, nullptr);
  canvas.Point = QPoint(413, 305);  // 5 pixels off in y
  canvas.makepoly(&w, 1, 0);
  EXPECT_EQ(closest_point, nullptr);
}

TEST_F(ProjectionTest, NothingIsPickedDuringADragOrFromDegeneratePolygons) {
  TDrawCanvas canvas;
  surf* wall = small_wall();
  winding w;
  ASSERT_EQ(visible(wall, w), 1);
  canvas.Point = QPoint(413, 296);
  canvas.DragDC = true;
  canvas.makepoly(&w, 1, 0);
  EXPECT_EQ(thi, nullptr);
  EXPECT_EQ(closest_point, nullptr);

  // A polygon of fewer than three points has no inside to hold the mouse.
  canvas.DragDC = false;
  for (int n : {0, 1, 2}) {
    w.numworld = static_cast<signed char>(n);
    canvas.Point = QPoint(395, 278);
    canvas.makepoly(&w, 1, 1);
    EXPECT_EQ(thi, nullptr) << n << " points";
  }
}

TEST_F(ProjectionTest, FarOffPointsAreHeldToTheDrawableRange) {
  // A huge zoom and a point at the eye must not overflow the pixel conversion.
  TDrawCanvas canvas;
  surf* wall = small_wall();
  winding w;
  ASSERT_EQ(visible(wall, w), 1);
  canvas.vd = 1e12f;
  canvas.makepoly(&w, 1, 1);
  w.world[0] = {1e30f, 0.0f, -1e30f};
  canvas.vd = 1.0f;
  canvas.makepoly(&w, 1, 0);
  SUCCEED();
}

TEST_F(ProjectionTest, VertexIsMatchedBackToItsFacePoint) {
  surf* wall = small_wall();
  winding w;
  rotate_surface(wall, &w);
  vertex_t p = w.world[2];
  p.x += 0.0009f;
  find_original_vertex(&w, &p);
  EXPECT_EQ(closest_point, &wall->point[2]);

  // A point made by clipping matches none of the face's points.
  p.x += 0.01f;
  find_original_vertex(&w, &p);
  EXPECT_EQ(closest_point, nullptr);

  winding loose;
  find_original_vertex(&loose, &p);
  EXPECT_EQ(closest_point, nullptr);
}

TEST_F(ProjectionTest, OverheadRectangleMarksOnlyBrushesStrictlyInside) {
  // Rectangle (100, 100)-(200, 200) covers x -7000..-6000, y 4000..5000.
  Srect = select_rect{100, 100, 200, 200};
  brush_t* inside = world_brush();
  add_polygon(inside, {{-6500, 4500, 0}, {-6400, 4500, 0}, {-6400, 4600, 0}}, GREEN);
  brush_t* on_border = world_brush();
  add_polygon(on_border, {{-7000, 4500, 0}, {-7000, 4000, 0}, {-8000, 3000, 0}}, GREEN);
  brush_t* outside = world_brush();
  add_polygon(outside, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, GREEN);
  auto* marker = new brush_t;
  marker->valid = 1;
  marker->vis = 1;
  marker->entity = 0;
  add_polygon(marker, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, GREEN);
  entities[0].brush = marker;
  entities[0].valid = 1;
  numentity = 1;

  find_visible_surfaces();
  EXPECT_EQ(inside->vis, 1);
  EXPECT_EQ(on_border->vis, 0);
  EXPECT_EQ(outside->vis, 0);
  EXPECT_EQ(marker->vis, 1);
}

}  // namespace
