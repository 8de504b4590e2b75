#include "app/select_window.h"

#include <QAbstractScrollArea>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cstdio>

#include "app/draw_window.h"
#include "base/number_text.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "render/frame_list.h"
#include "render/render_state.h"

namespace {

constexpr int SCROLL_RANGE_X = 800, SCROLL_RANGE_Y = 600;
constexpr int SCROLL_START_X = 400, SCROLL_START_Y = 300;
constexpr int WORLD_PER_PIXEL = 10;
constexpr int WORLD_LEFT = 8000;  // world x of the image's left edge, negated
constexpr int VIEW_START_WIDTH = 640, VIEW_START_HEIGHT = 480;

QColor qcolour(colour_t c) { return QColor(colour_red(c), colour_green(c), colour_blue(c)); }

std::string printed(const char* format, long a, long b) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  return text;
}

// The scrolled client area: paints and takes the mouse for its view.
class select_area : public QAbstractScrollArea {
 public:
  explicit select_area(TSelectWindow* owner) : owner_(owner) {
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    QPalette p = viewport()->palette();
    p.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(p);
    setBackgroundRole(QPalette::Window);
    viewport()->setBackgroundRole(QPalette::Window);
    for (QScrollBar* bar : {horizontalScrollBar(), verticalScrollBar()}) {
      bar->setSingleStep(1);
      connect(bar, &QScrollBar::valueChanged, viewport(), [this] { viewport()->update(); });
    }
    horizontalScrollBar()->setRange(0, SCROLL_RANGE_X);
    verticalScrollBar()->setRange(0, SCROLL_RANGE_Y);
    horizontalScrollBar()->setValue(SCROLL_START_X);
    verticalScrollBar()->setValue(SCROLL_START_Y);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QPainter dc(viewport());
    owner_->Paint(dc, event->rect().translated(owner_->scroll_position()));
  }
  void resizeEvent(QResizeEvent* event) override {
    QAbstractScrollArea::resizeEvent(event);
    horizontalScrollBar()->setPageStep(viewport()->width());
    verticalScrollBar()->setPageStep(viewport()->height());
  }
  // Qt scrolls the viewport's pixels itself; the whole picture is repainted instead.
  void scrollContentsBy(int, int) override { viewport()->update(); }
  void mousePressEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) owner_->EvLButtonDown(e->position().toPoint());
  }
  void mouseReleaseEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) owner_->EvLButtonUp(e->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* e) override { owner_->EvMouseMove(e->position().toPoint()); }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    if (e->button() == Qt::LeftButton) owner_->EvLButtonDblClk(e->position().toPoint());
  }

 private:
  TSelectWindow* owner_;
};

}  // namespace

TSelectWindow::TSelectWindow(TDrawWindow& parent, const char* title) : owner_(parent) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromLocal8Bit(title));
  area_ = new select_area(this);
  setWidget(area_);
  resize(VIEW_START_WIDTH, VIEW_START_HEIGHT);
}

TSelectWindow::~TSelectWindow() { apply_rectangle(); }

void TSelectWindow::closeEvent(QCloseEvent* event) {
  QMdiSubWindow::closeEvent(event);
  if (!event->isAccepted()) return;
  apply_rectangle();
  owner_.picture_changed();
  // The keyboard goes back to the 3D view; left alone it would go nowhere.
  owner_.focus_picture();
}

void TSelectWindow::apply_rectangle() {
  if (applied_) return;
  applied_ = true;
  find_visible_surfaces();
}

QPoint TSelectWindow::scroll_position() const {
  return {area_->horizontalScrollBar()->value(), area_->verticalScrollBar()->value()};
}

QPoint TSelectWindow::image_point(QPoint client) const { return client + scroll_position(); }

// The sums are taken in double: with vd the float just above 0.1 a whole
// result comes out a hair low and truncates to the pixel before.
QPoint TSelectWindow::image_of(const vertex_t& p) const {
  return {static_cast<int>(xss + static_cast<double>(p.x) * static_cast<double>(vd)),
          static_cast<int>(yss - static_cast<double>(p.y) * static_cast<double>(vd))};
}

void TSelectWindow::SetupWindow() {
  image_ = QImage(SELECT_IMAGE_WIDTH, SELECT_IMAGE_HEIGHT, QImage::Format_RGB32);
  image_.fill(Qt::white);
  xss = 800;
  yss = 600;
  vd = 0.1f;

  // Every face, gathered from a camera at the world origin so that none is
  // left out as too far or behind.
  const vertex_t saved = origin;
  origin = vertex_t{};
  face_windings windings;
  winding* const listed = draw_all(windings, 1);
  origin = saved;
  for (winding* w = listed; w != nullptr; w = w->next) makepoly(w, 1, 0);
  drawn_changes_ = history_changes();
  area_->viewport()->update();
}

void TSelectWindow::follow_changes() {
  if (drawn_changes_ != history_changes()) SetupWindow();
}

void TSelectWindow::makepoly(winding* temp, int usecolor, int solid) {
  const surf* face = temp->original;
  if (face == nullptr || face->numpoints <= 0) return;
  QPainter dc(&image_);
  QPen pen(Qt::black, 1);
  pen.setCosmetic(true);
  if (usecolor != 0) {
    pen.setColor(qcolour(temp->clr));
    dc.setBrush(qcolour(temp->clr));
  }
  dc.setPen(pen);
  QPoint pts[MAX_POINTS + 1];
  const int n = std::min<int>(face->numpoints, MAX_POINTS);
  for (int i = 0; i < n; ++i) pts[i] = image_of(face->point[i]);
  pts[n] = pts[0];
  if (solid != 0) {
    dc.drawPolygon(pts, n, Qt::OddEvenFill);
  } else {
    dc.drawPolyline(pts, n + 1);
  }
}

void TSelectWindow::Paint(QPainter& dc, const QRect& rect) {
  const QPoint scroll = scroll_position();
  dc.drawImage(QPoint(0, 0), image_, QRect(scroll, QSize(SELECT_IMAGE_WIDTH, SELECT_IMAGE_HEIGHT)));

  if (Srect.left != -1) {
    // Stored as dragged: the sides may be either way round.
    const QRect r = QRect(Srect.left - scroll.x(), Srect.top - scroll.y(), Srect.right - Srect.left,
                          Srect.bottom - Srect.top)
                        .normalized();
    if (r.width() > 0 && r.height() > 0) {
      dc.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      dc.fillRect(r, Qt::white);
      dc.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
  }

  dc.setPen(QColor(0, 0, 255));
  dc.drawPoint(image_of(origin) - scroll);

  dc.setPen(Qt::black);
  dc.setBackground(Qt::white);
  dc.setBackgroundMode(Qt::OpaqueMode);
  const int ascent = dc.fontMetrics().ascent();
  const QPoint at = rect.topLeft() - scroll;
  dc.drawText(at + QPoint(10, 30 + ascent),
              QString::fromStdString(printed("scroller->x %ld scroller->y %ld", scroll.x(), scroll.y())));
  char sides[96];
  std::snprintf(sides, sizeof sides, "r.left %d r.top %d r.right %d r.bottom %d", rect.left(), rect.top(),
                rect.left() + rect.width(), rect.top() + rect.height());
  dc.drawText(at + QPoint(10, 50 + ascent), QString::fromLatin1(sides));
  if (!pointer_text_.empty()) dc.drawText(QPoint(10, 10 + ascent), QString::fromStdString(pointer_text_));
  if (!origin_text_.empty()) dc.drawText(QPoint(200, 10 + ascent), QString::fromStdString(origin_text_));
}

void TSelectWindow::EvLButtonDown(QPoint point) {
  if (DragDC) return;
  DragDC = true;
  const QPoint p = image_point(point);
  Srect.left = Srect.right = p.x();
  Srect.top = Srect.bottom = p.y();
  area_->viewport()->update();
}

void TSelectWindow::EvMouseMove(QPoint point) {
  const QPoint p = image_point(point);
  pointer_text_ = printed("p %ld %ld               ", WORLD_PER_PIXEL * long{p.x()} - WORLD_LEFT,
                          WORLD_PER_PIXEL * (600 - long{p.y()}));
  origin_text_ = "origin " + format_0lf(origin.x) + " " + format_0lf(origin.y) + "           ";
  if (DragDC) {
    Srect.right = p.x();
    Srect.bottom = p.y();
  }
  area_->viewport()->update();
}

void TSelectWindow::EvLButtonUp(QPoint point) {
  area_->viewport()->update();
  if (!DragDC) return;
  const QPoint p = image_point(point);
  Srect.right = p.x();
  Srect.bottom = p.y();
  DragDC = false;
}

void TSelectWindow::EvLButtonDblClk(QPoint point) {
  const QPoint p = image_point(point);
  origin.x = static_cast<float>(WORLD_PER_PIXEL * p.x() - WORLD_LEFT);
  origin.y = static_cast<float>(WORLD_PER_PIXEL * (600 - p.y()));
  area_->viewport()->update();
}

void open_select_view(TDrawWindow& w) {
  if (w.candraw == 0) return;
  w.timer().stop();
  auto* view = new TSelectWindow(w, w.document.FileData.file_name.c_str());
  w.addSubWindow(view);
  view->SetupWindow();
  view->show();
  w.timer().start(TIMER_NORMAL);
}
