// The overhead select view, opened with Space on a real window: its picture,
// its coordinates, the rectangle it leaves for the 3D view and the camera jump.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QTest>

#include "app/select_window.h"
#include "app_fixture.h"
#include "edit/box_brush.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model_fixture.h"
#include "render/render_state.h"

namespace {

class SelectView : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    win->timer().stop();
    make_world();
    win->candraw = 1;
    win->document.FileData.file_name = "maps/start.map";
  }

  static brush_t* box(float x, float y, short size) {
    const vertex_t o{x, y, 0};
    return new_brush(&o, size, size, size, 0);
  }

  TSelectWindow* open_view() {
    QTest::keyClick(win, Qt::Key_Space);
    const auto views = win->subWindowList();
    return views.isEmpty() ? nullptr : dynamic_cast<TSelectWindow*>(views.back());
  }

  static void send(TSelectWindow* v, QEvent::Type type, QPoint p, Qt::MouseButtons held) {
    QWidget* client = v->area()->viewport();
    QMouseEvent e(type, QPointF(p), client->mapToGlobal(QPointF(p)),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(client, &e);
  }
  static void drag(TSelectWindow* v, QPoint from, QPoint to) {
    send(v, QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(v, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    send(v, QEvent::MouseMove, to, Qt::LeftButton);
    send(v, QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
};

}  // namespace

TEST_F(SelectView, OpensOnlyWithAMapAndRestartsTheTimer) {
  win->candraw = 0;
  EXPECT_EQ(open_view(), nullptr);
  win->candraw = 1;
  TSelectWindow* v = open_view();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->windowTitle(), "maps/start.map");
  EXPECT_EQ(win->timer().period(), 10);
  EXPECT_TRUE(win->timer().running());
  ASSERT_NE(open_view(), v);                  // each press opens another
  EXPECT_EQ(win->subWindowList().size(), 3);  // the 3D view and the two
}

TEST_F(SelectView, PictureAndPointerCoordinates) {
  box(-14, 0, 32);  // x from -30 to 2, y from -16 to 16
  TSelectWindow* v = open_view();
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->scroll_position(), QPoint(400, 300));
  const QImage& img = v->image();
  ASSERT_EQ(img.size(), QSize(1600, 1200));
  EXPECT_NE(img.pixel(796, 600), qRgb(255, 255, 255));  // x = -30 falls on column 796
  EXPECT_EQ(img.pixel(797, 600), qRgb(255, 255, 255));
  EXPECT_NE(img.pixel(800, 600), qRgb(255, 255, 255));  // x = 2 on column 800

  send(v, QEvent::MouseMove, QPoint(0, 0), Qt::NoButton);
  EXPECT_EQ(v->pointer_text(), "p -4000 3000               ");
  origin = vertex_t{12.4f, -7.6f, 0};
  send(v, QEvent::MouseMove, QPoint(3, 5), Qt::NoButton);
  EXPECT_EQ(v->pointer_text(), "p -3970 2950               ");
  EXPECT_EQ(v->origin_text(), "origin 12 -8           ");
}

TEST_F(SelectView, ClosingKeepsOnlyBrushesStrictlyInside) {
  brush_t* inside = box(0, 0, 32);
  brush_t* on_border = box(1016, 0, 32);  // its nearest points lie on x = 1000
  TSelectWindow* v = open_view();
  ASSERT_NE(v, nullptr);
  // Client (100, 100) is world (-3000, 2000); (500, 400) is world (1000, -1000).
  drag(v, QPoint(100, 100), QPoint(500, 400));
  EXPECT_EQ(Srect.left, 500);
  EXPECT_EQ(Srect.top, 400);
  EXPECT_EQ(Srect.right, 900);
  EXPECT_EQ(Srect.bottom, 700);
  EXPECT_FALSE(v->dragging());

  // The client shows the rectangle inverted and the camera in blue.
  const QImage shown = v->area()->viewport()->grab().toImage();
  EXPECT_EQ(shown.pixel(300, 250), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(400, 300), qRgb(0, 0, 255));
  EXPECT_EQ(shown.pixel(600, 250), qRgb(255, 255, 255));

  inside->vis = 0;
  on_border->vis = 1;
  v->close();
  EXPECT_EQ(inside->vis, 1);
  EXPECT_EQ(on_border->vis, 0);
}

TEST_F(SelectView, ClickOrReversedDragHidesEverything) {
  brush_t* b = box(0, 0, 32);
  for (bool reversed : {false, true}) {
    TSelectWindow* v = open_view();
    ASSERT_NE(v, nullptr);
    if (reversed) {
      drag(v, QPoint(500, 400), QPoint(100, 100));
    } else {
      drag(v, QPoint(400, 300), QPoint(400, 300));
    }
    b->vis = 1;
    v->close();
    EXPECT_EQ(b->vis, 0) << reversed;
  }
}

TEST_F(SelectView, DoubleClickMovesTheCameraAndKeepsItsHeight) {
  origin = vertex_t{5, 5, 77};
  TSelectWindow* v = open_view();
  ASSERT_NE(v, nullptr);
  const QPoint p(123, 45);
  send(v, QEvent::MouseButtonPress, p, Qt::LeftButton);
  send(v, QEvent::MouseButtonRelease, p, Qt::NoButton);
  send(v, QEvent::MouseButtonDblClick, p, Qt::LeftButton);
  send(v, QEvent::MouseButtonRelease, p, Qt::NoButton);
  EXPECT_EQ(origin.x, 10.0f * (123 + 400) - 8000);
  EXPECT_EQ(origin.y, 10.0f * (600 - 45 - 300));
  EXPECT_EQ(origin.z, 77.0f);
  EXPECT_EQ(Srect.left, 523);
  EXPECT_EQ(Srect.right, 523);
}
