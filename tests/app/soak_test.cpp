// A seeded random soak of the 3D view: keys of the key table and mouse drags on
// a real map, every box answered OK or Cancel at random, the model's invariants
// checked after every event. The dialogs get random field texts and random OK
// or Cancel; each select view opened is dragged in and closed.
// VELD_SOAK_EVENTS=10000 (or more) runs it longer by hand.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <cstdlib>
#include <functional>
#include <random>

#include "app/select_window.h"
#include "app_fixture.h"
#include "built_map.h"
#include "model/model_check.h"
#include "model_fixture.h"
#include "platform/dialog.h"

namespace {

constexpr int DEFAULT_EVENTS = 3000;  // about forty seconds under the sanitizers
constexpr int EVENTS_PER_FRAME = 10;  // a frame picks the face and vertex under the mouse

const Qt::Key KEYS[] = {
    Qt::Key_S,           Qt::Key_T,
    Qt::Key_Comma,       Qt::Key_Period,
    Qt::Key_End,         Qt::Key_Home,
    Qt::Key_Left,        Qt::Key_Right,
    Qt::Key_PageUp,      Qt::Key_PageDown,
    Qt::Key_Up,          Qt::Key_Down,
    Qt::Key_BracketLeft, Qt::Key_BracketRight,
    Qt::Key_Equal,       Qt::Key_Minus,
    Qt::Key_A,           Qt::Key_Tab,
    Qt::Key_Backslash,   Qt::Key_QuoteLeft,
    Qt::Key_V,           Qt::Key_R,
    Qt::Key_1,           Qt::Key_1,
    Qt::Key_1,           Qt::Key_2,
    Qt::Key_Backspace,   Qt::Key_Delete,
    Qt::Key_Z,           Qt::Key_E,
    Qt::Key_E,           Qt::Key_Insert,
    Qt::Key_Space,
};

using picker = std::function<int(int)>;

class Soak : public AppTest {
 protected:
  void random_event(const picker& pick);
  void key(Qt::Key k) {
    QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier);
    QCoreApplication::sendEvent(win, &down);
    QKeyEvent up(QEvent::KeyRelease, k, Qt::NoModifier);
    QCoreApplication::sendEvent(win, &up);
  }
  void mouse(QEvent::Type type, Qt::MouseButton b, Qt::MouseButtons held, QPoint p) {
    QMouseEvent e(type, QPointF(p), win->picture()->mapToGlobal(QPointF(p)), b, held, Qt::NoModifier);
    QCoreApplication::sendEvent(win->picture(), &e);
  }
};

// What a hand might type into a dialog field.
std::string random_text(const picker& pick) {
  switch (pick(7)) {
    case 0:
      return "";
    case 1:
      return std::to_string(pick(400) - 200);
    case 2:
      return std::to_string((pick(20001) - 10000) / 7.0);
    case 3:
      return std::string(1 + pick(12), static_cast<char>('a' + pick(26)));
    case 4:
      return std::string(60 + pick(300), static_cast<char>('0' + pick(10)));
    case 5:
      return "spawnflags";
    default:
      return "a b\"c";
  }
}

// Fills some fields, clicks some boxes and list buttons, then OK or Cancel.
int fill_dialog(TDialog& d, const picker& pick) {
  for (QLineEdit* e : d.findChildren<QLineEdit*>()) {
    if (pick(2) == 0) e->setText(QString::fromStdString(random_text(pick)));
  }
  for (QCheckBox* c : d.findChildren<QCheckBox*>()) {
    if (pick(3) == 0) c->click();
  }
  if (auto* list = d.findChild<QListWidget*>()) {
    for (int k = pick(4); k > 0; --k) {
      if (list->count() > 0) list->setCurrentRow(pick(list->count()));
      if (auto* b = qobject_cast<QAbstractButton*>(d.control(pick(2) == 0 ? 116 : 117))) b->click();
    }
  }
  return pick(2) == 0 ? IDOK : IDCANCEL;
}

// Drags, clicks and double clicks in every open select view, then closes it.
void use_and_close_views(TDrawWindow* win, const picker& pick) {
  for (QMdiSubWindow* sub : win->subWindowList()) {
    auto* view = dynamic_cast<TSelectWindow*>(sub);
    if (view == nullptr) continue;
    QWidget* client = view->area()->viewport();
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButtons held) {
      QMouseEvent e(type, QPointF(p), client->mapToGlobal(QPointF(p)),
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
      QCoreApplication::sendEvent(client, &e);
    };
    // Often the whole image, so that later keys still find faces to work on.
    const bool whole = pick(2) == 0;
    const QPoint from = whole ? QPoint(-400, -300) : QPoint(pick(700), pick(500));
    const QPoint to = whole ? QPoint(1200, 900) : QPoint(pick(700), pick(500));
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    if (pick(4) == 0) send(QEvent::MouseButtonDblClick, to, Qt::LeftButton);
    view->close();
    delete view;  // each holds a large image; do not wait for the event loop
  }
}

int soak_events() {
  const char* n = std::getenv("VELD_SOAK_EVENTS");
  return n != nullptr ? std::atoi(n) : DEFAULT_EVENTS;
}

}  // namespace

// One event of the mix: a key of the key table (with any select view it
// opened used and closed), or a mouse drag with a random button.
void Soak::random_event(const picker& pick) {
  static constexpr Qt::MouseButton buttons[] = {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton};
  for (int k = 0; k < 3; ++k) fake.box_answers.push_back(pick(2) == 0 ? IDOK : IDCANCEL);
  fake.dialog_scripts.push_back([pick](TDialog& d) { return fill_dialog(d, pick); });
  if (pick(3) != 0) {
    key(KEYS[pick(std::size(KEYS))]);
    use_and_close_views(win, pick);
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
  fake.dialog_scripts.clear();
}

TEST_F(Soak, RandomKeysAndDragsKeepTheModelSound) {
  open_map(built_map_path());
  win->timer().stop();
  std::mt19937 rng(20261208);
  const picker pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const int events = soak_events();
  for (int i = 0; i < events; ++i) {
    if (i % EVENTS_PER_FRAME == 0) win->EvDraw();
    random_event(pick);
    ASSERT_EQ(check_model(), "") << "after event " << i;
  }
}

// A tick that finds nothing changed keeps the image; whatever the events
// did, the image after each tick is the frame drawn from scratch now, and a
// tick with no event between draws nothing.
TEST_F(Soak, TicksThatSkipDrawingShowWhatAFreshFrameWould) {
  open_map(built_map_path());
  win->timer().stop();
  std::mt19937 rng(20261209);
  const picker pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  TDrawCanvas fresh;
  fresh.candraw = 1;
  int skipped = 0;
  for (int i = 0; i < soak_events() / 30; ++i) {
    random_event(pick);
    for (int tick = 0; tick < 2; ++tick) {
      const long drawn = win->frames_drawn();
      win->EvTimer();
      if (win->candraw == 0) continue;
      if (tick == 1) EXPECT_EQ(win->frames_drawn(), drawn) << "a tick with nothing new drew, event " << i;
      skipped += win->frames_drawn() == drawn ? 1 : 0;
      fresh.view = win->view;
      fresh.vd = win->vd;
      fresh.xss = win->xss;
      fresh.yss = win->yss;
      fresh.Point = win->Point;
      fresh.DragDC = win->DragDC;
      fresh.clientsize = win->clientsize;
      fresh.memory = win->memory;
      fresh.status = win->status;
      fresh.draw_frame();
      const QRect client(QPoint(0, 0), win->clientsize);
      ASSERT_EQ(win->winbmp.copy(client), fresh.winbmp.copy(client)) << "event " << i << " tick " << tick;
    }
  }
  EXPECT_GT(skipped, 20);
}
