// The ordered view's world tree: kept while the map stays as it is, built
// again after any change of the faces, however the change was made.
#include <gtest/gtest.h>

#include "edit/box_brush.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "render/draw_canvas.h"
#include "render/world_bsp.h"
#include "render_fixture.h"

namespace {

class WorldBspTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    make_world();
    // Boxes one behind another ahead of the start-up camera.
    for (int i = 0; i < 4; ++i) {
      const vertex_t at{static_cast<float>(-150 + 90 * i), static_cast<float>(-250 - 120 * i), 0};
      boxes.push_back(new_brush(&at, 120, 60, 160, 0));
    }
    options.allsolid = 1;
  }

  std::vector<brush_t*> boxes;
};

void move_brush(brush_t* b, float dx, float dz) {
  for (surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) {
      s->point[i].x += dx;
      s->point[i].z += dz;
    }
  }
}

int differing(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return n;
}

}  // namespace

TEST_F(WorldBspTest, BuiltOnceAndAgainOnlyAfterAChange) {
  using state = world_bsp::state;
  world_bsp tree;
  EXPECT_EQ(tree.refresh(false), state::changing);  // in a drag even the first is not built
  EXPECT_EQ(tree.refresh(true), state::built);
  EXPECT_GT(tree.fragment_count(), 0u);
  EXPECT_EQ(tree.refresh(true), state::kept);
  // Drawing state that is read afresh every frame needs no new tree.
  boxes[1]->fsurf->clr = make_rgb(1, 2, 3);
  boxes[2]->hidden = 1;
  origin = {40, 30, 20};
  EXPECT_EQ(tree.refresh(true), state::kept);
  boxes[1]->fsurf->point[0].z += 0.5f;
  EXPECT_EQ(tree.refresh(true), state::built);
  EXPECT_EQ(tree.refresh(true), state::kept);
  // A drag: a move before every frame, the tree built when it ends.
  for (int step = 0; step < 3; ++step) {
    move_brush(boxes[3], 10, 0);
    EXPECT_EQ(tree.refresh(false), state::changing) << step;
  }
  EXPECT_EQ(tree.refresh(true), state::built);
  // Faces taken away and put back, each noticed.
  remove_brush_from_list(boxes[0]);
  EXPECT_EQ(tree.refresh(true), state::built);
  boxes[0]->next = hull->brush;  // back, first in the list
  hull->brush = boxes[0];
  EXPECT_EQ(tree.refresh(true), state::built);
  // Put back where it was during a drag: the tree as built still holds.
  move_brush(boxes[2], 5, 0);
  EXPECT_EQ(tree.refresh(false), state::changing);
  move_brush(boxes[2], -5, 0);
  EXPECT_EQ(tree.refresh(false), state::kept);
}

TEST_F(WorldBspTest, OrderedFramesFollowEditsThatMakeNoUndoStep) {
  // A canvas that has drawn before, and so holds a tree, must draw what a new
  // canvas draws after each change made in place, as a drag makes it.
  TDrawCanvas kept;
  kept.draw_ordered();
  QImage before = kept.winbmp.copy();
  const auto same_as_new = [&](const char* step) {
    // In a drag the frame sorts its own fragments, and the edit shows.
    kept.DragDC = true;
    kept.winbmp.fill(Qt::white);
    kept.draw_ordered();
    EXPECT_GT(differing(kept.winbmp, before), 100) << step << ": the edit shows in the drag";
    kept.DragDC = false;
    kept.winbmp.fill(Qt::white);
    kept.draw_ordered();
    TDrawCanvas fresh;
    fresh.draw_ordered();
    EXPECT_EQ(differing(kept.winbmp, fresh.winbmp), 0) << step;
    EXPECT_GT(differing(kept.winbmp, before), 100) << step << ": the edit shows";
    before = kept.winbmp.copy();
  };
  move_brush(boxes[0], 60, 40);
  same_as_new("moved");
  move_brush(boxes[0], 60, 40);
  same_as_new("moved again");
  // Brought in front of the box behind it, then the box behind taken away.
  move_brush(boxes[2], -80, 0);
  same_as_new("moved across");
  remove_brush_from_list(boxes[1]);
  free_brush(boxes[1]);
  same_as_new("deleted");
  const vertex_t at{0, -180, -40};
  new_brush(&at, 40, 40, 40, 0);
  same_as_new("added");
}
