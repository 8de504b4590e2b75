#include "app/plan_window.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/draw_window.h"
#include "app/view_layout.h"
#include "app/view_window.h"
#include "base/number_text.h"
#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "edit/grid_snap.h"
#include "edit/transforms.h"
#include "model/map_state.h"
#include "model/view_options.h"

namespace {

constexpr int VIEW_START_WIDTH = 480, VIEW_START_HEIGHT = 360;
constexpr double DRAG_START = 3;     // pixels the mouse moves before a press becomes a drag
constexpr double SAME_SPOT = 2;      // pixels between two clicks at the same spot
constexpr double WHEEL_STEP = 1.25;  // zoom factor of one wheel notch
constexpr double WHEEL_NOTCH = 120;  // angle delta of one notch
constexpr double FIT_MARGIN = 1.1;   // room left around what Home shows

const char* const TITLES[] = {"Top", "Front", "Side"};
const char AXIS_NAMES[] = "xyz";

float& component(vertex_t& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// The canvas: draws the view at its own size and hands the mouse and the
// keys to it. Keys it has no use for stop here: the 3D view's keys are the
// 3D view's alone.
class plan_canvas : public QWidget {
 public:
  explicit plan_canvas(TPlanWindow* view) : view_(view) {
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    view_->draw();
    QPainter(this).drawImage(0, 0, view_->image());
  }
  void mousePressEvent(QMouseEvent* e) override { view_->press(e->position(), e->button(), e->modifiers()); }
  void mouseMoveEvent(QMouseEvent* e) override { view_->move(e->position()); }
  void mouseReleaseEvent(QMouseEvent* e) override { view_->release(e->position(), e->button()); }
  void wheelEvent(QWheelEvent* e) override { view_->wheel(e->position(), e->angleDelta().y()); }
  void keyPressEvent(QKeyEvent* e) override { view_->key(e->key()); }
  void keyReleaseEvent(QKeyEvent*) override {}

 private:
  TPlanWindow* view_;
};

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

}  // namespace

TPlanWindow::TPlanWindow(TDrawWindow& owner, plan_axis axis) : owner_(owner) {
  setAttribute(Qt::WA_DeleteOnClose);
  camera_.axis = axis;
  setWindowTitle(QString::fromLatin1(TITLES[static_cast<int>(axis)]));
  auto* client = new QWidget;
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  canvas_ = new plan_canvas(this);
  status_ = new QLabel;
  status_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  layout->addWidget(canvas_, 1);
  layout->addWidget(status_);
  setWidget(client);
  resize(VIEW_START_WIDTH, VIEW_START_HEIGHT);
}

std::string TPlanWindow::status_text() const {
  const QPointF w = plan_world(camera_, mouse_at_);
  char zoom[32];
  std::snprintf(zoom, sizeof zoom, "%g", camera_.zoom);
  return "grid " + std::to_string(options.grid_size) + "  zoom " + zoom + "  " +
         AXIS_NAMES[right_axis(camera_.axis)] + " " + format_0lf(w.x()) + "  " +
         AXIS_NAMES[up_axis(camera_.axis)] + " " + format_0lf(w.y());
}

void TPlanWindow::draw() {
  camera_.width = std::max(1, canvas_->width());
  camera_.height = std::max(1, canvas_->height());
  if (image_.size() != QSize(camera_.width, camera_.height)) {
    image_ = QImage(camera_.width, camera_.height, QImage::Format_RGB32);
  }
  if (fit_pending_) {
    fit_pending_ = false;
    fit_view(plan_brushes());
  }
  const QRectF box = box_rect(mouse_at_);
  draw_plan(image_, camera_, options.grid_size, gesture_ == gesture::drawing_box ? &box : nullptr);
  status_->setText(QString::fromStdString(status_text()));
}

void TPlanWindow::centre_view() {
  const std::vector<brush_t*> selected = selected_brushes();
  fit_view(selected.empty() ? plan_brushes() : selected);
}

void TPlanWindow::fit_view(const std::vector<brush_t*>& brushes) {
  vertex_t lo, hi;
  if (!brushes_bounds(brushes, &lo, &hi)) return;
  const int r = right_axis(camera_.axis), u = up_axis(camera_.axis);
  camera_.centre_u = (component(lo, r) + component(hi, r)) / 2.0;
  camera_.centre_v = (component(lo, u) + component(hi, u)) / 2.0;
  const double wide = (component(hi, r) - component(lo, r)) * FIT_MARGIN;
  const double high = (component(hi, u) - component(lo, u)) * FIT_MARGIN;
  camera_.width = std::max(1, canvas_->width());
  camera_.height = std::max(1, canvas_->height());
  if (wide > 0 || high > 0) {
    const double zoom = std::min(wide > 0 ? camera_.width / wide : PLAN_ZOOM_MAX,
                                 high > 0 ? camera_.height / high : PLAN_ZOOM_MAX);
    camera_.zoom = std::clamp(zoom, PLAN_ZOOM_MIN, PLAN_ZOOM_MAX);
  }
  canvas_->update();
}

vertex_t TPlanWindow::view_offset(double du, double dv) const {
  vertex_t d;
  component(d, right_axis(camera_.axis)) = static_cast<float>(du);
  component(d, up_axis(camera_.axis)) = static_cast<float>(dv);
  return d;
}

brush_t* TPlanWindow::pick(QPointF at) {
  std::vector<brush_t*> hits = brushes_at(camera_, at);
  if (hits.empty()) {
    last_hits_.clear();
    return nullptr;
  }
  const bool again = distance(at, last_click_) <= SAME_SPOT && hits == last_hits_;
  last_pick_ = again ? (last_pick_ + 1) % hits.size() : 0;
  last_click_ = at;
  last_hits_ = std::move(hits);
  return last_hits_[last_pick_];
}

void TPlanWindow::click_select(QPointF at, bool toggle) {
  brush_t* b = pick(at);
  if (!toggle) unselectbrushes();
  if (b == nullptr) return;
  if (toggle && is_selected(b)) {
    unselect_brush(b);
    if (hibr == b) hibr = nullptr;
    return;
  }
  insert_brush_in_list(b);
  hibr = b;
}

void TPlanWindow::press(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
  press_at_ = mouse_at_ = at;
  canvas_->update();
  if (gesture_ != gesture::none) return;
  const std::vector<brush_t*> hits = owner_.candraw != 0 ? brushes_at(camera_, at) : std::vector<brush_t*>{};
  if (button == Qt::MiddleButton || (button == Qt::RightButton && hits.empty())) {
    gesture_ = gesture::panning;
    return;
  }
  if (button != Qt::LeftButton || owner_.candraw == 0) return;
  if (mods & Qt::ShiftModifier) {
    click_select(at, true);
    return;
  }
  if (hits.empty()) {
    gesture_ = gesture::box_or_clear;
    return;
  }
  press_on_selected_ = std::any_of(hits.begin(), hits.end(), is_selected);
  // A press on a brush not yet selected picks it at once, so that a drag
  // goes on to move it.
  if (!press_on_selected_) click_select(at, false);
  gesture_ = gesture::select_or_move;
}

void TPlanWindow::move(QPointF at) {
  const QPointF last = mouse_at_;
  mouse_at_ = at;
  canvas_->update();
  const bool dragged = distance(at, press_at_) > DRAG_START;
  switch (gesture_) {
    case gesture::panning:
      camera_.centre_u -= (at.x() - last.x()) / camera_.zoom;
      camera_.centre_v += (at.y() - last.y()) / camera_.zoom;
      break;
    case gesture::select_or_move:
      if (!dragged || !brushes_bounds(selected_brushes(), &move_start_lo_, &moved_)) break;
      moved_ = {};
      gesture_ = gesture::moving;
      drag_selection(at);
      break;
    case gesture::moving:
      drag_selection(at);
      break;
    case gesture::box_or_clear:
      if (dragged) gesture_ = gesture::drawing_box;
      break;
    default:
      break;
  }
}

void TPlanWindow::release(QPointF at, Qt::MouseButton button) {
  mouse_at_ = at;
  const gesture done = gesture_;
  if (done == gesture::panning ? button == Qt::LeftButton : button != Qt::LeftButton) return;
  gesture_ = gesture::none;
  switch (done) {
    case gesture::select_or_move:
      if (press_on_selected_) click_select(at, false);
      break;
    case gesture::moving:
      drag_selection(at);
      break;
    case gesture::box_or_clear:
      unselectbrushes();
      break;
    case gesture::drawing_box:
      make_box(at);
      break;
    default:
      break;
  }
  step_done();
}

void TPlanWindow::wheel(QPointF at, int angle_delta) {
  zoom_about(camera_, at, std::pow(WHEEL_STEP, angle_delta / WHEEL_NOTCH));
  mouse_at_ = at;
  canvas_->update();
}

// The selection follows the mouse in whole grid steps, its low corner on the
// grid; without snapping, in whole units. The shapes move unchanged: rounding
// each point instead would flatten or thicken brushes thinner than a step.
void TPlanWindow::drag_selection(QPointF at) {
  const QPointF raw = plan_world(camera_, at) - plan_world(camera_, press_at_);
  const int r = right_axis(camera_.axis), u = up_axis(camera_.axis);
  const auto target = [](float lo, double by) {
    return options.snap_to_grid != 0 ? snapped(static_cast<float>(lo + by)) - lo
                                     : static_cast<float>(std::round(by));
  };
  const vertex_t d = view_offset(target(component(move_start_lo_, r), raw.x()) - component(moved_, r),
                                 target(component(move_start_lo_, u), raw.y()) - component(moved_, u));
  if (d == vertex_t{}) return;
  for (brushlist* n = blist; n->brush != nullptr; n = n->next) move_brush(n->brush, &d);
  moved_ = {moved_.x + d.x, moved_.y + d.y, moved_.z + d.z};
}

QRectF TPlanWindow::box_rect(QPointF at) const {
  const auto on_grid = [](double v) {
    return options.snap_to_grid != 0 ? static_cast<double>(snapped(static_cast<float>(v))) : std::round(v);
  };
  const QPointF a = plan_world(camera_, press_at_), b = plan_world(camera_, at);
  return QRectF(QPointF(on_grid(a.x()), on_grid(a.y())), QPointF(on_grid(b.x()), on_grid(b.y())))
      .normalized();
}

// The rectangle gives the box's two sides in the view; along the view axis it
// reaches as far as the last box did.
void TPlanWindow::make_box(QPointF at) {
  const QRectF r = box_rect(at);
  vertex_t lo = last_box_lo, hi = last_box_hi;
  const int ra = right_axis(camera_.axis), ua = up_axis(camera_.axis);
  component(lo, ra) = static_cast<float>(r.left());
  component(hi, ra) = static_cast<float>(r.right());
  component(lo, ua) = static_cast<float>(r.top());
  component(hi, ua) = static_cast<float>(r.bottom());
  brush_t* b = new_world_box(&lo, &hi);
  if (b == nullptr) return;
  last_box_lo = lo;
  last_box_hi = hi;
  unselectbrushes();
  insert_brush_in_list(b);
  hibr = b;
}

void TPlanWindow::nudge(int right, int up) {
  const vertex_t d = view_offset(right * options.grid_size, up * options.grid_size);
  for (brushlist* n = blist; n->brush != nullptr; n = n->next) move_brush(n->brush, &d);
}

void TPlanWindow::delete_selection() {
  const std::vector<brush_t*> chosen = selected_brushes();
  unselectbrushes();
  for (brush_t* b : chosen) {
    const int e = b->entity;
    if (e >= 0 && e < numentity && entities[e].brush == b) {
      // As the 3D view's Delete: the entity and its marker leave the map.
      entities[e].valid = 0;
      b->valid = 0;
    } else {
      delete_brush(b);
    }
  }
}

void TPlanWindow::key(int qt_key) {
  const bool editing = owner_.candraw != 0 && gesture_ == gesture::none;
  switch (qt_key) {
    case Qt::Key_BracketLeft:
      options.grid_size = std::max(GRID_SMALLEST, options.grid_size / 2);
      break;
    case Qt::Key_BracketRight:
      options.grid_size = std::min(GRID_LARGEST, options.grid_size * 2);
      break;
    case Qt::Key_Left:
      if (editing) nudge(-1, 0);
      break;
    case Qt::Key_Right:
      if (editing) nudge(1, 0);
      break;
    case Qt::Key_Up:
      if (editing) nudge(0, 1);
      break;
    case Qt::Key_Down:
      if (editing) nudge(0, -1);
      break;
    case Qt::Key_Delete:
      if (editing) delete_selection();
      break;
    case Qt::Key_Home:
      centre_view();
      break;
    default:
      return;
  }
  step_done();
}

void TPlanWindow::step_done() {
  owner_.end_of_step();
  canvas_->update();
}

// A new view leaves the 3D view uncovered where the window has room for it.
void open_plan_view(TDrawWindow& w, plan_axis axis) {
  if (w.candraw == 0) return;
  int opened = 0;
  for (QMdiSubWindow* child : w.subWindowList())
    opened += dynamic_cast<TPlanWindow*>(child) != nullptr ? 1 : 0;
  auto* view = new TPlanWindow(w, axis);
  w.addSubWindow(view);
  const QRect view3d = w.view_window()->isHidden() ? QRect() : w.view_window()->geometry();
  view->setGeometry(place_beside(w.viewport()->size(), view3d, view->size(), opened));
  view->show();
}
