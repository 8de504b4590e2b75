// Cutting and turning the brushes of whole maps: the built one, and a real map
// whose faces are not all boxes and where rebuilding leaves some faces without
// points.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "brush_shapes.h"
#include "built_map.h"
#include "edit/brush_cut.h"
#include "edit/transforms.h"
#include "mapio/map_reader.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"
#include "model_fixture.h"

namespace {

class RealMap : public ModelTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    const std::string path = any_map_path(GetParam());
    SKIP_WITHOUT(path);
    ASSERT_TRUE(read_map(path).ok());
  }
};

bool finite(const vertex_t& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// Every face of b is a polygon of 3 to 16 finite points on a plane with a
// usable normal.
void expect_sound(const brush_t* b) {
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    EXPECT_GE(s->numpoints, 3);
    EXPECT_LE(s->numpoints, MAX_POINTS);
    for (int i = 0; i < s->numpoints; ++i) EXPECT_TRUE(finite(s->point[i]));
    EXPECT_GT(VectorLength(&s->norm), 0.99f);
  }
}

std::vector<brush_t*> world_brushes(int n) {
  std::vector<brush_t*> out;
  for (brush_t* b = hull->brush; b != nullptr && static_cast<int>(out.size()) < n; b = b->next)
    out.push_back(b);
  return out;
}

std::set<const brush_t*> all_brushes() {
  std::set<const brush_t*> out;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) out.insert(b);
  }
  return out;
}

}  // namespace

TEST_P(RealMap, CentresAndTurnsStayFinite) {
  for (brush_t* b = hull->brush; b != nullptr; b = b->next) {
    vertex_t c;
    ASSERT_TRUE(find_center(b, &c));
    EXPECT_TRUE(finite(c));
  }

  // Turn a stretch of the world about its centre and back again.
  for (brush_t* b : world_brushes(300)) insert_brush_in_list(b);
  vertex_t before, after;
  ASSERT_TRUE(find_group_center(&before));
  rotate_brushZ(0);
  rotate_brushX(1);
  rotate_brushX(0);
  rotate_brushZ(1);
  EXPECT_MODEL_OK();
  ASSERT_TRUE(find_group_center(&after));
  EXPECT_NEAR(after.x, before.x, 0.5);
  EXPECT_NEAR(after.y, before.y, 0.5);
  EXPECT_NEAR(after.z, before.z, 0.5);
  for (brush_t* b : world_brushes(300)) {
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      for (int i = 0; i < s->numpoints; ++i) ASSERT_TRUE(finite(s->point[i]));
    }
  }
}

TEST_P(RealMap, SplitsKeepVolumeAndSubtractionsLeaveSoundPieces) {
  // Neighbours in file order usually touch: cut each even brush by the faces
  // of the odd one after it. The odd ones are never cut, so they stay alive.
  const std::vector<brush_t*> list = world_brushes(200);
  int cut_in_two = 0;
  for (std::size_t i = 0; i + 1 < list.size(); i += 2) {
    brush_t* target = list[i];
    const brush_t* cutter = list[i + 1];
    const surf* plane = cutter->fsurf;
    while (plane->numpoints < 3) plane = plane->next;
    const double v = volume(target);
    brush_t *f = nullptr, *b = nullptr;
    ASSERT_TRUE(split_brush(plane, target, &f, &b));
    ASSERT_TRUE(f != nullptr || b != nullptr);
    EXPECT_NEAR((f ? volume(f) : 0) + (b ? volume(b) : 0), v, 1e-3 * v + 1) << "brush " << i;
    cut_in_two += f != nullptr && b != nullptr;

    brush_t* rest = b != nullptr ? b : f;
    const std::set<const brush_t*> before = all_brushes();
    ASSERT_TRUE(subtract_brush(rest, cutter));
    EXPECT_MODEL_OK();
    for (const brush_t* x : all_brushes()) {
      if (before.count(x) == 0) expect_sound(x);
    }
  }
  EXPECT_GT(cut_in_two, 0);
}

INSTANTIATE_TEST_SUITE_P(Maps, RealMap, ::testing::Values(BUILT_MAP, "e1m1.map"), map_case_name);
