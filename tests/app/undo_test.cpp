// Undo and redo through the real window: every kind of change, undone and
// redone, saves the same bytes as before and after it.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>
#include <functional>

#include "app/commands.h"
#include "app_fixture.h"
#include "built_map.h"
#include "mapio/map_writer.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "model_fixture.h"
#include "render/frame_list.h"
#include "render/render_state.h"

namespace {

class Undo : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    open_map(built_map_path());
    win->timer().stop();
    // Shortcuts reach only the active window.
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
    win->setFocus();
  }

  void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(win, k, mods); }

  void drag(Qt::MouseButton b, QPoint from, QPoint to) {
    send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, from);
    send(QEvent::MouseButtonPress, b, b, from);
    const QPoint step = (to - from) / 4;
    for (int i = 1; i <= 4; ++i) send(QEvent::MouseMove, Qt::NoButton, b, from + step * i);
    send(QEvent::MouseButtonRelease, b, Qt::NoButton, to);
  }

  void send(QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, QPoint p) {
    QMouseEvent e(type, QPointF(p), win->picture()->mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
    QCoreApplication::sendEvent(win->picture(), &e);
  }

  // Does the change, then checks undo and redo against the saved text.
  void round_trip(const std::function<void()>& change) {
    const std::string before = map_text();
    change();
    const std::string after = map_text();
    ASSERT_NE(before, after) << "the change changed nothing";
    ASSERT_TRUE(enabled(CM_EDITUNDO));
    trigger(CM_EDITUNDO);
    EXPECT_EQ(map_text(), before);
    EXPECT_EQ(check_model(), "");
    ASSERT_TRUE(enabled(CM_EDITREDO));
    trigger(CM_EDITREDO);
    EXPECT_EQ(map_text(), after);
    EXPECT_FALSE(enabled(CM_EDITREDO));
    EXPECT_EQ(check_model(), "");
  }

  // The first face of the world's first brush, highlighted as the mouse would.
  void highlight(int brush = 0) {
    brush_t* b = hull->brush;
    for (int i = 0; i < brush; ++i) b = b->next;
    hilight = b->fsurf;
  }
};

}  // namespace

TEST_F(Undo, NothingToUndoDoesNothing) {
  EXPECT_FALSE(enabled(CM_EDITUNDO));
  EXPECT_FALSE(enabled(CM_EDITREDO));
  const std::string before = map_text();
  key(Qt::Key_Z, Qt::ControlModifier);
  key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(map_text(), before);
  key(Qt::Key_Left);  // camera moves are not steps
  key(Qt::Key_S);     // nor display toggles
  EXPECT_FALSE(enabled(CM_EDITUNDO));
}

TEST_F(Undo, KeyCommands) {
  round_trip([&] {
    highlight();
    key(Qt::Key_R);  // textures back to the default
  });
  round_trip([&] {
    highlight(2);
    key(Qt::Key_Delete);
  });
  round_trip([&] {
    highlight(3);
    key(Qt::Key_Backspace);
  });
  round_trip([&] {
    highlight(4);
    key(Qt::Key_1);
    highlight(5);
    key(Qt::Key_QuoteLeft);  // split the current brush along a neighbour's face
  });
  round_trip([&] {
    highlight(6);
    key(Qt::Key_1);
    highlight(7);
    key(Qt::Key_Tab);
  });
}

TEST_F(Undo, SolidFlagComesBack) {
  highlight();
  surf* face = hilight;
  key(Qt::Key_V);
  EXPECT_EQ(face->solid, 1);
  key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(hull->brush->fsurf->solid, 0);
  key(Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(hull->brush->fsurf->solid, 1);
}

TEST_F(Undo, AWholeDragIsOneStep) {
  round_trip([&] {
    highlight();
    drag(Qt::LeftButton, {300, 300}, {300, 200});  // four pulls of the face
  });
  round_trip([&] {
    highlight();
    key(Qt::Key_1);
    options.dragz = 1;
    drag(Qt::RightButton, {300, 300}, {300, 260});
    options.dragz = 0;
  });
}

TEST_F(Undo, ANewChangeDropsTheRedoSteps) {
  highlight();
  key(Qt::Key_R);
  trigger(CM_EDITUNDO);
  EXPECT_TRUE(enabled(CM_EDITREDO));
  highlight(1);
  key(Qt::Key_Delete);
  EXPECT_FALSE(enabled(CM_EDITREDO));
}

TEST_F(Undo, UndoLeavesNothingPointingIntoOldRecords) {
  highlight();
  key(Qt::Key_1);
  highlight(1);
  key(Qt::Key_1);
  key(Qt::Key_V);
  trigger(CM_EDITUNDO);
  EXPECT_EQ(hilight, nullptr);
  EXPECT_EQ(hibr, nullptr);
  EXPECT_TRUE(selection_empty());
  win->EvDraw();  // the next frame draws the restored map
  EXPECT_EQ(check_model(), "");
}

TEST_F(Undo, ClosingClearsTheHistory) {
  highlight();
  key(Qt::Key_R);
  fake.box_answers.push_back(IDNO);
  trigger(CM_FILECLOSE);
  EXPECT_FALSE(enabled(CM_EDITUNDO));
}

TEST_F(Undo, TheOverheadSelectionStaysAppliedAfterUndo) {
  Srect = {790, 590, 810, 610};  // a small patch around the world origin
  find_visible_surfaces();
  int hidden = 0;
  for (const brush_t* b = hull->brush; b != nullptr; b = b->next) hidden += b->vis == 0 ? 1 : 0;
  ASSERT_GT(hidden, 0);
  highlight();
  key(Qt::Key_R);
  trigger(CM_EDITUNDO);
  int hidden_after = 0;
  for (const brush_t* b = hull->brush; b != nullptr; b = b->next) hidden_after += b->vis == 0 ? 1 : 0;
  EXPECT_EQ(hidden_after, hidden);
}
