#include "edit/transforms.h"

#include <gtest/gtest.h>

#include <cmath>

#include "brush_shapes.h"
#include "edit/box_brush.h"
#include "edit/grid_snap.h"
#include "model/camera.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

class Transforms : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    reset_edit_steps();
  }
  void TearDown() override {
    ModelTest::TearDown();
    reset_edit_steps();
  }
};

brush_t* box(vertex_t o, short l, short w, short h) { return new_brush(&o, l, w, h, 0); }

void expect_near(const vertex_t& v, float x, float y, float z, float tol = 1e-3f) {
  EXPECT_NEAR(v.x, x, tol);
  EXPECT_NEAR(v.y, y, tol);
  EXPECT_NEAR(v.z, z, tol);
}

// A 64-unit cube with a seventh plane above it at z = 40 facing the cube: the
// plane bounds nothing, so rebuilding leaves that face without points.
brush_t* cube_with_spare_plane() {
  brush_t* b = box({0, 0, 0}, 64, 64, 64);
  add_plane(b, {0, 0, 40}, {1, 0, 40}, {0, 1, 40}, {0, 0, 0});
  fixbrush(b);
  return b;
}

surf* last_face(brush_t* b) {
  surf* s = b->fsurf;
  while (s->next != nullptr) s = s->next;
  return s;
}

}  // namespace

TEST_F(Transforms, CentreIsTheMeanOfFaceCentroids) {
  make_world();
  vertex_t c{9, 9, 9};
  ASSERT_TRUE(find_center(box({0, 0, 0}, 64, 64, 64), &c));
  expect_near(c, 0, 0, 0);

  // Unbuilt, each face is its defining triangle, which pulls the centre off.
  options.fixb = 0;
  ASSERT_TRUE(find_center(box({0, 0, 0}, 64, 64, 64), &c));
  expect_near(c, 32.0f / 9, -32.0f / 9, 32.0f / 9);
}

TEST_F(Transforms, FacesWithoutPointsDoNotPoisonTheCentre) {
  make_world();
  brush_t* b = cube_with_spare_plane();
  ASSERT_EQ(last_face(b)->numpoints, 0);
  vertex_t c;
  ASSERT_TRUE(find_center(b, &c));
  expect_near(c, 0, 0, 0);

  // A brush with no usable face at all has no centre, and turning it as the
  // only selected brush leaves it alone.
  auto* empty = new brush_t;
  empty->hull = hull;
  empty->next = hull->brush;
  hull->brush = empty;
  add_face(empty, {1, 2, 3}, {4, 5, 6}, {7, 8, 10})->numpoints = 0;
  vertex_t untouched{7, 7, 7};
  EXPECT_FALSE(find_center(empty, &untouched));
  expect_near(untouched, 7, 7, 7, 0);
  insert_brush_in_list(empty);
  rotate_brushZ(0);
  EXPECT_MODEL_OK();
  expect_near(empty->fsurf->point[0], 1, 2, 3, 0);
  vertex_t g;
  EXPECT_FALSE(find_group_center(&g));
  unselectbrushes();
  EXPECT_FALSE(find_group_center(&g));  // nothing selected
}

TEST_F(Transforms, GroupCentreAndRotationAboutIt) {
  make_world();
  rotation_angle = 90;
  brush_t* a = box({0, 0, 0}, 64, 32, 16);
  brush_t* b = box({100, 0, 0}, 16, 16, 16);
  insert_brush_in_list(a);
  vertex_t c;
  ASSERT_TRUE(find_group_center(&c));
  expect_near(c, 0, 0, 0);

  // Alone, a quarter turn about z keeps the centre and swaps the spans.
  rotate_brushZ(0);
  EXPECT_MODEL_OK();
  ASSERT_TRUE(find_center(a, &c));
  expect_near(c, 0, 0, 0);
  span e = extent(a);
  EXPECT_NEAR(e.size(0), 64, 1e-3);
  EXPECT_NEAR(e.size(1), 32, 1e-3);

  // Together, both turn about their common centre (50, 0, 0); positive is
  // anticlockwise seen from above, and up turns the other way.
  insert_brush_in_list(b);
  rotate_brushZ(0);
  EXPECT_MODEL_OK();
  ASSERT_TRUE(find_center(a, &c));
  expect_near(c, 50, -50, 0);
  ASSERT_TRUE(find_center(b, &c));
  expect_near(c, 50, 50, 0);
  rotate_brushZ(1);
  EXPECT_MODEL_OK();
  ASSERT_TRUE(find_center(b, &c));
  expect_near(c, 100, 0, 0);
}

TEST_F(Transforms, RotationMatchesTheCameraTransform) {
  make_world();
  brush_t* b = box({10, -20, 5}, 40, 24, 8);
  const vertex_t centre{10, -20, 5};
  const vertex_t delta{0.3f, -0.5f, 1.1f};
  vertex_t expected[6][MAX_POINTS];
  origin = centre;
  angle = delta;
  compute_angles();
  int f = 0;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next, ++f) {
    for (int i = 0; i < s->numpoints; ++i) {
      rotate_vertex(&s->point[i], &expected[f][i]);
      expected[f][i] = {expected[f][i].x + centre.x, expected[f][i].y + centre.y,
                        expected[f][i].z + centre.z};
    }
  }
  reset_camera();

  rotate_brush(b, &centre, &delta);
  f = 0;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next, ++f) {
    for (int i = 0; i < s->numpoints; ++i) {
      EXPECT_EQ(s->point[i].x, expected[f][i].x);
      EXPECT_EQ(s->point[i].y, expected[f][i].y);
      EXPECT_EQ(s->point[i].z, expected[f][i].z);
    }
  }
}

TEST_F(Transforms, EightStepsFallShortOfAFullTurn) {
  make_world();
  options.fixb = 0;  // compare the very points, without rebuilding
  brush_t* b = box({30, 10, 0}, 64, 32, 16);
  insert_brush_in_list(b);
  const vertex_t start = b->fsurf->next->point[1];
  for (int i = 0; i < 8; ++i) rotate_brushZ(0);
  const vertex_t end = b->fsurf->next->point[1];
  EXPECT_TRUE(start.x != end.x || start.y != end.y);
  expect_near(end, start.x, start.y, start.z, 0.01f);
}

TEST_F(Transforms, PlaneOfAnEmptyFaceMovesWithTheBrush) {
  make_world();
  // Turned 45 degrees about x, the cube reaches z = 32 * sqrt 2; a spare plane
  // left behind at z = 40 would cut its top edge off.
  brush_t* b = cube_with_spare_plane();
  insert_brush_in_list(b);
  rotate_brushX(0);
  EXPECT_MODEL_OK();
  EXPECT_NEAR(extent(b).hi[2], 45.2548f, 1e-2);
  EXPECT_LT(last_face(b)->numpoints, 3);

  // Moved up by 20 and rebuilt, the top must follow to 52.
  brush_t* c = cube_with_spare_plane();
  const vertex_t up{0, 0, 20};
  for (surf* s = c->fsurf; s != nullptr; s = s->next) add_vect_to_surface(s, &up);
  fixbrush(c);
  EXPECT_NEAR(extent(c).hi[2], 52, 1e-3);
}

TEST_F(Transforms, MarkerTurnedWithAGroupCarriesItsEntity) {
  make_world();
  rotation_angle = 90;
  const vertex_t at{100, 0, 0};
  brush_t* m = new_brush(&at, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  m->entity = 0;
  entities[0] = dentity_t{nullptr, at, 1, m, {}};
  numentity = 1;
  insert_brush_in_list(box({0, 0, 0}, 16, 16, 16));
  insert_brush_in_list(m);
  rotate_brushZ(0);
  EXPECT_MODEL_OK();
  expect_near(entities[0].origin, 50, 50, 0);
  vertex_t c;
  ASSERT_TRUE(find_center(m, &c));
  expect_near(c, 50, 50, 0);
}

TEST_F(Transforms, DragSurfPushesOnlyWhileTheCentreIsAStepAway) {
  make_world();
  brush_t* flat = box({0, 0, 0}, 64, 64, 8);
  hilight = flat->fsurf;  // the bottom, 4 units below the centre
  drag_surf(0);
  EXPECT_MODEL_OK();
  EXPECT_EQ(extent(flat).lo[2], -4);
  drag_surf(1);
  EXPECT_MODEL_OK();
  EXPECT_NEAR(extent(flat).lo[2], -9, 1e-4);
  EXPECT_NEAR(extent(flat).hi[2], 4, 1e-4);

  brush_t* cube = box({0, 0, 0}, 64, 64, 64);
  hilight = cube->fsurf;
  drag_surf(0);
  EXPECT_MODEL_OK();
  EXPECT_NEAR(extent(cube).lo[2], -27, 1e-4);
  drag_distance = -5;  // a negative step reverses both directions
  drag_surf(0);
  EXPECT_MODEL_OK();
  EXPECT_NEAR(extent(cube).lo[2], -32, 1e-4);
}

TEST_F(Transforms, DragSurfUnbuiltMovesTheFaceAndItsFilePoints) {
  make_world();
  options.fixb = 0;
  brush_t* b = box({0, 0, 0}, 64, 64, 64);
  surf* bottom = b->fsurf;
  bottom->hasfilepoints = 1;
  for (int i = 0; i < 3; ++i) bottom->filepoint[i] = bottom->point[i];
  makenormal(bottom, origin);
  hilight = bottom;
  drag_surf(1);
  EXPECT_MODEL_OK();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(bottom->point[i].z, -37);
    EXPECT_EQ(bottom->filepoint[i].z, -37);
  }
  // The y- side keeps its corner at the old bottom until a rebuild.
  EXPECT_EQ(bottom->next->point[2].z, -32);
}

// Snapping turned boxes of every size to grids of every size: either every
// point lands on the grid and the brush keeps all its faces and some
// thickness, or the brush is left exactly as it was.
TEST_F(Transforms, SnappingPutsEveryPointOnTheGridOrLeavesTheBrushAlone) {
  make_world();
  veld_srand(7);
  int snapped_count = 0, refused = 0;
  for (int trial = 0; trial < 300; ++trial) {
    options.grid_size = 1 << (veld_rand() % 9);
    const vertex_t o{static_cast<float>(veld_rand() % 400 - 200), static_cast<float>(veld_rand() % 400 - 200),
                     0};
    brush_t* b = box(o, static_cast<short>(1 + veld_rand() % 200), static_cast<short>(1 + veld_rand() % 200),
                     static_cast<short>(1 + veld_rand() % 200));
    const vertex_t turn{0.01f * (veld_rand() % 314), 0.01f * (veld_rand() % 314),
                        0.01f * (veld_rand() % 314)};
    rotate_brush(b, &o, &turn);
    fixbrush(b);
    std::vector<vertex_t> before;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next)
      before.insert(before.end(), s->point.data(), s->point.data() + s->numpoints);
    if (!snap_brush_points(b)) {
      std::vector<vertex_t> after;
      for (const surf* s = b->fsurf; s != nullptr; s = s->next)
        after.insert(after.end(), s->point.data(), s->point.data() + s->numpoints);
      EXPECT_EQ(after, before);
      ++refused;
      continue;
    }
    ++snapped_count;
    vertex_t lo, hi;
    ASSERT_TRUE(brush_bounds(b, &lo, &hi));
    EXPECT_TRUE(lo.x < hi.x && lo.y < hi.y && lo.z < hi.z);
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      ASSERT_GE(s->numpoints, 3);
      ASSERT_EQ(s->hasfilepoints, 1);
      for (const vertex_t& p : s->filepoint) {
        for (const float v : {p.x, p.y, p.z}) EXPECT_EQ(std::fmod(v, options.grid_size), 0.0f);
      }
      // Every corner lies on the plane the file will be given.
      vertex_t a, c, n, d;
      _VectorSubtract(&s->filepoint[1], &s->filepoint[0], &a);
      _VectorSubtract(&s->filepoint[2], &s->filepoint[0], &c);
      CrossProduct(&a, &c, &n);
      for (int i = 0; i < s->numpoints; ++i) {
        _VectorSubtract(&s->point[i], &s->filepoint[0], &d);
        EXPECT_LT(std::fabs(_DotProduct(&d, &n)) / std::sqrt(_DotProduct(&n, &n)), 0.05);
      }
    }
  }
  EXPECT_GT(snapped_count, 50);
  EXPECT_GT(refused, 5);
  options.grid_size = GRID_START;
}
