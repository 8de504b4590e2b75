#include "app/view_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>

#include "app/draw_window.h"

namespace {

// The picture: draws the drawing window's image and hands every mouse and
// key message to it.
class view_picture : public QWidget {
 public:
  explicit view_picture(TDrawWindow& owner) : owner_(owner) {
    setFixedSize(VIEW_WIDTH, VIEW_HEIGHT);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, owner_.winbmp); }
  void mousePressEvent(QMouseEvent* e) override { owner_.picture_press(e); }
  void mouseReleaseEvent(QMouseEvent* e) override { owner_.picture_release(e); }
  void mouseMoveEvent(QMouseEvent* e) override { owner_.picture_move(e); }
  void leaveEvent(QEvent*) override { owner_.picture_left(); }
  // Every key belongs to the 3D view; none scrolls the picture.
  void keyPressEvent(QKeyEvent* e) override { owner_.picture_key(e, true); }
  void keyReleaseEvent(QKeyEvent* e) override { owner_.picture_key(e, false); }
  // Tab is a command of the 3D view, not a focus move.
  bool focusNextPrevChild(bool) override { return false; }

 private:
  TDrawWindow& owner_;
};

}  // namespace

TViewWindow::TViewWindow(TDrawWindow& owner) {
  setWindowTitle(QStringLiteral("3D"));
  setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
  picture_ = new view_picture(owner);
  scroller_ = new QScrollArea;
  scroller_->setFrameShape(QFrame::NoFrame);
  scroller_->setWidget(picture_);
  scroller_->setFocusProxy(picture_);
  setWidget(scroller_);
}

QSize TViewWindow::whole_picture_size() const {
  const QMargins frame = contentsMargins();
  return picture_->size() + QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

void TViewWindow::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}
