// The plan views on the real window: opened from the View menu, driven with
// the mouse and keys, their edits saved and undone.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "app/commands.h"
#include "app/plan_window.h"
#include "app/select_window.h"
#include "app/view_window.h"
#include "app_fixture.h"
#include "edit/grid_snap.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "model_fixture.h"
#include "render/render_state.h"

namespace {

// A floor A, a smaller block B standing on it, a block C off to the side,
// and a player start.
const std::string PLAN_MAP = R"({
"classname" "worldspawn"
{
( -64 -64 0 ) ( 64 -64 0 ) ( 64 64 0 ) GROUND1 0 0 0 1 1
( -64 -64 64 ) ( 64 -64 64 ) ( 64 -64 0 ) GROUND1 0 0 0 1 1
( -64 64 64 ) ( -64 -64 64 ) ( -64 -64 0 ) GROUND1 0 0 0 1 1
( 64 64 64 ) ( -64 64 64 ) ( -64 64 0 ) GROUND1 0 0 0 1 1
( 64 64 64 ) ( 64 64 0 ) ( 64 -64 0 ) GROUND1 0 0 0 1 1
( 64 64 64 ) ( 64 -64 64 ) ( -64 -64 64 ) GROUND1 0 0 0 1 1
}
{
( -32 -32 64 ) ( 32 -32 64 ) ( 32 32 64 ) BLOCK 0 0 0 1 1
( -32 -32 128 ) ( 32 -32 128 ) ( 32 -32 64 ) BLOCK 0 0 0 1 1
( -32 32 128 ) ( -32 -32 128 ) ( -32 -32 64 ) BLOCK 0 0 0 1 1
( 32 32 128 ) ( -32 32 128 ) ( -32 32 64 ) BLOCK 0 0 0 1 1
( 32 32 128 ) ( 32 32 64 ) ( 32 -32 64 ) BLOCK 0 0 0 1 1
( 32 32 128 ) ( 32 -32 128 ) ( -32 -32 128 ) BLOCK 0 0 0 1 1
}
{
( 200 0 0 ) ( 264 0 0 ) ( 264 64 0 ) SIDE 0 0 0 1 1
( 200 0 64 ) ( 264 0 64 ) ( 264 0 0 ) SIDE 0 0 0 1 1
( 200 64 64 ) ( 200 0 64 ) ( 200 0 0 ) SIDE 0 0 0 1 1
( 264 64 64 ) ( 200 64 64 ) ( 200 64 0 ) SIDE 0 0 0 1 1
( 264 64 64 ) ( 264 64 0 ) ( 264 0 0 ) SIDE 0 0 0 1 1
( 264 64 64 ) ( 264 0 64 ) ( 200 0 64 ) SIDE 0 0 0 1 1
}
}
{
"classname" "info_player_start"
"origin" "-200 -200 24"
}
)";

vertex_t low_corner(const brush_t* b) {
  vertex_t lo, hi;
  EXPECT_TRUE(brush_bounds(b, &lo, &hi));
  return lo;
}

// The brush whose faces carry the texture, in the world entity.
brush_t* textured(const char* name) {
  for (brush_t* b = hull->brush; b != nullptr; b = b->next) {
    if (b->fsurf->texname == name) return b;
  }
  return nullptr;
}

class PlanViews : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    const std::string path = temp_dir() + "/plan.map";
    write_file(path, PLAN_MAP);
    open_map(path);
    ASSERT_NE(win->candraw, 0);
    win->timer().stop();
  }

  static void key(TPlanWindow* v, Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(v->canvas(), k, mods);
  }

  // Saves the map to a new file and reads that back.
  void save_and_reload() {
    const std::string out = temp_dir() + "/saved" + std::to_string(saves++) + ".map";
    fake.file_answers.push_back(out);
    trigger(CM_FILESAVEAS);
    saved_text = read_file(out);
    ASSERT_FALSE(saved_text.empty());
    reset_model();
    ASSERT_TRUE(read_map(out).ok());
  }

  int saves = 0;
  std::string saved_text;
};

}  // namespace

TEST_F(PlanViews, OpenFromTheViewMenuWhileAMapIsOpenAndTile) {
  EXPECT_TRUE(checked(CM_SNAPTOGRID));
  const char* titles[] = {"Top", "Front", "Side"};
  int n = 0;
  for (const int id : {CM_VIEWTOP, CM_VIEWFRONT, CM_VIEWSIDE}) {
    TPlanWindow* v = open(id);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->windowTitle(), titles[n++]);
  }
  // Tiled, no view covers another, the 3D view among them.
  trigger(CM_VIEWTILE);
  const auto views = win->subWindowList();
  ASSERT_EQ(views.size(), 7);  // the 3D view, the three of the opening and the three above
  EXPECT_EQ(views[0], win->view_window());
  for (int i = 0; i < views.size(); ++i) {
    for (int j = i + 1; j < views.size(); ++j) {
      EXPECT_FALSE(views[i]->geometry().intersects(views[j]->geometry())) << i << " " << j;
    }
  }
  // Snap stays off in the 3D view until the menu turns it on there.
  EXPECT_EQ(options.snap_in_3d, 0);
  trigger(CM_SNAPTOGRID);
  EXPECT_FALSE(checked(CM_SNAPTOGRID));
  trigger(CM_SNAPTOGRID);
  EXPECT_EQ(options.snap_in_3d, 1);

  // The plan views go with the map; the 3D view stays.
  trigger(CM_FILECLOSE);
  for (const int id : {CM_VIEWTOP, CM_VIEWFRONT, CM_VIEWSIDE}) EXPECT_FALSE(enabled(id));
  EXPECT_EQ(win->subWindowList(), QList<QMdiSubWindow*>{win->view_window()});
}

TEST_F(PlanViews, ClicksPickTheFrontMostBrushThenTheOnesBelow) {
  TPlanWindow* top = open(CM_VIEWTOP);
  brush_t* a = textured("GROUND1");
  brush_t* b = textured("BLOCK");
  brush_t* c = textured("SIDE");
  const QPoint centre = at(top, {0, 0, 0});
  for (brush_t* expected : {b, a, b}) {
    click(top, centre);
    EXPECT_EQ(hibr, expected);
    EXPECT_EQ(selected_brushes(), std::vector<brush_t*>{expected});
  }
  click(top, at(top, {232, 32, 0}), Qt::ShiftModifier);
  EXPECT_EQ(selected_brushes(), (std::vector<brush_t*>{b, c}));
  click(top, at(top, {232, 32, 0}), Qt::ShiftModifier);
  EXPECT_EQ(selected_brushes(), std::vector<brush_t*>{b});
  click(top, at(top, {500, 500, 0}));  // empty space clears
  EXPECT_TRUE(selection_empty());

  // The side view looks along -x: C, further along +x, is in front of A.
  TPlanWindow* side = open(CM_VIEWSIDE);
  click(side, at(side, {0, 32, 32}));
  EXPECT_EQ(hibr, c);
  click(side, at(side, {0, 32, 32}));
  EXPECT_EQ(hibr, a);
  // In the front view B stands above A.
  TPlanWindow* front = open(CM_VIEWFRONT);
  click(front, at(front, {0, 0, 100}));
  EXPECT_EQ(hibr, b);
}

TEST_F(PlanViews, DragsMoveOnTheGridAndDrawBoxesEachOneUndoStepThatSaves) {
  TPlanWindow* top = open(CM_VIEWTOP);
  brush_t* c = textured("SIDE");
  click(top, at(top, {232, 32, 0}));
  ASSERT_EQ(hibr, c);
  // 37 right and 21 down from x 200, y 0: the low corner goes to the nearest
  // grid point, 240 and -16.
  drag(top, at(top, {232, 32, 0}), at(top, {269, 11, 0}));
  EXPECT_EQ(low_corner(c), (vertex_t{240, -16, 0}));
  // A drag in empty space draws a box on the grid, as deep as the last box.
  drag(top, at(top, {-197, 203, 0}), at(top, {-131, 150, 0}));
  ASSERT_NE(hibr, nullptr);
  EXPECT_EQ(low_corner(hibr), (vertex_t{-192, 144, 0}));
  EXPECT_EQ(hibr->hull, hull);
  EXPECT_EQ(selected_brushes(), std::vector<brush_t*>{hibr});
  // In the front view its depth comes from the box before.
  TPlanWindow* front = open(CM_VIEWFRONT);
  drag(front, at(front, {-300, 0, 300}), at(front, {-260, 0, 250}));
  EXPECT_EQ(low_corner(hibr), (vertex_t{-304, 144, 256}));

  // One step each: three undos bring back the map as opened.
  EXPECT_EQ(count_brushes(hull), 5);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(history_undo());
  EXPECT_FALSE(history_can_undo());
  EXPECT_EQ(count_brushes(hull), 3);
  EXPECT_EQ(low_corner(textured("SIDE")), (vertex_t{200, 0, 0}));
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(history_redo());

  save_and_reload();
  EXPECT_NE(saved_text.find("( 304 48 64 )"), std::string::npos) << saved_text;
  EXPECT_NE(saved_text.find("( -128 208 64 )"), std::string::npos) << saved_text;
  EXPECT_EQ(count_brushes(hull), 5);
  EXPECT_EQ(low_corner(textured("SIDE")), (vertex_t{240, -16, 0}));
}

TEST_F(PlanViews, WheelZoomsAboutTheCursorAndMiddleDragPans) {
  TPlanWindow* top = open(CM_VIEWTOP);
  const QPoint p(130, 90);
  const QPointF before = plan_world(top->camera(), p);
  QWheelEvent wheel(QPointF(p), top->canvas()->mapToGlobal(QPointF(p)), QPoint(), QPoint(0, 120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QCoreApplication::sendEvent(top->canvas(), &wheel);
  EXPECT_DOUBLE_EQ(top->camera().zoom, 1.25);
  EXPECT_NEAR(plan_world(top->camera(), p).x(), before.x(), 1e-9);
  EXPECT_NEAR(plan_world(top->camera(), p).y(), before.y(), 1e-9);
  const QPointF world = plan_world(top->camera(), QPointF(200, 200));
  drag(top, QPoint(200, 200), QPoint(260, 150), Qt::MiddleButton);
  EXPECT_NEAR(plan_world(top->camera(), QPointF(260, 150)).x(), world.x(), 1e-9);
  EXPECT_NEAR(plan_world(top->camera(), QPointF(260, 150)).y(), world.y(), 1e-9);
  EXPECT_TRUE(selection_empty());
  top->draw();
  EXPECT_EQ(top->status_text().rfind("grid 16  zoom 1.25  x ", 0), 0u) << top->status_text();
}

TEST_F(PlanViews, KeysSetTheGridNudgeDeleteAndCentreEachUndoable) {
  TPlanWindow* side = open(CM_VIEWSIDE);
  key(side, Qt::Key_BracketRight);
  EXPECT_EQ(options.grid_size, 32);
  for (int i = 0; i < 12; ++i) key(side, Qt::Key_BracketLeft);
  EXPECT_EQ(options.grid_size, 1);
  for (int i = 0; i < 12; ++i) key(side, Qt::Key_BracketRight);
  EXPECT_EQ(options.grid_size, 256);
  key(side, Qt::Key_BracketLeft);
  key(side, Qt::Key_BracketLeft);
  key(side, Qt::Key_BracketLeft);
  ASSERT_EQ(options.grid_size, 32);

  brush_t* c = textured("SIDE");
  click(side, at(side, {0, 32, 32}));
  ASSERT_EQ(hibr, c);
  // The side view's right is +y, its up +z.
  key(side, Qt::Key_Right);
  key(side, Qt::Key_Up);
  EXPECT_EQ(low_corner(c), (vertex_t{200, 32, 32}));
  EXPECT_TRUE(history_undo());
  EXPECT_EQ(low_corner(textured("SIDE")), (vertex_t{200, 32, 0}));
  EXPECT_TRUE(history_redo());
  EXPECT_EQ(low_corner(textured("SIDE")), (vertex_t{200, 32, 32}));

  // A 3D view key does nothing here.
  const int solid = options.allsolid;
  key(side, Qt::Key_S);
  EXPECT_EQ(options.allsolid, solid);

  // Home centres on the selection.
  click(side, at(side, {0, 64, 64}));
  ASSERT_EQ(hibr, textured("SIDE"));
  key(side, Qt::Key_Home);
  EXPECT_DOUBLE_EQ(side->camera().centre_u, 64);
  EXPECT_DOUBLE_EQ(side->camera().centre_v, 64);

  key(side, Qt::Key_Delete);
  EXPECT_EQ(count_brushes(hull), 2);
  EXPECT_EQ(textured("SIDE"), nullptr);
  EXPECT_TRUE(history_undo());
  EXPECT_NE(textured("SIDE"), nullptr);

  // Deleting the player start's marker takes the entity out.
  TPlanWindow* top = open(CM_VIEWTOP);
  ASSERT_EQ(numentity, 1);
  click(top, at(top, {-200, -200, 0}));
  ASSERT_EQ(hibr, entities[0].brush);
  key(top, Qt::Key_Delete);
  EXPECT_EQ(entities[0].valid, 0);
  EXPECT_TRUE(history_undo());
  EXPECT_EQ(entities[0].valid, 1);
}

TEST_F(PlanViews, TheOtherViewsFollowAnEditAndItsUndo) {
  QTest::keyClick(win, Qt::Key_Space);
  auto* overhead = dynamic_cast<TSelectWindow*>(win->subWindowList().back());
  ASSERT_NE(overhead, nullptr);
  win->timer().stop();
  TPlanWindow* top = open(CM_VIEWTOP);
  TPlanWindow* side = open(CM_VIEWSIDE);
  origin = {0, 0, 400};  // the 3D view looks along +y from above the map
  ticks(1);
  const QImage overhead_before = overhead->image(), frame_before = win->winbmp.copy();
  side->draw();
  const QImage side_before = side->image();

  click(top, at(top, {232, 32, 0}));
  drag(top, at(top, {232, 32, 0}), at(top, {232, 132, 0}));
  ticks(1);
  side->draw();
  EXPECT_NE(overhead->image(), overhead_before);
  EXPECT_NE(win->winbmp, frame_before);
  EXPECT_NE(side->image(), side_before);

  trigger(CM_EDITUNDO);
  ticks(1);
  side->draw();
  EXPECT_EQ(overhead->image(), overhead_before);
  EXPECT_EQ(win->winbmp, frame_before);
  EXPECT_EQ(side->image(), side_before);
}

TEST_F(PlanViews, DragsFromTheSelectionMoveAndAllOthersDrawBoxesAsDeepAsTheSelection) {
  TPlanWindow* top = open(CM_VIEWTOP);
  brush_t* a = textured("GROUND1");
  brush_t* b = textured("BLOCK");
  click(top, at(top, {0, 0, 0}));
  ASSERT_EQ(selected_brushes(), std::vector<brush_t*>{b});
  top->draw();
  EXPECT_NE(top->status_text().find("depth z 64 to 128"), std::string::npos) << top->status_text();

  // Over the floor, which is not selected: a box, as deep as the block.
  drag(top, at(top, {44, 44, 0}), at(top, {60, 60, 0}));
  EXPECT_EQ(low_corner(a), (vertex_t{-64, -64, 0}));
  brush_t* box = hibr;
  ASSERT_NE(box, b);
  EXPECT_EQ(low_corner(box), (vertex_t{48, 48, 64}));
  EXPECT_EQ(selected_brushes(), std::vector<brush_t*>{box});

  // From the selected box: a move. With Alt: a new box all the same.
  drag(top, at(top, {56, 56, 0}), at(top, {56, 88, 0}));
  EXPECT_EQ(low_corner(box), (vertex_t{48, 80, 64}));
  drag(top, at(top, {52, 84, 0}), at(top, {100, 120, 0}), Qt::LeftButton, Qt::AltModifier);
  EXPECT_EQ(low_corner(box), (vertex_t{48, 80, 64}));
  EXPECT_EQ(low_corner(hibr), (vertex_t{48, 80, 64}));
  EXPECT_NE(hibr, box);

  // Shift+] and Shift+[ set the next box's depth in grid steps, as the braces do.
  key(top, Qt::Key_BracketRight, Qt::ShiftModifier);
  key(top, Qt::Key_BraceRight, Qt::ShiftModifier);
  key(top, Qt::Key_BracketLeft, Qt::ShiftModifier);
  top->draw();
  EXPECT_NE(top->status_text().find("depth z 64 to 144"), std::string::npos) << top->status_text();
  EXPECT_EQ(options.grid_size, 16);
  drag(top, at(top, {-200, 100, 0}), at(top, {-160, 140, 0}));
  vertex_t lo, hi;
  ASSERT_TRUE(brush_bounds(hibr, &lo, &hi));
  EXPECT_EQ(lo.z, 64);
  EXPECT_EQ(hi.z, 144);
  // Never thinner than a unit.
  for (int i = 0; i < 20; ++i) key(top, Qt::Key_BracketLeft, Qt::ShiftModifier);
  top->draw();
  EXPECT_NE(top->status_text().find("depth z 64 to 65"), std::string::npos) << top->status_text();

  // Each box and move one step; the depth keys change no map.
  EXPECT_EQ(count_brushes(hull), 6);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(history_undo());
  EXPECT_FALSE(history_can_undo());
  EXPECT_EQ(count_brushes(hull), 3);
}

TEST_F(PlanViews, HandlesStretchTheSelectionOnTheGridOrRefuseAndEachResizeIsOneStep) {
  TPlanWindow* front = open(CM_VIEWFRONT);
  brush_t* c = textured("SIDE");
  click(front, at(front, {232, 0, 32}));
  ASSERT_EQ(selected_brushes(), std::vector<brush_t*>{c});
  const auto bounds = [] {
    vertex_t lo, hi;
    EXPECT_TRUE(brush_bounds(textured("SIDE"), &lo, &hi));
    return std::pair(lo, hi);
  };
  // The right side's handle, to the nearest grid line.
  drag(front, at(front, {264, 0, 32}), at(front, {300, 0, 40}));
  EXPECT_EQ(bounds(), std::pair(vertex_t{200, 0, 0}, vertex_t{304, 64, 64}));
  // A corner moves two sides at once.
  drag(front, at(front, {304, 0, 64}), at(front, {330, 0, 100}));
  EXPECT_EQ(bounds(), std::pair(vertex_t{200, 0, 0}, vertex_t{336, 64, 96}));
  // The left side dragged past the right, or onto it, would turn the brush over.
  drag(front, at(front, {200, 0, 48}), at(front, {400, 0, 48}));
  drag(front, at(front, {200, 0, 48}), at(front, {336, 0, 48}));
  EXPECT_EQ(bounds(), std::pair(vertex_t{200, 0, 0}, vertex_t{336, 64, 96}));
  EXPECT_EQ(selected_brushes(), std::vector<brush_t*>{c});
  EXPECT_EQ(count_brushes(hull), 3);

  EXPECT_TRUE(history_undo());
  EXPECT_EQ(bounds(), std::pair(vertex_t{200, 0, 0}, vertex_t{304, 64, 64}));
  EXPECT_TRUE(history_undo());
  EXPECT_EQ(bounds(), std::pair(vertex_t{200, 0, 0}, vertex_t{264, 64, 64}));
  EXPECT_FALSE(history_can_undo());
}

TEST_F(PlanViews, ClipToolCutsTheSelectionByTwoGridPointsOrATiltedPlaneInOneStep) {
  TPlanWindow* top = open(CM_VIEWTOP);
  top->camera().centre_u = 150;
  brush_t* c = textured("SIDE");
  click(top, at(top, {232, 32, 0}));
  ASSERT_EQ(selected_brushes(), std::vector<brush_t*>{c});
  key(top, Qt::Key_C);
  EXPECT_TRUE(checked(CM_CLIPTOOL));
  // Two points off the grid land on x 240; the plane holds the view's axis.
  click(top, at(top, {237, -100, 0}));
  click(top, at(top, {243, 200, 0}));
  top->draw();
  EXPECT_NE(top->status_text().find("clip: keep front"), std::string::npos) << top->status_text();
  EXPECT_EQ(count_brushes(hull), 3);  // nothing cut before Enter
  // The part that goes is outlined in red: the far side, not the near one.
  const auto red_near = [&](vertex_t p) {
    const QPoint c = at(top, p);
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (top->image().pixel(c.x() + dx, c.y() + dy) == qRgb(255, 0, 0)) return true;
    return false;
  };
  EXPECT_TRUE(red_near({264, 32, 0}));
  EXPECT_FALSE(red_near({200, 32, 0}));
  key(top, Qt::Key_Return);
  ASSERT_EQ(selected_brushes().size(), 1u);
  vertex_t lo, hi;
  ASSERT_TRUE(brush_bounds(hibr, &lo, &hi));
  EXPECT_EQ(lo, (vertex_t{200, 0, 0}));
  EXPECT_EQ(hi, (vertex_t{240, 64, 64}));
  EXPECT_EQ(hibr->fsurf->texname, "SIDE");

  // The third point, from the front view, tilts the plane; F goes round to both.
  TPlanWindow* front = open(CM_VIEWFRONT);
  front->camera().centre_u = 150;
  click(top, at(top, {210, -100, 0}));
  click(top, at(top, {206, 200, 0}));
  click(front, at(front, {242, 0, 62}));
  key(top, Qt::Key_F);
  key(top, Qt::Key_F);
  top->draw();
  EXPECT_NE(top->status_text().find("clip: keep both"), std::string::npos) << top->status_text();
  key(front, Qt::Key_Enter);
  const std::vector<brush_t*> pieces = selected_brushes();
  ASSERT_EQ(pieces.size(), 2u);
  // The plane runs through x 208 at z 32 and x 240 at z 64: at x 200 it is at z 24.
  float highest_bottom = -1e9f;
  for (brush_t* b : pieces) {
    ASSERT_TRUE(brush_bounds(b, &lo, &hi));
    highest_bottom = std::max(highest_bottom, lo.z);
  }
  EXPECT_NEAR(highest_bottom, 24, 1e-3);
  EXPECT_EQ(count_brushes(hull), 4);

  // Escape leaves the tool; clicks select again.
  key(top, Qt::Key_Escape);
  EXPECT_FALSE(checked(CM_CLIPTOOL));
  click(top, at(top, {0, 0, 0}));
  EXPECT_EQ(hibr, textured("BLOCK"));
  // Each cut one step; the clicks none.
  EXPECT_TRUE(history_undo());
  EXPECT_TRUE(history_undo());
  EXPECT_FALSE(history_can_undo());
  EXPECT_EQ(count_brushes(hull), 3);
}

TEST_F(PlanViews, VertexEditingDragsTheNearestCornerOnTheGridAndRefusesABend) {
  TPlanWindow* top = open(CM_VIEWTOP);
  top->camera().centre_u = 150;
  brush_t* c = textured("SIDE");
  click(top, at(top, {232, 32, 0}));
  ASSERT_EQ(selected_brushes(), std::vector<brush_t*>{c});
  key(top, Qt::Key_P);
  EXPECT_TRUE(checked(CM_VERTEXMODE));
  const auto corners = [](const brush_t* b) {
    std::vector<vertex_t> all;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next)
      all.insert(all.end(), s->point.data(), s->point.data() + s->numpoints);
    return all;
  };
  // The rebuild from planes leaves corners within a hair of where they were put.
  const auto has = [&](const brush_t* b, vertex_t p) {
    const std::vector<vertex_t> all = corners(b);
    return std::any_of(all.begin(), all.end(), [&](const vertex_t& q) {
      return std::fabs(q.x - p.x) < 1e-2f && std::fabs(q.y - p.y) < 1e-2f && std::fabs(q.z - p.z) < 1e-2f;
    });
  };
  // The top corner, nearest the eye, goes out along x; the one below stays.
  drag(top, at(top, {264, 64, 0}), at(top, {290, 62, 0}));
  EXPECT_TRUE(has(c, {288, 64, 64}));
  EXPECT_TRUE(has(c, {264, 64, 0}));
  EXPECT_FALSE(has(c, {264, 64, 64}));
  // Into the top face, this one would bend it inward: the brush stays bit for bit.
  const std::vector<vertex_t> before = corners(c);
  drag(top, at(top, {200, 0, 0}), at(top, {248, 48, 0}));
  const std::vector<vertex_t> after = corners(c);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(std::memcmp(after.data(), before.data(), before.size() * sizeof(vertex_t)), 0);
  EXPECT_EQ(selected_brushes(), std::vector<brush_t*>{c});

  EXPECT_TRUE(history_undo());
  EXPECT_FALSE(history_can_undo());
  EXPECT_TRUE(has(textured("SIDE"), {264, 64, 64}));
}

TEST_F(PlanViews, ShiftClicksCycleTheAddedBrushBandsSelectAndHiddenBrushesLeaveEveryView) {
  TPlanWindow* top = open(CM_VIEWTOP);
  brush_t* a = textured("GROUND1");
  brush_t* b = textured("BLOCK");
  brush_t* c = textured("SIDE");
  const auto selected_set = [] {
    std::vector<brush_t*> s = selected_brushes();
    std::sort(s.begin(), s.end());
    return s;
  };
  const auto set_of = [](std::vector<brush_t*> s) {
    std::sort(s.begin(), s.end());
    return s;
  };
  click(top, at(top, {232, 32, 0}));
  // Shift+clicks at one spot over the block and the floor: the block comes
  // in, then gives way to the floor, then back.
  for (brush_t* expected : {b, a, b}) {
    click(top, at(top, {0, 0, 0}), Qt::ShiftModifier);
    EXPECT_EQ(selected_set(), set_of({c, expected}));
    EXPECT_EQ(hibr, expected);
  }

  // A Ctrl band selects what lies wholly inside it; Ctrl+Shift adds.
  drag(top, at(top, {-40, -40, 0}), at(top, {300, 100, 0}), Qt::LeftButton, Qt::ControlModifier);
  EXPECT_EQ(selected_set(), set_of({b, c}));
  drag(top, at(top, {-250, -250, 0}), at(top, {-150, -150, 0}), Qt::LeftButton,
       Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(selected_set(), set_of({b, c, entities[0].brush}));

  // H hides them from the plan views and the 3D view, Shift+H brings them back.
  origin = {0, 0, 400};
  click(top, at(top, {500, 500, 0}));
  ticks(1);
  const QImage frame_before = win->winbmp.copy();
  drag(top, at(top, {-40, -40, 0}), at(top, {300, 100, 0}), Qt::LeftButton, Qt::ControlModifier);
  key(top, Qt::Key_H);
  EXPECT_TRUE(selection_empty());
  EXPECT_EQ(brushes_at(top->camera(), at(top, {0, 0, 0})), std::vector<brush_t*>{a});
  click(top, at(top, {232, 32, 0}));
  EXPECT_TRUE(selection_empty());
  ticks(1);
  EXPECT_NE(win->winbmp, frame_before);
  key(top, Qt::Key_H, Qt::ShiftModifier);
  EXPECT_EQ(brushes_at(top->camera(), at(top, {0, 0, 0})), (std::vector<brush_t*>{b, a}));
  ticks(1);
  EXPECT_EQ(win->winbmp, frame_before);

  // Hidden brushes are saved as any other.
  click(top, at(top, {232, 32, 0}));
  key(top, Qt::Key_H);
  save_and_reload();
  EXPECT_EQ(count_brushes(hull), 3);
  EXPECT_EQ(numentity, 1);
}

// A room with a door, from File/new, with the plan views alone: a floor drawn
// and resized, walls drawn over it as deep as it, a ceiling, and a door cut
// from a wall by the clip tool.
TEST_F(PlanViews, ARoomWithADoorIsBuiltInThePlanViewsOnTheGridAndUndoesAndRedoesWhole) {
  trigger(CM_FILENEW);
  ASSERT_NE(win->candraw, 0);
  ASSERT_EQ(count_brushes(hull), 0);
  TPlanWindow* top = open(CM_VIEWTOP);
  TPlanWindow* front = open(CM_VIEWFRONT);
  TPlanWindow* side = open(CM_VIEWSIDE);
  const auto box_of = [](const brush_t* b) {
    vertex_t lo, hi;
    EXPECT_TRUE(brush_bounds(b, &lo, &hi));
    return std::pair(lo, hi);
  };
  const auto select_floor = [&] { click(front, at(front, {0, 0, 8})); };

  drag(top, at(top, {-128, -128, 0}), at(top, {128, 128, 0}));
  brush_t* floor = hibr;
  drag(front, at(front, {0, 0, 64}), at(front, {0, 0, 16}));  // its top handle down to 16
  EXPECT_EQ(box_of(floor), std::pair(vertex_t{-128, -128, 0}, vertex_t{128, 128, 16}));
  // Walls over the floor, each as deep as the brush selected.
  drag(front, at(front, {-128, 0, 128}), at(front, {-112, 0, 16}));
  EXPECT_EQ(box_of(hibr), std::pair(vertex_t{-128, -128, 16}, vertex_t{-112, 128, 128}));
  drag(front, at(front, {128, 0, 128}), at(front, {112, 0, 16}));
  select_floor();
  ASSERT_EQ(hibr, floor);
  drag(side, at(side, {0, -128, 128}), at(side, {0, -112, 16}));
  brush_t* south = hibr;
  EXPECT_EQ(box_of(south), std::pair(vertex_t{-128, -128, 16}, vertex_t{128, -112, 128}));
  drag(side, at(side, {0, 128, 128}), at(side, {0, 112, 16}));
  select_floor();
  drag(front, at(front, {-128, 0, 144}), at(front, {128, 0, 128}));
  EXPECT_EQ(box_of(hibr), std::pair(vertex_t{-128, -128, 128}, vertex_t{128, 128, 144}));

  // The door: the south wall, nearest in the front view, cut at x -16 and 16
  // and the middle at z 96, keeping both sides; the piece below goes.
  const auto cut = [&](vertex_t a, vertex_t b) {
    key(front, Qt::Key_C);
    key(front, Qt::Key_F);
    key(front, Qt::Key_F);
    click(front, at(front, a));
    click(front, at(front, b));
    key(front, Qt::Key_Return);
    key(front, Qt::Key_Escape);
  };
  click(front, at(front, {0, 0, 64}));
  ASSERT_EQ(hibr, south);
  cut({-16, 0, 0}, {-16, 0, 200});
  click(front, at(front, {0, 0, 64}));
  cut({16, 0, 0}, {16, 0, 200});
  click(front, at(front, {0, 0, 64}));
  EXPECT_EQ(box_of(hibr), std::pair(vertex_t{-16, -128, 16}, vertex_t{16, -112, 128}));
  cut({-100, 0, 96}, {100, 0, 96});
  click(front, at(front, {0, 0, 40}));
  EXPECT_EQ(box_of(hibr), std::pair(vertex_t{-16, -128, 16}, vertex_t{16, -112, 96}));
  key(front, Qt::Key_Delete);
  EXPECT_EQ(count_brushes(hull), 8);  // floor, ceiling, 3 walls, 3 pieces round the door
  EXPECT_MODEL_OK();

  // Saved, every point is on the grid.
  const std::string built = map_text();
  std::size_t points = 0;
  for (std::size_t open_at = built.find('('); open_at != std::string::npos;
       open_at = built.find('(', open_at + 1)) {
    double v[3];
    ASSERT_EQ(std::sscanf(built.c_str() + open_at, "( %lf %lf %lf )", &v[0], &v[1], &v[2]), 3);
    for (double x : v) EXPECT_EQ(std::fmod(x, 16.0), 0.0) << built;
    ++points;
  }
  EXPECT_GE(points, 8u * 6 * 3);

  // Undone step by step to the empty map, and redone to the same text.
  int steps = 0;
  while (history_can_undo()) {
    ASSERT_TRUE(history_undo());
    ++steps;
  }
  EXPECT_EQ(steps, 11);
  EXPECT_EQ(count_brushes(hull), 0);
  while (history_can_redo()) ASSERT_TRUE(history_redo());
  EXPECT_EQ(map_text(), built);
}

TEST_F(PlanViews, DuplicateCopiesTheSelectedBrushesOneGridStepRightAndDownInTheLastViewUsed) {
  TPlanWindow* side = open(CM_VIEWSIDE);
  brush_t* c = textured("SIDE");
  click(side, at(side, {0, 32, 32}));
  ASSERT_EQ(hibr, c);
  EXPECT_TRUE(enabled(CM_DUPLICATE));
  trigger(CM_DUPLICATE);
  ASSERT_NE(hibr, c);
  EXPECT_EQ(selected_brushes(), std::vector<brush_t*>{hibr});
  // The side view's right is +y, its down -z.
  EXPECT_EQ(low_corner(hibr), (vertex_t{200, 16, -16}));
  EXPECT_EQ(low_corner(c), (vertex_t{200, 0, 0}));
  EXPECT_EQ(hibr->hull, hull);
  EXPECT_EQ(hibr->fsurf->texname, "SIDE");
  EXPECT_EQ(count_brushes(hull), 4);
  EXPECT_MODEL_OK();
  // One step; the copy saves as any other brush.
  EXPECT_TRUE(history_undo());
  EXPECT_EQ(count_brushes(hull), 3);
  EXPECT_TRUE(history_redo());
  save_and_reload();
  EXPECT_EQ(count_brushes(hull), 4);
  EXPECT_NE(saved_text.find("( 200 16 48 )"), std::string::npos) << saved_text;
}

TEST_F(PlanViews, CopyAndPasteCarryBrushesAndPointEntitiesAsMapText) {
  TPlanWindow* top = open(CM_VIEWTOP);
  EXPECT_FALSE(enabled(CM_COPY));
  click(top, at(top, {232, 32, 0}));
  click(top, at(top, {-200, -200, 0}), Qt::ShiftModifier);
  ASSERT_EQ(selected_brushes().size(), 2u);
  trigger(CM_COPY);
  const std::string text = QGuiApplication::clipboard()->text().toStdString();
  EXPECT_EQ(text.rfind("{\n\"classname\" \"worldspawn\"\n", 0), 0u) << text;
  EXPECT_NE(text.find("SIDE"), std::string::npos) << text;
  EXPECT_EQ(text.find("GROUND1"), std::string::npos) << text;
  EXPECT_EQ(text.find("BLOCK"), std::string::npos) << text;
  EXPECT_NE(text.find("\"classname\" \"info_player_start\"\n\"origin\" \"-200 -200 24\"\n}"),
            std::string::npos)
      << text;
  // Pasted in the top view, the copy goes to the mouse by whole grid steps,
  // selected, as one undo step.
  const std::string before = map_text();
  const int brushes = count_brushes(hull), points = numentity;
  vertex_t lo0, hi0;
  ASSERT_TRUE(brushes_bounds(selected_brushes(), &lo0, &hi0));
  win->setActiveSubWindow(top);
  send(top, QEvent::MouseMove, at(top, {600, 400, 0}), Qt::NoButton);
  trigger(CM_PASTE);
  EXPECT_EQ(count_brushes(hull), brushes + 1);
  EXPECT_EQ(numentity, points + 1);
  EXPECT_EQ(selected_brushes().size(), 2u);
  vertex_t lo, hi;
  ASSERT_TRUE(brushes_bounds(selected_brushes(), &lo, &hi));
  EXPECT_NEAR((lo.x + hi.x) / 2, 600, 16);
  EXPECT_NEAR((lo.y + hi.y) / 2, 400, 16);
  EXPECT_EQ(std::fmod(lo.x - lo0.x, 16.0f), 0);
  EXPECT_EQ(std::fmod(lo.y - lo0.y, 16.0f), 0);
  EXPECT_EQ(lo.z, lo0.z);
  EXPECT_EQ(check_model(), "");
  trigger(CM_EDITUNDO);
  EXPECT_EQ(map_text(), before);

  // Text that is not map text changes nothing and says so.
  QGuiApplication::clipboard()->setText(QStringLiteral("a shopping list\n"));
  trigger(CM_PASTE);
  EXPECT_EQ(map_text(), before);
  EXPECT_FALSE(frame->statusBar()->currentMessage().isEmpty());

  // Read back as a map on its own, the copy holds the one brush and the entity.
  reset_model();
  ASSERT_TRUE(read_map_text(text).ok());
  EXPECT_EQ(count_brushes(hull), 1);
  EXPECT_EQ(numentity, 1);
}
