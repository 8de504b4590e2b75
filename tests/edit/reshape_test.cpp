// Stretching, moving corners of and clipping random convex brushes: a stretch
// or a corner move leaves every brush convex, or refuses and leaves it to
// the bit; a clip keeps the volume among its pieces, each on its side.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "brush_shapes.h"
#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "edit/clip_brushes.h"
#include "edit/stretch.h"
#include "edit/transforms.h"
#include "edit/vertex_move.h"
#include "model/plane_polygon.h"
#include "model_fixture.h"

namespace {

class Reshape : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    make_world();
  }

  // A box of random size turned by random angles about its centre.
  brush_t* random_brush() {
    std::uniform_int_distribution<int> size(8, 256), place(-512, 512);
    std::uniform_real_distribution<float> angle(-3.2f, 3.2f);
    const vertex_t lo{static_cast<float>(place(rng)), static_cast<float>(place(rng)),
                      static_cast<float>(place(rng))};
    const vertex_t hi{lo.x + static_cast<float>(size(rng)), lo.y + static_cast<float>(size(rng)),
                      lo.z + static_cast<float>(size(rng))};
    brush_t* b = new_world_box(&lo, &hi);
    vertex_t centre;
    find_center(b, &centre);
    const vertex_t turn{angle(rng), angle(rng), angle(rng)};
    rotate_brush(b, &centre, &turn);
    fixbrush(b);
    return b;
  }

  std::mt19937 rng{20261209};
};

// Every corner of b lies on or behind every face, within float rounding of
// corners some hundreds of units out: b is convex.
void expect_convex(const brush_t* b) {
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    ASSERT_GE(s->numpoints, 3);
    for (const surf* t = b->fsurf; t != nullptr; t = t->next) {
      for (int i = 0; i < t->numpoints; ++i) {
        vertex_t rel;
        _VectorSubtract(&t->point[i], &s->point[0], &rel);
        EXPECT_GT(_DotProduct(&rel, &s->norm), -0.1) << "a corner in front of a face";
      }
    }
  }
}

std::vector<vertex_t> corners(const brush_t* b) {
  std::vector<vertex_t> out;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next)
    out.insert(out.end(), s->point.data(), s->point.data() + s->numpoints);
  return out;
}

}  // namespace

TEST_F(Reshape, StretchesKeepBrushesConvexOrLeaveThemAlone) {
  int refused = 0;
  for (int round = 0; round < 300; ++round) {
    brush_t* b = random_brush();
    const int axis = round % 3;
    const span e = extent(b);
    const bool high = round % 2 == 0;
    const float fixed = high ? e.lo[axis] : e.hi[axis], from = high ? e.hi[axis] : e.lo[axis];
    const float to = from + static_cast<float>(std::uniform_int_distribution<int>(-400, 400)(rng));
    const std::vector<vertex_t> before = corners(b);
    const double v = volume(b);
    if (!stretch_brushes({b}, axis, fixed, from, to)) {
      ++refused;
      EXPECT_EQ((to - fixed) * (from - fixed) > 0, false) << "refused a stretch that keeps the side's side";
      EXPECT_EQ(corners(b), before);
      continue;
    }
    expect_convex(b);
    const span after = extent(b);
    EXPECT_NEAR(after.lo[axis], std::min(fixed, to), 0.05);
    EXPECT_NEAR(after.hi[axis], std::max(fixed, to), 0.05);
    EXPECT_NEAR(volume(b), v * (to - fixed) / (from - fixed), 1e-3 * v + 1);
  }
  EXPECT_GT(refused, 10);
  EXPECT_MODEL_OK();
}

TEST_F(Reshape, ClipsKeepTheVolumeAmongThePiecesOnTheirSides) {
  int cut_in_two = 0;
  for (int round = 0; round < 200; ++round) {
    brush_t* b = random_brush();
    const double v = volume(b);
    const span e = extent(b);
    std::uniform_real_distribution<float> inside(0.1f, 0.9f);
    vertex_t p[3];
    for (vertex_t& q : p) {
      for (int a = 0; a < 3; ++a) vcomp(q, a) = e.lo[a] + inside(rng) * e.size(a);
    }
    const clip_keep keep = static_cast<clip_keep>(round % 3);
    const std::vector<brush_t*> left = clip_brushes({b}, p[0], p[1], p[2], keep);
    double kept = 0;
    surf plane;
    std::copy(p, p + 3, plane.point.data());
    makenormal(&plane, vertex_t{});
    for (const brush_t* piece : left) {
      expect_convex(piece);
      kept += volume(piece);
      // A front piece lies where the plane's normal points away from.
      double side = 0;
      for (const vertex_t& c : corners(piece)) {
        vertex_t rel;
        _VectorSubtract(&c, &p[0], &rel);
        side += _DotProduct(&rel, &plane.norm);
      }
      if (keep == clip_keep::front) EXPECT_LT(side, 0);
      if (keep == clip_keep::back) EXPECT_GT(side, 0);
    }
    if (keep == clip_keep::both) {
      EXPECT_NEAR(kept, v, 1e-3 * v);
      cut_in_two += left.size() == 2 ? 1 : 0;
    } else {
      EXPECT_LE(kept, v * (1 + 1e-3));
    }
    for (brush_t* piece : left) delete_brush(piece);
  }
  EXPECT_GT(cut_in_two, 30);
  EXPECT_MODEL_OK();
}

TEST_F(Reshape, CornerMovesKeepBrushesConvexOrLeaveThemAlone) {
  int moved = 0, refused = 0;
  for (int round = 0; round < 300; ++round) {
    brush_t* b = random_brush();
    const std::vector<vertex_t> before = corners(b);
    std::vector<std::string> texts;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) texts.push_back(s->texname);
    const vertex_t at = before[std::uniform_int_distribution<std::size_t>(0, before.size() - 1)(rng)];
    std::uniform_int_distribution<int> step(-64, 64);
    const vertex_t to{at.x + static_cast<float>(step(rng)), at.y + static_cast<float>(step(rng)),
                      at.z + static_cast<float>(step(rng))};
    if (!move_vertex(b, at, to)) {
      ++refused;
      EXPECT_EQ(corners(b), before);
      continue;
    }
    ++moved;
    expect_convex(b);
    const std::vector<vertex_t> after = corners(b);
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [&](const vertex_t& c) {
      return std::fabs(c.x - to.x) < 0.05f && std::fabs(c.y - to.y) < 0.05f && std::fabs(c.z - to.z) < 0.05f;
    }));
    EXPECT_GE(count_faces(b), 4);
    for (const surf* s = b->fsurf; s != nullptr; s = s->next)
      EXPECT_NE(std::find(texts.begin(), texts.end(), s->texname), texts.end());
  }
  EXPECT_GT(moved, 30);
  EXPECT_GT(refused, 30);
  EXPECT_FALSE(move_vertex(random_brush(), vertex_t{9999, 9999, 9999}, vertex_t{}));  // no corner there
  EXPECT_MODEL_OK();
}
