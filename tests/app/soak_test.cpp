// A seeded random soak of the 3D view: keys of the key table and mouse drags on
// a real map, every box answered OK or Cancel at random, the model's invariants
// checked after every event. VELD_SOAK_EVENTS=10000 (or more) runs it longer by hand.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>
#include <random>

#include "app_fixture.h"
#include "model/model_check.h"
#include "model_fixture.h"

namespace {

constexpr int DEFAULT_EVENTS = 4000;  // about half a minute under the sanitizers
constexpr int EVENTS_PER_FRAME = 10;  // a frame picks the face and vertex under the mouse

const Qt::Key KEYS[] = {
    Qt::Key_S,         Qt::Key_T,          Qt::Key_Comma,       Qt::Key_Period,    Qt::Key_End,   Qt::Key_Home,
    Qt::Key_Left,      Qt::Key_Right,      Qt::Key_PageUp,      Qt::Key_PageDown,  Qt::Key_Up,    Qt::Key_Down,
    Qt::Key_BracketLeft, Qt::Key_BracketRight, Qt::Key_Equal,   Qt::Key_Minus,     Qt::Key_A,     Qt::Key_Tab,
    Qt::Key_Backslash, Qt::Key_QuoteLeft,  Qt::Key_V,           Qt::Key_R,         Qt::Key_1,     Qt::Key_1,
    Qt::Key_1,         Qt::Key_2,          Qt::Key_Backspace,   Qt::Key_Delete,    Qt::Key_Z,
};

class Soak : public AppTest {
 protected:
  void key(Qt::Key k) {
    QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier);
    QCoreApplication::sendEvent(win, &down);
    QKeyEvent up(QEvent::KeyRelease, k, Qt::NoModifier);
    QCoreApplication::sendEvent(win, &up);
  }
  void mouse(QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, QPoint p) {
    QMouseEvent e(type, QPointF(p), win->viewport()->mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
    QCoreApplication::sendEvent(win->viewport(), &e);
  }
};

int soak_events() {
  const char* n = std::getenv("VELD_SOAK_EVENTS");
  return n != nullptr ? std::atoi(n) : DEFAULT_EVENTS;
}

}  // namespace

TEST_F(Soak, RandomKeysAndDragsKeepTheModelSound) {
  open_map(map_path("dm1.map"));
  win->timer().stop();
  std::mt19937 rng(20261208);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};

  const int events = soak_events();
  for (int i = 0; i < events; ++i) {
    for (int k = 0; k < 3; ++k) fake.box_answers.push_back(pick(2) == 0 ? IDOK : IDCANCEL);
    if (i % EVENTS_PER_FRAME == 0) win->EvDraw();
    if (pick(3) != 0) {
      key(KEYS[pick(std::size(KEYS))]);
    } else {
      QPoint p(pick(800), pick(600));
      mouse(QEvent::MouseMove, Qt::NoButton, Qt::NoButton, p);
      const Qt::MouseButton b = buttons[pick(3)];
      mouse(QEvent::MouseButtonPress, b, b, p);
      for (int m = pick(4); m >= 0; --m) {
        p += QPoint(pick(41) - 20, pick(41) - 20);
        mouse(QEvent::MouseMove, Qt::NoButton, b, p);
      }
      const Qt::MouseButton up = pick(2) == 0 ? Qt::LeftButton : Qt::RightButton;
      mouse(QEvent::MouseButtonRelease, up, Qt::NoButton, p);
    }
    fake.box_answers.clear();
    ASSERT_EQ(check_model(), "") << "after event " << i;
  }
}
