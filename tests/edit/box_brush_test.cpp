#include "edit/box_brush.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <set>
#include <vector>

#include "brush_shapes.h"
#include "model/box.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

using BoxBrush = ModelTest;

}  // namespace

TEST_F(BoxBrush, SpansWidthOnXLengthOnYHeightOnZ) {
  make_world();
  const vertex_t o{};
  brush_t* b = new_brush(&o, 64, 32, 16, 0);
  ASSERT_NE(b, nullptr);
  const span e = extent(b);
  EXPECT_EQ(e.lo[0], -16.0f);
  EXPECT_EQ(e.hi[0], 16.0f);
  EXPECT_EQ(e.lo[1], -32.0f);
  EXPECT_EQ(e.hi[1], 32.0f);
  EXPECT_EQ(e.lo[2], -8.0f);
  EXPECT_EQ(e.hi[2], 8.0f);
  EXPECT_EQ(count_faces(b), 6);
  EXPECT_EQ(b->numsurfaces, 6);
  EXPECT_EQ(b->valid, 1);
  EXPECT_EQ(b->vis, 1);
}

TEST_F(BoxBrush, FaceTableOrderNormalsAndTexture) {
  make_world();
  options.fixb = 0;  // keep the three defining points
  const vertex_t o{};
  brush_t* b = new_brush(&o, 2, 2, 2, 0);
  const vertex_t normals[6] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}, {0, -1, 0}, {-1, 0, 0}, {0, 0, -1}};
  const vertex_t first_points[6] = {{-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
  int i = 0;
  for (surf* s = b->fsurf; s != nullptr; s = s->next, ++i) {
    ASSERT_LT(i, 6);
    EXPECT_EQ(s->numpoints, 3);
    EXPECT_EQ(s->texname, "TECH01_1");
    EXPECT_EQ(s->brush, b);
    EXPECT_EQ(VectorCompare(&s->point[0], &first_points[i]), 1) << i;
    makenormal(s, vertex_t{});
    EXPECT_EQ(VectorCompare(&s->norm, &normals[i]), 1) << i;
  }
}

TEST_F(BoxBrush, OddSizesGiveHalfUnits) {
  make_world();
  const vertex_t o{};
  const span e = extent(new_brush(&o, 4, 5, 4, 0));
  EXPECT_EQ(e.lo[0], -2.5f);
  EXPECT_EQ(e.hi[0], 2.5f);
}

TEST_F(BoxBrush, ColoursComeFromTheFixedSet) {
  make_world();
  const vertex_t o{};
  std::set<int> seen;
  for (int n = 0; n < 40; ++n) {
    for (surf* s = new_brush(&o, 8, 8, 8, 0)->fsurf; s != nullptr; s = s->next) {
      for (int c : {colour_red(s->clr), colour_green(s->clr), colour_blue(s->clr)}) {
        EXPECT_EQ(c % 10, 0);
        EXPECT_LE(c, 140);
        seen.insert(c);
      }
    }
  }
  EXPECT_EQ(seen.size(), 15u);  // every step 0..140 turns up
}

TEST_F(BoxBrush, ReceivingEntityFollowsTheHighlight) {
  hull_t* world = make_world();
  auto* door = new hull_t;
  world->next = door;
  const vertex_t o{};
  brush_t* in_world = new_brush(&o, 8, 8, 8, 0);
  EXPECT_EQ(in_world->hull, world);

  // A brush of the second entity highlighted: the new box joins that entity.
  brush_t* door_brush = new_brush(&o, 8, 8, 8, 0);
  remove_brush_from_list(door_brush);
  door_brush->next = nullptr;
  door_brush->hull = door;
  door->brush = door_brush;
  hilight = door_brush->fsurf;
  brush_t* b = new_brush(&o, 8, 8, 8, 0);
  EXPECT_EQ(b->hull, door);
  EXPECT_EQ(door->brush, b);  // at the head of the list
  EXPECT_EQ(b->next, door_brush);
  EXPECT_EQ(b->entity, -1);

  // A marker brush highlighted: the world receives it.
  entities[0].brush = new_brush(&o, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  entities[0].brush->entity = 0;
  entities[0].valid = 1;
  numentity = 1;
  hilight = entities[0].brush->fsurf;
  EXPECT_EQ(new_brush(&o, 8, 8, 8, 0)->hull, world);
  hilight = nullptr;
}

TEST_F(BoxBrush, MarkerBrushBelongsToNoEntity) {
  const vertex_t o{100, 200, 24};
  brush_t* m = new_brush(&o, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->hull, nullptr);
  const span e = extent(m);
  EXPECT_EQ(e.lo[0], 96.0f);
  EXPECT_EQ(e.hi[0], 104.0f);
  EXPECT_EQ(e.lo[1], 196.0f);
  EXPECT_EQ(e.hi[1], 204.0f);
  EXPECT_EQ(e.lo[2], 20.0f);
  EXPECT_EQ(e.hi[2], 28.0f);
  free_brush(m);
}

TEST_F(BoxBrush, NoWorldToReceiveAnOrdinaryBox) {
  const vertex_t o{};
  EXPECT_EQ(new_brush(&o, 8, 8, 8, 0), nullptr);
}

// A box's polygons worked out from its corners are those fixbrush gives, bit
// for bit (points, their order, normals, distances), on random boxes: whole,
// half and eighth unit centres and sizes of 1 to 1000 across the map, where
// the direct way is taken, and centres anywhere, where fixbrush runs.
TEST_F(BoxBrush, BoxPolygonsAreThoseOfFixbrushBitForBit) {
  std::uint32_t state = 7;
  auto next = [&state](std::uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  auto coordinate = [&](int kind) {
    const auto whole = static_cast<float>(static_cast<int>(next(16000)) - 8000);
    return kind == 0 ? whole : kind == 1 ? whole / 8.0f : whole + static_cast<float>(next(1000)) / 997.0f;
  };
  auto bits = [](const brush_t* b) {
    std::vector<std::uint32_t> out;
    auto put = [&out](float v) { out.push_back(std::bit_cast<std::uint32_t>(v)); };
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      out.push_back(static_cast<std::uint32_t>(s->numpoints));
      for (int i = 0; i < s->numpoints; ++i) {
        for (int k = 0; k < 3; ++k) put(s->point[i][k]);
      }
      for (int k = 0; k < 3; ++k) put(s->norm[k]);
      put(s->dist);
    }
    return out;
  };
  for (int round = 0; round < 3000; ++round) {
    const int kind = round % 3;
    const vertex_t o{coordinate(kind), coordinate(kind), coordinate(kind)};
    const auto size = [&] { return static_cast<short>(round % 4 == 0 ? MARKER_SIZE : 1 + next(1000)); };
    const short length = size(), width = size(), height = size();
    brush_t* direct = new_box(&o, length, width, height);
    brush_t* general = new_box(&o, length, width, height, DEFAULT_TEXTURE, false);
    fixbrush(general);
    ASSERT_EQ(bits(direct), bits(general))
        << o.x << ' ' << o.y << ' ' << o.z << " size " << width << ' ' << length << ' ' << height;
    free_brush(direct);
    free_brush(general);
  }
}
