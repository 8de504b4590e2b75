#include "model/plane_polygon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/camera.h"
#include "model/vector_math.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

using PlanePolygon = ModelTest;

// The six planes of a cube of half-size h centred on the origin, as a map file
// gives them: three points each, normals pointing in.
brush_t* file_cube(float h) {
  auto* b = new brush_t;
  add_face(b, {-h, -h, -h}, {h, -h, -h}, {h, h, -h});  // bottom
  add_face(b, {-h, -h, h}, {h, -h, h}, {h, -h, -h});   // y-
  add_face(b, {-h, h, h}, {-h, -h, h}, {-h, -h, -h});  // x-
  add_face(b, {h, h, h}, {-h, h, h}, {-h, h, -h});     // y+
  add_face(b, {h, h, h}, {h, h, -h}, {h, -h, -h});     // x+
  add_face(b, {h, h, h}, {h, -h, h}, {-h, -h, h});     // top
  return b;
}

bool is_cube_corner(const vertex_t& p, float h) {
  for (float c : {p.x, p.y, p.z}) {
    if (std::fabs(std::fabs(c) - h) > 0.01f) return false;
  }
  return true;
}

void expect_cube(const brush_t* b, float h) {
  int faces = 0;
  for (const surf* s = b->fsurf; s != nullptr && faces < 6; s = s->next, ++faces) {
    ASSERT_EQ(s->numpoints, 4);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(is_cube_corner(s->point[i], h));
  }
}

surf plane_face(vertex_t p0, vertex_t norm) {
  surf p;
  p.point[0] = p0;
  p.norm = norm;
  return p;
}

surf square(float z) {
  surf s;
  s.point[0] = {0, 0, z};
  s.point[1] = {10, 0, z};
  s.point[2] = {10, 10, z};
  s.point[3] = {0, 10, z};
  s.numpoints = 4;
  return s;
}

}  // namespace

TEST_F(PlanePolygon, BaseSquareOnPlaneZ64) {
  surf s;
  s.point[0] = {0, 0, 64};
  s.point[1] = {1, 0, 64};
  s.point[2] = {0, 1, 64};
  origin = {1, 2, 3};  // must not matter, and must come back
  ASSERT_TRUE(BaseSurfaceForPlane(&s));
  EXPECT_EQ(origin.y, 2.0f);
  ASSERT_EQ(s.numpoints, 4);
  const vertex_t want[4] = {{-8192, 8192, 64}, {-8192, -8192, 64}, {8192, -8192, 64}, {8192, 8192, 64}};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(VectorCompare(&s.point[i], &want[i]), 1) << i;
  EXPECT_EQ(s.dist, -64.0f);
  surf again = s;  // the square's own first three points give the same plane
  makenormal(&again, origin);
  EXPECT_EQ(VectorCompare(&again.norm, &s.norm), 1);
}

TEST_F(PlanePolygon, PlaneThatIsNotANumberLeavesTheFaceUnbuilt) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  brush_t* b = file_cube(32);
  b->fsurf->next->point[1].x = nan;
  EXPECT_EQ(fixbrush(b), 1);
  EXPECT_EQ(b->fsurf->next->numpoints, 0);
  // The other five faces are still built and were not cut by the bad plane.
  int built = 0;
  for (surf* s = b->fsurf; s != nullptr; s = s->next) built += s->numpoints == 4;
  EXPECT_EQ(built, 5);
  free_brush(b);
}

TEST_F(PlanePolygon, FixbrushRebuildsTheTrueCorners) {
  brush_t* b = file_cube(32);
  EXPECT_EQ(fixbrush(b), 0);
  expect_cube(b, 32);
  fixbrush(b);  // planes survive a second rebuild
  expect_cube(b, 32);
  // Each rebuilt face keeps its plane's orientation.
  for (surf* s = b->fsurf; s != nullptr; s = s->next) {
    surf copy = *s;
    const vertex_t before = copy.norm;
    makenormal(&copy, origin);
    EXPECT_EQ(VectorCompare(&copy.norm, &before), 1);
  }
  free_brush(b);
}

TEST_F(PlanePolygon, FixbrushOffKeepsTheFilePoints) {
  options.fixb = 0;
  brush_t* b = file_cube(32);
  fixbrush(b);
  for (surf* s = b->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->numpoints, 3);
  free_brush(b);
}

TEST_F(PlanePolygon, SeventhFaceBeyondTheTopIsLeftEmpty) {
  brush_t* b = file_cube(32);
  // Parallel to the top at z = 48, normal pointing down towards the cube.
  surf* extra = add_face(b, {32, 32, 48}, {32, -32, 48}, {-32, -32, 48});
  fixbrush(b);
  EXPECT_LT(extra->numpoints, 3);
  expect_cube(b, 32);
  free_brush(b);
}

TEST_F(PlanePolygon, CutClassifiesFrontBackAndInPlane) {
  const surf up = plane_face({0, 0, 0}, {0, 0, 1});  // front is below z = 0
  surf front, back;
  surf above = square(10);
  EXPECT_EQ(create_surf_from_base(&up, &above, &front, &back), 1);
  EXPECT_EQ(front.numpoints, 0);
  EXPECT_EQ(back.numpoints, 4);

  surf below = square(-10);
  EXPECT_EQ(create_surf_from_base(&up, &below, &front, &back), -1);
  EXPECT_EQ(back.numpoints, 0);
  EXPECT_EQ(front.numpoints, 4);

  surf flat = square(0.05f);  // within 0.1 of the plane: back only
  EXPECT_EQ(create_surf_from_base(&up, &flat, &front, &back), 1);
  EXPECT_EQ(back.numpoints, 4);
  EXPECT_EQ(front.numpoints, 0);
}

TEST_F(PlanePolygon, CutSplitsAcrossThePlane) {
  const surf wall = plane_face({5, 0, 0}, {1, 0, 0});  // front is x < 5
  surf s = square(0), front, back;
  EXPECT_EQ(create_surf_from_base(&wall, &s, &front, &back), 0);
  ASSERT_EQ(front.numpoints, 4);
  ASSERT_EQ(back.numpoints, 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_LE(front.point[i].x, 5.0f);
    EXPECT_GE(back.point[i].x, 5.0f);
  }
}

TEST_F(PlanePolygon, CutNeedingMoreThanSixteenPointsIsAbandoned) {
  surf ring;
  ring.numpoints = 16;
  for (int i = 0; i < 16; ++i) {
    const double a = i * 2 * 3.14159265358979 / 16;
    ring.point[i] = {static_cast<float>(100 * std::cos(a)), static_cast<float>(100 * std::sin(a)), 0};
  }
  // Only the vertex at x = 100 lies in front: the back side would need 17 points.
  const surf cut = plane_face({95, 0, 0}, {-1, 0, 0});
  surf front = square(7), back = square(9);
  EXPECT_EQ(create_surf_from_base(&cut, &ring, &front, &back), 0);
  EXPECT_EQ(front.numpoints, 4);
  EXPECT_EQ(front.point[0].z, 7.0f);
  EXPECT_EQ(back.point[0].z, 9.0f);
}

// Fix brushes gives each face what cutting its base square by every other
// face's plane in turn, keeping the back, leaves, bit for bit: on random
// brushes of four to twenty faces, planes through whole or fractional points,
// some steep, some not a number, some cuts needing too many points.
TEST_F(PlanePolygon, FixbrushIsTheCutByEveryOtherPlaneInTurn) {
  std::uint64_t state = 2024;
  auto next = [&state](int n) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<int>((state >> 33) % static_cast<std::uint64_t>(n));
  };
  auto coordinate = [&] {
    const float whole = static_cast<float>(next(1025) - 512);
    return next(3) == 0 ? whole + static_cast<float>(next(1000)) / 1000.0f : whole;
  };
  auto bits = [](const surf* s) {
    std::vector<std::uint32_t> out{static_cast<std::uint32_t>(s->numpoints)};
    for (int i = 0; i < std::clamp<int>(s->numpoints, 3, MAX_POINTS); ++i) {
      for (int k = 0; k < 3; ++k) out.push_back(std::bit_cast<std::uint32_t>(s->point[i][k]));
    }
    return out;
  };
  for (int round = 0; round < 2000; ++round) {
    brush_t* b = next(2) == 0 ? file_cube(static_cast<float>(8 + next(300))) : new brush_t;
    for (int extra = 4 + next(12); extra > 0; --extra) {
      const vertex_t p0{coordinate(), coordinate(), coordinate()};
      vertex_t p1{coordinate(), coordinate(), coordinate()}, p2{coordinate(), coordinate(), coordinate()};
      if (round % 97 == 0 && extra == 1) p1.x = std::numeric_limits<float>::quiet_NaN();
      add_face(b, p0, p1, p2);
    }
    // The reference: the same rebuild a cut at a time, each stored at once.
    // A face cut away entirely gets its three plane points back.
    std::vector<surf> expected;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) expected.push_back(*s);
    const std::vector<surf> read = expected;
    for (surf& s : expected) BaseSurfaceForPlane(&s);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      surf front;
      for (std::size_t j = 0; j < expected.size(); ++j) {
        if (j == i || !std::isfinite(expected[j].norm.x + expected[j].norm.y + expected[j].norm.z)) continue;
        create_surf_from_base(&expected[j], &expected[i], &front, &expected[i]);
      }
      if (expected[i].numpoints < 3)
        std::copy(read[i].point.data(), read[i].point.data() + 3, expected[i].point.data());
    }
    fixbrush(b);
    std::size_t i = 0;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next, ++i) {
      ASSERT_EQ(bits(s), bits(&expected[i])) << "round " << round << " face " << i;
    }
    free_brush(b);
  }
}
