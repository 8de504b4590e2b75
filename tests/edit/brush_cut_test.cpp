#include "edit/brush_cut.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

#include "brush_shapes.h"
#include "edit/box_brush.h"
#include "model/plane_polygon.h"
#include "model_fixture.h"

namespace {

using BrushCut = ModelTest;

brush_t* box(vertex_t o, short l, short w, short h) { return new_brush(&o, l, w, h, 0); }

void expect_span(const brush_t* b, float x0, float x1, float y0, float y1, float z0, float z1) {
  const span e = extent(b);
  EXPECT_NEAR(e.lo[0], x0, 1e-3);
  EXPECT_NEAR(e.hi[0], x1, 1e-3);
  EXPECT_NEAR(e.lo[1], y0, 1e-3);
  EXPECT_NEAR(e.hi[1], y1, 1e-3);
  EXPECT_NEAR(e.lo[2], z0, 1e-3);
  EXPECT_NEAR(e.hi[2], z1, 1e-3);
}

bool listed(const brush_t* b) {
  for (const brush_t* x = hull->brush; x != nullptr; x = x->next) {
    if (x == b) return true;
  }
  return false;
}

// The brushes of the world other than `skip`.
std::set<brush_t*> others(const brush_t* skip) {
  std::set<brush_t*> out;
  for (brush_t* x = hull->brush; x != nullptr; x = x->next) {
    if (x != skip) out.insert(x);
  }
  return out;
}

// A brush whose top and bottom faces are 16-gons: a prism of 16 walls.
brush_t* sixteen_sided_prism(float r, float h) {
  auto* b = new brush_t;
  b->hull = hull;
  b->valid = 1;
  b->vis = 1;
  const vertex_t centre{};
  for (int i = 0; i < 16; ++i) {
    const double a0 = 2 * M_PI * i / 16, a1 = 2 * M_PI * (i + 1) / 16;
    const vertex_t p{static_cast<float>(r * std::cos(a0)), static_cast<float>(r * std::sin(a0)), -h};
    const vertex_t q{static_cast<float>(r * std::cos(a1)), static_cast<float>(r * std::sin(a1)), -h};
    add_plane(b, p, q, vertex_t{p.x, p.y, h}, centre);
  }
  add_plane(b, {0, 0, -h}, {1, 0, -h}, {0, 1, -h}, centre);
  add_plane(b, {0, 0, h}, {1, 0, h}, {0, 1, h}, centre);
  for (surf* s = b->fsurf; s != nullptr; s = s->next) s->brush = b;
  b->next = hull->brush;
  hull->brush = b;
  fixbrush(b);
  return b;
}

}  // namespace

TEST_F(BrushCut, SplitCubeByAPlaneThroughItsMiddle) {
  make_world();
  brush_t* cube = box({0, 0, 0}, 64, 64, 64);
  brush_t* cutter = box({0, 0, 32}, 64, 64, 64);  // its bottom lies on z = 0, facing up
  cube->fsurf->texname = "FLOOR";
  for (surf* s = cube->fsurf->next; s != nullptr; s = s->next) s->texname = "SIDE";
  hibr = cube;
  insert_brush_in_list(cube);
  hilight = cube->fsurf->next;

  brush_t *f = nullptr, *b = nullptr;
  ASSERT_TRUE(split_brush(cutter->fsurf, cube, &f, &b));
  EXPECT_MODEL_OK();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(b, nullptr);
  // The cut brush is gone and nothing refers to it any more.
  EXPECT_EQ(hibr, nullptr);
  EXPECT_EQ(hilight, nullptr);
  EXPECT_TRUE(selection_empty());
  EXPECT_EQ(hull->brush, b);  // back piece went in last, at the head
  EXPECT_EQ(b->next, f);
  EXPECT_EQ(f->next, cutter);

  expect_span(f, -32, 32, -32, 32, -32, 0);
  expect_span(b, -32, 32, -32, 32, 0, 32);
  for (brush_t* piece : {f, b}) {
    EXPECT_EQ(count_faces(piece), 6);
    EXPECT_EQ(piece->numsurfaces, 6);
    EXPECT_EQ(piece->hull, hull);
    EXPECT_EQ(piece->entity, -1);
    EXPECT_EQ(piece->valid, 1);
    int capped = 0;
    for (surf* s = piece->fsurf; s != nullptr; s = s->next) {
      EXPECT_EQ(s->numpoints, 4);
      if (s->next == nullptr) {
        // The cap lies in the cut plane, faces into its piece and takes the
        // texture of the face before it.
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(s->point[i].z, 0, 1e-4);
        EXPECT_EQ(s->texname, "SIDE");
        makenormal(s, vertex_t{});
        EXPECT_NEAR(s->norm.z, piece == f ? -1 : 1, 1e-6);
        ++capped;
      } else {
        EXPECT_EQ(s->clr, 0u);
      }
    }
    EXPECT_EQ(capped, 1);
  }
  // The front piece keeps the cube's bottom, the back piece its top.
  EXPECT_EQ(f->fsurf->texname, "FLOOR");
  EXPECT_EQ(b->fsurf->texname, "SIDE");
}

TEST_F(BrushCut, SplitByAMissingPlaneOrAnOwnFaceGivesACopy) {
  make_world();
  brush_t* cube = box({0, 0, 0}, 64, 64, 64);
  brush_t* far_above = box({0, 0, 200}, 16, 16, 16);
  cube->fsurf->next->texname = "MARKED";

  brush_t *f = nullptr, *b = nullptr;
  ASSERT_TRUE(split_brush(far_above->fsurf, cube, &f, &b));
  EXPECT_MODEL_OK();
  EXPECT_EQ(b, nullptr);
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(listed(cube));
  EXPECT_EQ(count_faces(f), 6);
  expect_span(f, -32, 32, -32, 32, -32, 32);
  EXPECT_EQ(f->fsurf->next->texname, "MARKED");

  // Its own face: everything lies on or behind that plane.
  brush_t* copy = f;
  ASSERT_TRUE(split_brush(copy->fsurf->next->next, copy, &f, &b));
  EXPECT_MODEL_OK();
  EXPECT_EQ(f, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(count_faces(b), 6);
  expect_span(b, -32, 32, -32, 32, -32, 32);
  EXPECT_EQ(count_brushes(hull), 2);
}

TEST_F(BrushCut, PlanesTouchingTheBrushKeepEveryBoundingFace) {
  make_world();
  // A neighbour sharing the cube's x+ side: its x- face lies in that plane
  // facing the other way, so the whole cube is in front of it.
  brush_t* cube = box({0, 0, 0}, 64, 64, 64);
  brush_t* neighbour = box({64, 0, 0}, 64, 64, 64);
  brush_t *f = nullptr, *b = nullptr;
  ASSERT_TRUE(split_brush(neighbour->fsurf->next->next, cube, &f, &b));
  EXPECT_MODEL_OK();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_EQ(count_faces(f), 6);
  expect_span(f, -32, 32, -32, 32, -32, 32);
  // Subtracting the neighbour leaves the cube as it was.
  ASSERT_TRUE(subtract_brush(f, neighbour));
  EXPECT_MODEL_OK();
  ASSERT_EQ(count_brushes(hull), 2);
  expect_span(hull->brush, -32, 32, -32, 32, -32, 32);
  EXPECT_NEAR(volume(hull->brush), 64 * 64 * 64, 1);

  // A vertical plane through two opposite edges: the top and bottom squares
  // have two corners on the plane and one on either side, yet both halves
  // must keep them.
  brush_t* diagonal = new brush_t;
  surf* p = add_face(diagonal, {0, 0, 0}, {0, 0, 1}, {1, 1, 0});
  makenormal(p, vertex_t{});
  ASSERT_TRUE(split_brush(p, hull->brush, &f, &b));
  EXPECT_MODEL_OK();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(b, nullptr);
  for (brush_t* half : {f, b}) {
    EXPECT_EQ(count_faces(half), 5);
    EXPECT_NEAR(extent(half).lo[2], -32, 1e-3);
    EXPECT_NEAR(extent(half).hi[2], 32, 1e-3);
    EXPECT_NEAR(volume(half), 64 * 64 * 32, 1);
  }
  free_brush(diagonal);
}

TEST_F(BrushCut, MarkerBoxesAreNeitherCutNorDeleted) {
  make_world();
  const vertex_t at{0, 0, 0};
  brush_t* m = new_brush(&at, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  m->entity = 0;
  entities[0] = dentity_t{nullptr, at, 1, m, {}};
  numentity = 1;
  brush_t* cutter = box({0, 0, 4}, 64, 64, 8);

  brush_t *f = cutter, *b = cutter;
  EXPECT_FALSE(split_brush(cutter->fsurf, m, &f, &b));
  EXPECT_MODEL_OK();
  EXPECT_EQ(f, nullptr);
  EXPECT_EQ(b, nullptr);
  EXPECT_FALSE(subtract_brush(m, cutter));
  EXPECT_MODEL_OK();
  EXPECT_FALSE(delete_brush(m));
  EXPECT_MODEL_OK();
  EXPECT_EQ(entities[0].brush, m);
  EXPECT_EQ(count_faces(m), 6);
  EXPECT_EQ(count_brushes(hull), 1);
}

TEST_F(BrushCut, FaceTooBigToCutStaysInBothPieces) {
  make_world();
  brush_t* prism = sixteen_sided_prism(64, 16);
  int sixteen = 0;
  for (surf* s = prism->fsurf; s != nullptr; s = s->next) sixteen += s->numpoints == 16;
  ASSERT_EQ(sixteen, 2);  // top and bottom

  // A plane near x = 64 shaves one corner of the 16-gons: the larger side
  // would need 17 corners.
  brush_t* shave = new brush_t;
  surf* p = add_face(shave, {60, 0, 0}, {60, 0, 1}, {60, 1, 0});
  makenormal(p, vertex_t{});  // normal -x: the bulk of the prism is behind it
  ASSERT_LT(p->norm.x, 0);

  brush_t *f = nullptr, *b = nullptr;
  ASSERT_TRUE(split_brush(p, prism, &f, &b));
  EXPECT_MODEL_OK();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(b, nullptr);
  // Both pieces still end at the top and bottom planes. The bulk keeps its
  // 16-gons whole (a rebuild cannot trim them to 17 corners either), but
  // its planes are all there: the cap at x = 60 and both ends.
  const span fe = extent(f), be = extent(b);
  EXPECT_NEAR(fe.lo[0], 60, 1e-3);
  EXPECT_NEAR(fe.hi[0], 64, 1e-3);
  EXPECT_LT(fe.size(1), 41);
  EXPECT_NEAR(be.lo[0], -64, 1e-3);
  for (brush_t* piece : {f, b}) {
    const span e = extent(piece);
    EXPECT_NEAR(e.lo[2], -16, 1e-3);
    EXPECT_NEAR(e.hi[2], 16, 1e-3);
    int ends = 0, caps = 0;
    for (surf* s = piece->fsurf; s != nullptr; s = s->next) {
      EXPECT_GE(s->numpoints, 3);
      EXPECT_LE(s->numpoints, MAX_POINTS);
      makenormal(s, vertex_t{});
      if (std::fabs(s->norm.z) > 0.999f) ++ends;
      if (std::fabs(s->norm.x) > 0.999f && std::fabs(s->point[0].x - 60) < 1e-3f) ++caps;
    }
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(caps, 1);
  }
  free_brush(shave);
}

TEST_F(BrushCut, SpareFacesAreLeftOutOfPieces) {
  make_world();
  brush_t* cube = box({0, 0, 0}, 64, 64, 64);
  add_plane(cube, {0, 0, 40}, {1, 0, 40}, {0, 1, 40}, {0, 0, 0});
  fixbrush(cube);
  brush_t* cutter = box({0, 0, 32}, 64, 64, 64);
  brush_t *f = nullptr, *b = nullptr;
  ASSERT_TRUE(split_brush(cutter->fsurf, cube, &f, &b));
  EXPECT_MODEL_OK();
  ASSERT_NE(f, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(count_faces(f), 6);
  EXPECT_EQ(count_faces(b), 6);
  expect_span(b, -32, 32, -32, 32, 0, 32);
}

TEST_F(BrushCut, SubtractAboveInsideAndAHoleInASlab) {
  make_world();
  // Wholly above: the cutter's bottom has all of it in front, so one copy.
  brush_t* low = box({0, 0, 0}, 64, 64, 64);
  brush_t* high = box({0, 0, 100}, 32, 32, 32);
  ASSERT_TRUE(subtract_brush(low, high));
  EXPECT_MODEL_OK();
  EXPECT_FALSE(listed(low));
  ASSERT_EQ(count_brushes(hull), 2);
  expect_span(hull->brush, -32, 32, -32, 32, -32, 32);
  expect_span(high, -16, 16, -16, 16, 84, 116);

  // Wholly inside: nothing is left of it.
  brush_t* small = box({0, 0, 100}, 8, 8, 8);
  ASSERT_TRUE(subtract_brush(small, high));
  EXPECT_MODEL_OK();
  EXPECT_EQ(count_brushes(hull), 2);
  release_map();

  // A cube sunk into the middle of a slab's top: five pieces around the hole,
  // which together fill the slab less the hole.
  make_world();
  brush_t* slab = box({0, 0, 0}, 256, 256, 32);
  brush_t* hole = box({0, 0, 16}, 32, 32, 32);
  const float expected = static_cast<float>(volume(slab)) - 32 * 32 * 16;
  ASSERT_TRUE(subtract_brush(slab, hole));
  EXPECT_MODEL_OK();
  const std::set<brush_t*> pieces = others(hole);
  EXPECT_EQ(pieces.size(), 5u);
  float sum = 0;
  for (brush_t* p : pieces) {
    sum += static_cast<float>(volume(p));
    EXPECT_EQ(p->hull, hull);
    const span e = extent(p);
    // No piece reaches into the hole.
    const bool clear = e.hi[2] <= 0.001f || e.lo[0] >= 15.999f || e.hi[0] <= -15.999f || e.lo[1] >= 15.999f ||
                       e.hi[1] <= -15.999f;
    EXPECT_TRUE(clear);
  }
  EXPECT_NEAR(sum, expected, 1);
  expect_span(hole, -16, 16, -16, 16, 0, 32);

  // A brush cannot be subtracted from itself.
  EXPECT_FALSE(subtract_brush(hole, hole));
  EXPECT_MODEL_OK();
  EXPECT_TRUE(listed(hole));
}

TEST_F(BrushCut, DeleteUnlinksAndForgetsTheBrush) {
  make_world();
  brush_t* second = box({0, 0, 0}, 8, 8, 8);
  brush_t* first = box({0, 0, 0}, 8, 8, 8);
  ASSERT_EQ(hull->brush, first);
  insert_brush_in_list(second);
  insert_brush_in_list(first);
  hibr = first;
  hilight = first->fsurf;
  thi = first->fsurf->next;
  closest_point = &first->fsurf->point[2];

  EXPECT_TRUE(delete_brush(first));

  EXPECT_MODEL_OK();
  EXPECT_EQ(hull->brush, second);
  EXPECT_EQ(hibr, nullptr);
  EXPECT_EQ(hilight, nullptr);
  EXPECT_EQ(thi, nullptr);
  EXPECT_EQ(closest_point, nullptr);
  EXPECT_EQ(blist->brush, second);
  EXPECT_EQ(blist->next->brush, nullptr);

  // A brush that its entity does not list is left alone.
  auto* stray = new brush_t;
  stray->hull = hull;
  EXPECT_FALSE(delete_brush(stray));
  EXPECT_MODEL_OK();
  delete stray;
  EXPECT_TRUE(delete_brush(second));
  EXPECT_MODEL_OK();
  EXPECT_EQ(hull->brush, nullptr);
}
