// Keys and mouse drags through the real window.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>
#include <cmath>
#include <numbers>

#include "app_fixture.h"
#include "edit/box_brush.h"
#include "edit/transforms.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/vector_math.h"
#include "model/view_options.h"
#include "model_fixture.h"
#include "render/render_state.h"

namespace {

class Editing : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    win->timer().stop();  // no frame may move the highlight behind a test's back
    world = make_world();
    win->candraw = 1;
  }

  void key(Qt::Key k) { QTest::keyClick(win, k); }

  // Mouse messages go straight to the view, each one delivered, as a hand
  // would make them; the mouse is over the view before it is pressed.
  void press(Qt::MouseButton b, QPoint p) {
    move(p);
    held |= b;
    send(QEvent::MouseButtonPress, b, p);
  }
  void release(Qt::MouseButton b, QPoint p) {
    held &= ~b;
    send(QEvent::MouseButtonRelease, b, p);
  }
  void move(QPoint p) { send(QEvent::MouseMove, Qt::NoButton, p); }
  void send(QEvent::Type type, Qt::MouseButton b, QPoint p) {
    QMouseEvent e(type, QPointF(p), win->picture()->mapToGlobal(QPointF(p)), b, held, modifiers);
    QCoreApplication::sendEvent(win->picture(), &e);
  }
  Qt::MouseButtons held;
  Qt::KeyboardModifiers modifiers;

  brush_t* box(vertex_t o, short size) { return new_brush(&o, size, size, size, 0); }

  // The face of b whose normal is n.
  static surf* face(brush_t* b, vertex_t n) {
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      if (VectorCompare(&s->norm, &n)) return s;
    }
    return nullptr;
  }

  hull_t* world = nullptr;
};

float top_of(const brush_t* b) {
  float z = -1e9f;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) z = std::max(z, s->point[i].z);
  }
  return z;
}

}  // namespace

TEST_F(Editing, AngleWrapSequence) {
  angle.z = -3.05f;
  key(Qt::Key_Left);
  EXPECT_FLOAT_EQ(angle.z, -3.1f);
  key(Qt::Key_Left);
  EXPECT_FLOAT_EQ(angle.z, 3.15f);
  EXPECT_FLOAT_EQ(sangz, static_cast<float>(std::sin(3.15f)));
  angle.x = 3.05f;
  key(Qt::Key_Home);
  EXPECT_FLOAT_EQ(angle.x, 3.1f);
  key(Qt::Key_Home);
  EXPECT_FLOAT_EQ(angle.x, -3.15f);
  key(Qt::Key_Period);
  EXPECT_FLOAT_EQ(angle.y, 0.05f);
  EXPECT_EQ(win->status.keydown, 0);  // the release clears it
}

TEST_F(Editing, ZoomAndFocalLengthLimits) {
  // Steps of 0.05 stop once vd is no longer above 0.1; float steps leave it
  // a hair below.
  for (int i = 0; i < 40; ++i) key(Qt::Key_BracketLeft);
  EXPECT_GT(win->vd, 0.04f);
  EXPECT_LE(win->vd, 0.1f);
  for (int i = 0; i < 400; ++i) key(Qt::Key_BracketRight);
  EXPECT_GT(win->vd, 10.0f);
  EXPECT_LT(win->vd, 10.06f);
  for (int i = 0; i < 200; ++i) key(Qt::Key_Equal);
  EXPECT_EQ(win->view, 5.0f);
  key(Qt::Key_Minus);
  EXPECT_EQ(win->view, 10.0f);
}

TEST_F(Editing, SolidKeyCountsTestingAndForwardStepIsWhole) {
  key(Qt::Key_S);
  EXPECT_EQ(options.allsolid, 1);
  EXPECT_EQ(win->status.testing_value, -70);
  key(Qt::Key_A);
  EXPECT_EQ(win->status.testing_value, -75);
  EXPECT_EQ(options.allsolid, 1);

  angle = {0, 0, 0};
  compute_angles();
  key(Qt::Key_Up);
  EXPECT_EQ(origin.x, 0.0f);
  EXPECT_EQ(origin.y, 20.0f);
  key(Qt::Key_PageUp);
  EXPECT_EQ(origin.z, 10.0f);
}

TEST_F(Editing, SelectSplitAndSubtract) {
  brush_t* cube = box({0, 0, 0}, 64);
  brush_t* floor = box({0, 0, 16}, 32);  // its bottom face is the plane z = 0
  hilight = cube->fsurf;
  key(Qt::Key_1);
  EXPECT_EQ(hibr, cube);
  EXPECT_EQ(blist->brush, cube);

  // Tab on the current brush's own face subtracts nothing and keeps the selection.
  key(Qt::Key_Tab);
  EXPECT_EQ(count_brushes(world), 2);
  EXPECT_EQ(hibr, cube);

  hilight = face(floor, {0, 0, 1});
  ASSERT_NE(hilight, nullptr);
  key(Qt::Key_QuoteLeft);
  EXPECT_EQ(count_brushes(world), 3);  // two halves of the cube and the cutter
  EXPECT_TRUE(selection_empty());
  EXPECT_EQ(hibr, nullptr);
  EXPECT_MODEL_OK();

  // The upper half is current now; subtracting the cutter leaves its outside.
  brush_t* upper = world->brush;
  hilight = upper->fsurf;
  key(Qt::Key_1);
  hilight = floor->fsurf;
  key(Qt::Key_Tab);
  EXPECT_TRUE(selection_empty());
  EXPECT_GT(count_brushes(world), 3);
  EXPECT_MODEL_OK();
}

TEST_F(Editing, ConvertAsksAndMakesAPointEntity) {
  brush_t* b = box({100, 200, 24}, 16);
  hilight = b->fsurf;
  fake.box_answers.push_back(IDCANCEL);
  key(Qt::Key_Backspace);
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].text, "Are You sure that you wish \nto convert this brush to an entity?");
  EXPECT_EQ(fake.boxes[0].caption, "Create Entity");
  EXPECT_EQ(numentity, 0);
  EXPECT_EQ(hilight, nullptr);
  EXPECT_EQ(win->timer().period(), 100);

  hilight = b->fsurf;
  key(Qt::Key_Backspace);  // OK
  ASSERT_EQ(numentity, 1);
  EXPECT_EQ(world->brush, nullptr);
  // The centre (100 200 24), with snapping on, goes to the grid of 16.
  EXPECT_EQ(entities[0].origin.x, 96);
  EXPECT_EQ(entities[0].origin.z, 32);
  EXPECT_EQ(std::fmod(entities[0].origin.y, 16.0f), 0);
  ASSERT_NE(entities[0].brush, nullptr);
  EXPECT_EQ(entities[0].brush->entity, 0);
  EXPECT_EQ(entities[0].header, nullptr);

  // On a marker nothing is asked and nothing changes.
  hilight = entities[0].brush->fsurf;
  key(Qt::Key_Backspace);
  EXPECT_EQ(fake.boxes.size(), 2u);
  EXPECT_EQ(numentity, 1);
  EXPECT_EQ(hilight, nullptr);
}

TEST_F(Editing, ConvertRefusesWhenTheTableIsFull) {
  brush_t* b = box({0, 0, 0}, 16);
  numentity = MAX_ENTITIES;  // slots without records are fine for this
  hilight = b->fsurf;
  key(Qt::Key_Backspace);
  ASSERT_EQ(fake.boxes.size(), 2u);
  EXPECT_NE(fake.boxes[1].text.find("1024"), std::string::npos);
  EXPECT_EQ(numentity, MAX_ENTITIES);
  EXPECT_EQ(world->brush, b);
  numentity = 0;
}

TEST_F(Editing, DeleteMarkerAndBrush) {
  brush_t* b = box({0, 0, 0}, 16);
  const vertex_t o{50, 0, 0};
  entities[0].brush = new_brush(&o, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  entities[0].brush->entity = 0;
  entities[0].valid = 1;
  numentity = 1;

  hilight = entities[0].brush->fsurf;
  key(Qt::Key_Delete);
  EXPECT_EQ(fake.boxes.back().text, "delete brush?");
  EXPECT_EQ(fake.boxes.back().caption, "are you sure?");
  EXPECT_EQ(entities[0].valid, 0);
  EXPECT_EQ(entities[0].brush->valid, 0);  // both stay in memory
  EXPECT_EQ(win->timer().period(), 10);

  hilight = b->fsurf;
  fake.box_answers.push_back(IDCANCEL);
  key(Qt::Key_Delete);
  EXPECT_EQ(world->brush, b);
  hilight = b->fsurf;
  key(Qt::Key_Delete);
  EXPECT_EQ(world->brush, nullptr);
  EXPECT_EQ(hilight, nullptr);
}

TEST_F(Editing, FaceDragThresholds) {
  brush_t* b = box({0, 0, 0}, 64);
  surf* top = face(b, {0, 0, -1});
  hilight = top;
  press(Qt::LeftButton, {100, 100});
  move({100, 105});  // exactly 5 pixels: nothing moves
  EXPECT_FLOAT_EQ(top_of(b), 32.0f);
  move({100, 99});  // 6 pixels up: pulled out by one step
  EXPECT_FLOAT_EQ(top_of(b), 37.0f);
  move({100, 106});  // 7 pixels down: pushed back in
  EXPECT_FLOAT_EQ(top_of(b), 32.0f);
  release(Qt::LeftButton, {100, 106});
  EXPECT_EQ(hilight, nullptr);
  EXPECT_FALSE(win->DragDC);
  EXPECT_EQ(win->button, 0);
}

TEST_F(Editing, LeftDragOnAMarkerDoesNothing) {
  const vertex_t o{0, 0, 0};
  entities[0].brush = new_brush(&o, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  entities[0].brush->entity = 0;
  entities[0].valid = 1;
  numentity = 1;
  hilight = entities[0].brush->fsurf;
  press(Qt::LeftButton, {100, 100});
  move({100, 50});
  EXPECT_FLOAT_EQ(top_of(entities[0].brush), 4.0f);
  release(Qt::LeftButton, {100, 50});
}

TEST_F(Editing, RightDragMovesSelectedBrushesAlongTheSwitchedAxes) {
  brush_t* a = box({0, 0, 0}, 16);
  brush_t* b = box({100, 0, 0}, 16);
  insert_brush_in_list(a);
  insert_brush_in_list(b);
  options.dragz = 1;
  press(Qt::RightButton, {200, 200});
  move({230, 200});  // horizontal only: Z alone moves nothing
  EXPECT_FLOAT_EQ(top_of(a), 8.0f);
  options.dragz = 0;
  options.dragx = 1;
  move({241, 200});  // 11 pixels right
  release(Qt::RightButton, {241, 200});
  vertex_t c;
  ASSERT_TRUE(find_center(a, &c));
  EXPECT_NEAR(c.x, 5.0, 0.001);
  ASSERT_TRUE(find_center(b, &c));
  EXPECT_NEAR(c.x, 105.0, 0.001);
}

TEST_F(Editing, RightDragOfAMarkerMovesTheEntityOrigin) {
  const vertex_t o{0, 0, 0};
  brush_t* m = new_brush(&o, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
  m->entity = 0;
  entities[0] = {nullptr, o, 1, m, {}};
  numentity = 1;
  insert_brush_in_list(m);
  options.dragz = 1;
  press(Qt::RightButton, {200, 200});
  move({200, 190});  // up: raise
  release(Qt::RightButton, {200, 190});
  EXPECT_FLOAT_EQ(entities[0].origin.z, 5.0f);
  EXPECT_FLOAT_EQ(top_of(m), 9.0f);
}

TEST_F(Editing, VertexModeMovesThePointOncePerListedBrush) {
  options.fixb = 0;
  brush_t* a = box({0, 0, 0}, 16);
  brush_t* b = box({40, 0, 0}, 16);
  brush_t* c = box({80, 0, 0}, 16);
  for (brush_t* x : {a, b, c}) insert_brush_in_list(x);
  closest_point = &a->fsurf->point[0];
  const float z0 = closest_point->z;
  options.dragz = 1;
  press(Qt::RightButton, {10, 10});
  move({10, 6});
  EXPECT_FLOAT_EQ(a->fsurf->point[0].z, z0 + 15.0f);
  release(Qt::RightButton, {10, 6});
  closest_point = nullptr;
}

// A point of a face read from a file, moved with "fix brushes" off, moves
// that face's plane, and the save writes it where it went.
TEST_F(Editing, AMovedPointOfAReadFaceIsSavedWhereItWent) {
  options.fixb = 0;
  ASSERT_TRUE(read_map_text(box_map_text("( 0.5 0 64 ) ( 0 64 64 ) ( 64 0 64 ) T 0 0 0 1 1")).ok());
  surf* top = hull->brush->fsurf;
  while (top->next != nullptr) top = top->next;
  insert_brush_in_list(hull->brush);
  closest_point = &top->point[1];
  options.dragz = 1;
  press(Qt::RightButton, {10, 10});
  move({10, 6});
  release(Qt::RightButton, {10, 6});
  closest_point = nullptr;
  EXPECT_NE(map_text().find("( 0.5 0 64 ) ( 0 64 69 ) ( 64 0 64 ) T"), std::string::npos) << map_text();
}

TEST_F(Editing, MiddleButtonMakesTheHighlightedBrushCurrent) {
  brush_t* b = box({0, 0, 0}, 16);
  hilight = b->fsurf;
  press(Qt::MiddleButton, {10, 10});
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].text, "dclk");
  EXPECT_EQ(fake.boxes[0].caption, "test");
  EXPECT_EQ(hibr, b);
  EXPECT_TRUE(selection_empty());
  EXPECT_TRUE(win->DragDC);
  release(Qt::RightButton, {10, 10});  // a right release ends the drag
  EXPECT_FALSE(win->DragDC);
}

TEST_F(Editing, ShiftAndTheMouseTurnTheCameraAndTheArrowsFlyThatWay) {
  move({400, 300});
  const vertex_t start = angle;
  move({500, 300});  // without Shift the mouse only points
  EXPECT_EQ(angle, start);

  modifiers = Qt::ShiftModifier;
  move({500, 300});  // where the look begins: no turn yet
  EXPECT_EQ(angle, start);
  move({600, 260});  // right and up: turns right, looks up
  EXPECT_NEAR(angle.z, std::remainder(start.z + 0.5, 2 * std::numbers::pi), 1e-5);
  EXPECT_NEAR(angle.x, -0.2, 1e-5);
  EXPECT_FLOAT_EQ(sangz, static_cast<float>(std::sin(angle.z)));
  move({600, -2000});  // never past straight up
  EXPECT_NEAR(angle.x, -1.55, 1e-5);
  move({600, 2000});
  EXPECT_NEAR(angle.x, 1.55, 1e-5);

  // The arrows fly along the new heading.
  modifiers = Qt::NoModifier;
  move({600, 300});
  angle = {0.0f, 0.0f, 0.0f};
  compute_angles();
  modifiers = Qt::ShiftModifier;
  move({600, 300});
  move({600 + 314, 300});  // a quarter turn: about +x
  modifiers = Qt::NoModifier;
  origin = {0, 0, 0};
  key(Qt::Key_Up);
  EXPECT_EQ(origin, (vertex_t{20, 0, 0}));

  // A drag keeps the mouse for itself, Shift or not.
  hilight = face(box({0, 200, 0}, 64), {0, 0, -1});
  modifiers = Qt::ShiftModifier;
  press(Qt::LeftButton, {100, 100});
  const vertex_t before = angle;
  move({200, 50});
  EXPECT_EQ(angle, before);
  release(Qt::LeftButton, {200, 50});
}
