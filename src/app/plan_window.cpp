#include "app/plan_window.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStatusBar>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/draw_window.h"
#include "app/entity_panel.h"
#include "app/view_layout.h"
#include "app/view_window.h"
#include "base/number_text.h"
#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "edit/clip_brushes.h"
#include "edit/face_backup.h"
#include "edit/grid_snap.h"
#include "edit/stretch.h"
#include "edit/transforms.h"
#include "edit/vertex_move.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"
#include "model/vector_math.h"
#include "model/view_options.h"

namespace {

constexpr int VIEW_START_WIDTH = 480, VIEW_START_HEIGHT = 360;
constexpr double DRAG_START = 3;     // pixels the mouse moves before a press becomes a drag
constexpr double SAME_SPOT = 2;      // pixels between two clicks at the same spot
constexpr double WHEEL_STEP = 1.25;  // zoom factor of one wheel notch
constexpr double WHEEL_NOTCH = 120;  // angle delta of one notch
constexpr double FIT_MARGIN = 1.1;   // room left around what Home shows
constexpr double HANDLE_REACH = 4;   // pixels from a handle's centre that still take it
constexpr QRgb HANDLE_FILL = qRgb(255, 128, 0);
constexpr QRgb CORNER_FILL = qRgb(0, 160, 0);
constexpr QRgb CLIP_POINT = qRgb(0, 128, 255);
constexpr QRgb CLIP_GOES = qRgb(255, 0, 0);
constexpr float CLIP_DEPTH = 64;  // how far the implied third point lies along the view axis

const char* const TITLES[] = {"Top", "Front", "Side"};
const char AXIS_NAMES[] = "xyz";

float& component(vertex_t& v, int axis) { return axis == 0 ? v.x : axis == 1 ? v.y : v.z; }

// The canvas: draws the view at its own size and hands the mouse and the
// keys to it. Keys it has no use for stop here: the 3D view's keys are the
// 3D view's alone.
class plan_canvas : public QWidget {
 public:
  explicit plan_canvas(TPlanWindow* view) : view_(view) {
    setAcceptDrops(true);  // point classes dragged from the entity list
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
  void keyPressEvent(QKeyEvent* e) override { view_->key(e->key(), e->modifiers()); }
  void keyReleaseEvent(QKeyEvent*) override {}
  void dragEnterEvent(QDragEnterEvent* e) override {
    if (dropped_class_panel(e) != nullptr) e->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent* e) override {
    if (dropped_class_panel(e) != nullptr) e->acceptProposedAction();
  }
  void dropEvent(QDropEvent* e) override {
    TEntityPanel* panel = dropped_class_panel(e);
    if (panel == nullptr) return;
    panel->place_at(view_->place_at(e->position()));
    e->acceptProposedAction();
  }

 private:
  // The entity list a point class is dragged from, when it is one.
  TEntityPanel* dropped_class_panel(const QDropEvent* e) const {
    auto* panel = dock_panel<TEntityPanel>(view_->owner());
    if (panel == nullptr || e->source() != panel->classes() || panel->chosen_point_class().isEmpty())
      return nullptr;
    return panel;
  }

  TPlanWindow* view_;
};

// The clip tool's points, shared by every plan view: two from one view and
// perhaps a third from another, which tilts the plane off that view's axis.
struct clip_points {
  int count = 0;
  vertex_t p[3];
  plan_axis axis = plan_axis::top;  // the view of the first two
  clip_keep keep = clip_keep::front;
};
clip_points clip;

plan_axis last_used = plan_axis::top;  // the plan view that last took the mouse or a key

// The plane's three points; false before two are placed or when they make none.
bool clip_plane(vertex_t out[3]) {
  if (options.clip_mode == 0 || clip.count < 2) return false;
  out[0] = clip.p[0];
  out[1] = clip.p[1];
  out[2] = clip.p[0];
  if (clip.count == 3) {
    out[2] = clip.p[2];
  } else {
    component(out[2], depth_axis(clip.axis)) += CLIP_DEPTH;
  }
  surf s;
  s.numpoints = 3;
  for (int i = 0; i < 3; ++i) s.point[i] = out[i];
  makenormal(&s, vertex_t{});
  return VectorLength(&s.norm) > 0;
}

const char* keep_name(clip_keep k) {
  return k == clip_keep::front ? "front" : k == clip_keep::back ? "back" : "both";
}

double distance(QPointF a, QPointF b) { return std::hypot(a.x() - b.x(), a.y() - b.y()); }

// A world coordinate on the grid, or in whole units with snapping off.
double on_grid(double v) {
  return options.snap_to_grid != 0 ? static_cast<double>(snapped(static_cast<float>(v))) : std::round(v);
}

bool is_marker(const brush_t* b) {
  return b->entity >= 0 && b->entity < numentity && entities[b->entity].brush == b;
}

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
  float lo = 0, hi = 0;
  box_depth(&lo, &hi);
  return "grid " + std::to_string(options.grid_size) + "  zoom " + zoom + "  " +
         AXIS_NAMES[right_axis(camera_.axis)] + " " + format_0lf(w.x()) + "  " +
         AXIS_NAMES[up_axis(camera_.axis)] + " " + format_0lf(w.y()) + "  depth " +
         AXIS_NAMES[depth_axis(camera_.axis)] + " " + format_0lf(lo) + " to " + format_0lf(hi) +
         (options.clip_mode != 0 ? std::string("  clip: keep ") + keep_name(clip.keep) : std::string());
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
  const QRectF box = gesture_ == gesture::resizing  ? resized_rect(mouse_at_)
                     : gesture_ == gesture::banding ? band_rect(mouse_at_)
                                                    : box_rect(mouse_at_);
  const bool rubber =
      gesture_ == gesture::drawing_box || gesture_ == gesture::resizing || gesture_ == gesture::banding;
  draw_plan(image_, camera_, options.grid_size, rubber ? &box : nullptr);
  if (options.clip_mode != 0) {
    QPainter paint(&image_);
    draw_clip(paint);
  } else if (gesture_ == gesture::vertex_drag) {
    QPainter paint(&image_);
    paint.setPen(QColor(CORNER_FILL));
    paint.drawLine(plan_pixel(camera_, corner_), plan_pixel(camera_, dragged_corner(mouse_at_)));
  } else if (brush_t* b = vertex_brush()) {
    QPainter paint(&image_);
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      for (int i = 0; i < s->numpoints; ++i) {
        const QPointF c = plan_pixel(camera_, s->point[i]);
        paint.fillRect(QRectF(c.x() - HANDLE_REACH + 1, c.y() - HANDLE_REACH + 1, 2 * HANDLE_REACH - 1,
                              2 * HANDLE_REACH - 1),
                       QColor(CORNER_FILL));
      }
    }
  } else if (gesture_ == gesture::none || gesture_ == gesture::select_or_move ||
             gesture_ == gesture::select_or_draw) {
    QPainter paint(&image_);
    for (const handle& h : handles()) {
      paint.fillRect(QRectF(h.at.x() - HANDLE_REACH + 1, h.at.y() - HANDLE_REACH + 1, 2 * HANDLE_REACH - 1,
                            2 * HANDLE_REACH - 1),
                     QColor(HANDLE_FILL));
    }
  }
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

// A drag from a selected brush moves the selection; any other drag draws a
// box, over brushes or not, and always with Alt held at the press. A press
// and release without a drag is a click: it selects.
void TPlanWindow::shift_click(QPointF at) {
  const bool again =
      distance(at, last_click_) <= SAME_SPOT && !last_hits_.empty() && brushes_at(camera_, at) == last_hits_;
  brush_t* before = again ? last_hits_[last_pick_] : nullptr;
  brush_t* b = pick(at);
  if (b == nullptr) return;
  if (b == before || (before == nullptr && is_selected(b))) {
    // Alone under the mouse, or picked before this series: in or out.
    if (is_selected(b)) {
      unselect_brush(b);
      if (hibr == b) hibr = nullptr;
    } else {
      insert_brush_in_list(b);
      hibr = b;
    }
    return;
  }
  if (before != nullptr && is_selected(before)) {
    unselect_brush(before);
    if (hibr == before) hibr = nullptr;
  }
  if (!is_selected(b)) insert_brush_in_list(b);
  hibr = b;
}

QRectF TPlanWindow::band_rect(QPointF at) const {
  return QRectF(plan_world(camera_, press_at_), plan_world(camera_, at)).normalized();
}

void TPlanWindow::band_select(QPointF at) {
  const QRectF band = band_rect(at);
  if (!band_adds_) unselectbrushes();
  const int r = right_axis(camera_.axis), u = up_axis(camera_.axis);
  for (brush_t* b : plan_brushes()) {
    vertex_t lo, hi;
    if (!brush_bounds(b, &lo, &hi)) continue;
    if (component(lo, r) < band.left() || component(hi, r) > band.right() || component(lo, u) < band.top() ||
        component(hi, u) > band.bottom())
      continue;
    if (!is_selected(b)) insert_brush_in_list(b);
    hibr = b;
  }
}

void TPlanWindow::hide_selection() {
  for (brush_t* b : selected_brushes()) b->hidden = 1;
  unselectbrushes();
  hibr = nullptr;
  if (hilight != nullptr && hilight->brush != nullptr && hilight->brush->hidden != 0) hilight = nullptr;
}

void TPlanWindow::show_all() {
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) b->hidden = 0;
  }
  for (int i = 0; i < numentity; ++i) {
    if (entities[i].brush != nullptr) entities[i].brush->hidden = 0;
  }
}

void TPlanWindow::press(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers mods) {
  press_at_ = mouse_at_ = at;
  last_used = camera_.axis;
  canvas_->update();
  if (gesture_ != gesture::none) return;
  const std::vector<brush_t*> hits = owner_.candraw != 0 ? brushes_at(camera_, at) : std::vector<brush_t*>{};
  if (button == Qt::MiddleButton || (button == Qt::RightButton && hits.empty())) {
    gesture_ = gesture::panning;
    return;
  }
  if (button != Qt::LeftButton || owner_.candraw == 0) return;
  if (options.clip_mode != 0) {
    clip_click(at);
    step_done();
    return;
  }
  if (mods & Qt::ControlModifier) {
    band_adds_ = (mods & Qt::ShiftModifier) != 0;
    gesture_ = gesture::select_or_band;
    return;
  }
  if (mods & Qt::ShiftModifier) {
    shift_click(at);
    return;
  }
  if (!(mods & Qt::AltModifier) && corner_at(at, &corner_)) {
    gesture_ = gesture::vertex_drag;
    return;
  }
  if (!(mods & Qt::AltModifier) && handle_at(at, &handle_right_, &handle_up_)) {
    vertex_t lo, hi;
    brushes_bounds(resizable(), &lo, &hi);
    const int r = right_axis(camera_.axis), u = up_axis(camera_.axis);
    resize_from_ =
        QRectF(QPointF(component(lo, r), component(lo, u)), QPointF(component(hi, r), component(hi, u)));
    gesture_ = gesture::resizing;
    return;
  }
  const bool on_selected = std::any_of(hits.begin(), hits.end(), is_selected);
  gesture_ = on_selected && !(mods & Qt::AltModifier) ? gesture::select_or_move : gesture::select_or_draw;
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
      owner_.brushes_moving = true;
      drag_selection(at);
      break;
    case gesture::moving:
      drag_selection(at);
      break;
    case gesture::select_or_draw:
      if (dragged) gesture_ = gesture::drawing_box;
      break;
    case gesture::select_or_band:
      if (dragged) gesture_ = gesture::banding;
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
  owner_.brushes_moving = false;
  switch (done) {
    case gesture::select_or_move:
    case gesture::select_or_draw:
      click_select(at, false);
      break;
    case gesture::select_or_band:
      if (band_adds_) {
        shift_click(at);
      } else {
        click_select(at, false);
      }
      break;
    case gesture::banding:
      band_select(at);
      break;
    case gesture::moving:
      drag_selection(at);
      break;
    case gesture::resizing:
      resize_to(at);
      break;
    case gesture::vertex_drag:
      // A move that would bend the brush is refused, the brush as it was.
      if (brush_t* b = vertex_brush()) move_vertex(b, corner_, dragged_corner(at));
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

std::vector<brush_t*> TPlanWindow::resizable() {
  std::vector<brush_t*> list = selected_brushes();
  list.erase(std::remove_if(list.begin(), list.end(), is_marker), list.end());
  return list;
}

brush_t* TPlanWindow::vertex_brush() {
  if (options.vertex_mode == 0 || blist->brush == nullptr || blist->next->brush != nullptr) return nullptr;
  return is_marker(blist->brush) ? nullptr : blist->brush;
}

bool TPlanWindow::corner_at(QPointF at, vertex_t* corner) const {
  const brush_t* b = vertex_brush();
  if (owner_.candraw == 0 || b == nullptr) return false;
  bool found = false;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) {
      const vertex_t& p = s->point[i];
      const QPointF c = plan_pixel(camera_, p);
      if (std::fabs(at.x() - c.x()) > HANDLE_REACH || std::fabs(at.y() - c.y()) > HANDLE_REACH) continue;
      if (!found || nearness(camera_.axis, p) > nearness(camera_.axis, *corner)) *corner = p;
      found = true;
    }
  }
  return found;
}

// The corner keeps its depth and goes to the grid in the view's plane.
vertex_t TPlanWindow::dragged_corner(QPointF at) const {
  const QPointF w = plan_world(camera_, at);
  vertex_t to = corner_;
  component(to, right_axis(camera_.axis)) = static_cast<float>(on_grid(w.x()));
  component(to, up_axis(camera_.axis)) = static_cast<float>(on_grid(w.y()));
  return to;
}

std::vector<TPlanWindow::handle> TPlanWindow::handles() const {
  vertex_t lo, hi;
  if (owner_.candraw == 0 || vertex_brush() != nullptr || !brushes_bounds(resizable(), &lo, &hi)) return {};
  const int r = right_axis(camera_.axis), u = up_axis(camera_.axis);
  const QPointF a = view_pixel(camera_, component(lo, r), component(lo, u));
  const QPointF b = view_pixel(camera_, component(hi, r), component(hi, u));
  std::vector<handle> out;
  // Corners first: where handles overlap on a small rectangle, they win.
  for (int pass = 0; pass < 2; ++pass) {
    for (int up = -1; up <= 1; ++up) {
      for (int right = -1; right <= 1; ++right) {
        if ((right != 0 && up != 0) != (pass == 0) || (right == 0 && up == 0)) continue;
        const double x = right < 0 ? a.x() : right > 0 ? b.x() : (a.x() + b.x()) / 2;
        const double y = up < 0 ? a.y() : up > 0 ? b.y() : (a.y() + b.y()) / 2;
        out.push_back({QPointF(x, y), right, up});
      }
    }
  }
  return out;
}

bool TPlanWindow::handle_at(QPointF at, int* right, int* up) const {
  for (const handle& h : handles()) {
    if (std::fabs(at.x() - h.at.x()) <= HANDLE_REACH && std::fabs(at.y() - h.at.y()) <= HANDLE_REACH) {
      *right = h.right;
      *up = h.up;
      return true;
    }
  }
  return false;
}

QRectF TPlanWindow::resized_rect(QPointF at) const {
  const QPointF w = plan_world(camera_, at);
  QRectF r = resize_from_;
  if (handle_right_ < 0) r.setLeft(on_grid(w.x()));
  if (handle_right_ > 0) r.setRight(on_grid(w.x()));
  if (handle_up_ < 0) r.setTop(on_grid(w.y()));
  if (handle_up_ > 0) r.setBottom(on_grid(w.y()));
  return r;
}

// Each dragged side moves to the grid and the brushes stretch with it. A side
// taken onto or past the one opposite would turn the brushes over: nothing
// changes then, as when a brush would flatten.
void TPlanWindow::resize_to(QPointF at) {
  const QRectF to = resized_rect(at), from = resize_from_;
  struct side {
    int axis;
    double fixed, from, to;
  };
  std::vector<side> sides;
  const int r = right_axis(camera_.axis), u = up_axis(camera_.axis);
  if (handle_right_ < 0) sides.push_back({r, from.right(), from.left(), to.left()});
  if (handle_right_ > 0) sides.push_back({r, from.left(), from.right(), to.right()});
  if (handle_up_ < 0) sides.push_back({u, from.bottom(), from.top(), to.top()});
  if (handle_up_ > 0) sides.push_back({u, from.top(), from.bottom(), to.bottom()});
  for (const side& s : sides) {
    if ((s.to - s.fixed) * (s.from - s.fixed) <= 0) return;
  }
  const std::vector<brush_t*> list = resizable();
  // A corner is all or nothing: if the second side is refused, the first goes back.
  std::vector<face_backup> kept;
  for (const brush_t* b : list) kept.emplace_back(b);
  for (const side& s : sides) {
    if (s.to == s.from) continue;
    if (!stretch_brushes(list, s.axis, static_cast<float>(s.fixed), static_cast<float>(s.from),
                         static_cast<float>(s.to))) {
      for (std::size_t i = 0; i < list.size(); ++i) kept[i].restore(list[i]);
      return;
    }
  }
}

QRectF TPlanWindow::box_rect(QPointF at) const {
  const QPointF a = plan_world(camera_, press_at_), b = plan_world(camera_, at);
  return QRectF(QPointF(on_grid(a.x()), on_grid(a.y())), QPointF(on_grid(b.x()), on_grid(b.y())))
      .normalized();
}

void TPlanWindow::box_depth(float* lo, float* hi) const {
  const int d = depth_axis(camera_.axis);
  vertex_t low = last_box_lo, high = last_box_hi, sel_lo, sel_hi;
  if (!depth_chosen_ && brushes_bounds(selected_brushes(), &sel_lo, &sel_hi)) {
    low = sel_lo;
    high = sel_hi;
  }
  // A box's sides are whole sizes: a slanted selection gives the units it covers.
  *lo = std::floor(component(low, d));
  *hi = std::max(*lo + 1, std::ceil(component(high, d)));
}

void TPlanWindow::change_depth(int steps) {
  float lo = 0, hi = 0;
  box_depth(&lo, &hi);
  hi = std::max(lo + 1, hi + static_cast<float>(steps * options.grid_size));
  const int d = depth_axis(camera_.axis);
  component(last_box_lo, d) = lo;
  component(last_box_hi, d) = hi;
  depth_chosen_ = true;
}

// The rectangle gives the box's two sides in the view; along the view axis it
// reaches as box_depth says.
void TPlanWindow::make_box(QPointF at) {
  const QRectF r = box_rect(at);
  vertex_t lo = last_box_lo, hi = last_box_hi;
  const int ra = right_axis(camera_.axis), ua = up_axis(camera_.axis), da = depth_axis(camera_.axis);
  box_depth(&component(lo, da), &component(hi, da));
  component(lo, ra) = static_cast<float>(r.left());
  component(hi, ra) = static_cast<float>(r.right());
  component(lo, ua) = static_cast<float>(r.top());
  component(hi, ua) = static_cast<float>(r.bottom());
  brush_t* b = new_world_box(&lo, &hi);
  if (b == nullptr) return;
  last_box_lo = lo;
  last_box_hi = hi;
  depth_chosen_ = false;
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

void TPlanWindow::key(int qt_key, Qt::KeyboardModifiers mods) {
  const bool editing = owner_.candraw != 0 && gesture_ == gesture::none;
  last_used = camera_.axis;
  // Shift+[ and Shift+] arrive as braces on most keyboards.
  const bool shift = (mods & Qt::ShiftModifier) != 0;
  if (shift && qt_key == Qt::Key_BracketLeft) qt_key = Qt::Key_BraceLeft;
  if (shift && qt_key == Qt::Key_BracketRight) qt_key = Qt::Key_BraceRight;
  switch (qt_key) {
    case Qt::Key_BracketLeft:
      options.grid_size = std::max(GRID_SMALLEST, options.grid_size / 2);
      break;
    case Qt::Key_BracketRight:
      options.grid_size = std::min(GRID_LARGEST, options.grid_size * 2);
      break;
    case Qt::Key_BraceLeft:
      change_depth(-1);
      break;
    case Qt::Key_BraceRight:
      change_depth(1);
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
    case Qt::Key_C:
      if (editing) toggle_clip_tool();
      break;
    case Qt::Key_H:
      if (!editing) break;
      if (shift) {
        show_all();
      } else {
        hide_selection();
      }
      break;
    case Qt::Key_P:
      options.vertex_mode = options.vertex_mode == 0 ? 1 : 0;
      break;
    case Qt::Key_F:
      if (options.clip_mode != 0)
        clip.keep = clip.keep == clip_keep::front  ? clip_keep::back
                    : clip.keep == clip_keep::back ? clip_keep::both
                                                   : clip_keep::front;
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (editing) apply_clip();
      break;
    case Qt::Key_Escape:
      if (options.clip_mode != 0) toggle_clip_tool();
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

// The first click of the two in a view places a point at the depth of the
// selection's middle, on the grid; the second a point beside it. A click in
// another view once two are placed gives the third, at the first one's depth
// along that view's axis. Any other click begins again.
void TPlanWindow::clip_click(QPointF at) {
  const QPointF w = plan_world(camera_, at);
  const int r = right_axis(camera_.axis), u = up_axis(camera_.axis), d = depth_axis(camera_.axis);
  vertex_t p = clip.p[0];
  component(p, r) = static_cast<float>(on_grid(w.x()));
  component(p, u) = static_cast<float>(on_grid(w.y()));
  if (clip.count == 2 && clip.axis != camera_.axis) {
    clip.p[2] = p;
    clip.count = 3;
  } else if (clip.count == 1 && clip.axis == camera_.axis) {
    if (p == clip.p[0]) return;
    clip.p[1] = p;
    clip.count = 2;
  } else {
    vertex_t lo, hi;
    component(p, d) = brushes_bounds(resizable(), &lo, &hi)
                          ? static_cast<float>(on_grid((component(lo, d) + component(hi, d)) / 2))
                          : 0.0f;
    clip.p[0] = p;
    clip.count = 1;
    clip.axis = camera_.axis;
  }
}

// The points as blue squares, the line through the first two in their own
// view, and in red the outline of every piece of face that the cut takes away.
void TPlanWindow::draw_clip(QPainter& paint) const {
  for (int i = 0; i < clip.count; ++i) {
    const QPointF c = plan_pixel(camera_, clip.p[i]);
    paint.fillRect(QRectF(c.x() - 3, c.y() - 3, 7, 7), QColor(CLIP_POINT));
  }
  vertex_t pts[3];
  if (!clip_plane(pts)) return;
  paint.setPen(QColor(CLIP_POINT));
  paint.drawLine(plan_pixel(camera_, pts[0]), plan_pixel(camera_, pts[1]));
  if (clip.keep == clip_keep::both) return;
  vertex_t e1, e2, n;
  makevector(&pts[0], &pts[1], &e1);
  makevector(&pts[0], &pts[2], &e2);
  crossproduct(&e1, &e2, &n);
  // The cut's front lies against the normal of the three points taken in
  // order, as a face's inside does; keeping it takes the other side away.
  const double goes = clip.keep == clip_keep::front ? 1 : -1;
  const auto side = [&](const vertex_t& p) {
    return goes * ((p.x - pts[0].x) * static_cast<double>(n.x) + (p.y - pts[0].y) * static_cast<double>(n.y) +
                   (p.z - pts[0].z) * static_cast<double>(n.z));
  };
  paint.setPen(QColor(CLIP_GOES));
  for (const brush_t* b : resizable()) {
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      QPolygonF cut;
      for (int i = 0; i < s->numpoints; ++i) {
        const vertex_t& a = s->point[i];
        const vertex_t& c = s->point[(i + 1) % s->numpoints];
        const double da = side(a), dc = side(c);
        if (da >= 0) cut << plan_pixel(camera_, a);
        if ((da > 0 && dc < 0) || (da < 0 && dc > 0)) {
          const double t = da / (da - dc);
          const vertex_t x{static_cast<float>(a.x + t * (c.x - a.x)),
                           static_cast<float>(a.y + t * (c.y - a.y)),
                           static_cast<float>(a.z + t * (c.z - a.z))};
          cut << plan_pixel(camera_, x);
        }
      }
      if (cut.size() >= 2) paint.drawPolygon(cut);
    }
  }
}

void toggle_clip_tool() {
  options.clip_mode = options.clip_mode == 0 ? 1 : 0;
  clip = clip_points{};
}

// The pieces left take the selection's place; the points are cleared for
// the next cut, the tool staying on.
bool apply_clip() {
  vertex_t pts[3];
  if (!clip_plane(pts)) return false;
  std::vector<brush_t*> list = selected_brushes();
  list.erase(std::remove_if(list.begin(), list.end(), is_marker), list.end());
  if (list.empty()) return false;
  const clip_keep keep = clip.keep;
  clip.count = 0;
  unselectbrushes();
  hibr = nullptr;
  const std::vector<brush_t*> left = clip_brushes(list, pts[0], pts[1], pts[2], keep);
  for (brush_t* b : left) insert_brush_in_list(b);
  if (!left.empty()) hibr = left.front();
  return true;
}

void duplicate_selection() {
  // The copy goes the way Copy and Paste take, so there is one way to copy.
  const std::string text = selection_map_text();
  std::vector<brush_t*> added;
  if (selection_empty() || !merge_map_text(text, added).ok()) return;
  vertex_t d;
  component(d, right_axis(last_used)) = static_cast<float>(options.grid_size);
  component(d, up_axis(last_used)) = -static_cast<float>(options.grid_size);
  unselectbrushes();
  hibr = nullptr;
  for (brush_t* b : added) {
    move_brush(b, &d);
    insert_brush_in_list(b);
    if (!is_marker(b)) hibr = b;
  }
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

vertex_t TPlanWindow::place_at(QPointF at) const {
  const QPointF w = plan_world(camera_, at);
  vertex_t p;
  const int depth = depth_axis(camera_.axis);
  component(p, right_axis(camera_.axis)) = snapped(static_cast<float>(w.x()));
  component(p, up_axis(camera_.axis)) = snapped(static_cast<float>(w.y()));
  component(p, depth) = (component(last_box_lo, depth) + component(last_box_hi, depth)) / 2;
  return p;
}

bool paste_map_text(TDrawWindow& w, const std::string& text) {
  std::vector<brush_t*> added;
  const load_report r = merge_map_text(text, added);
  auto* frame = qobject_cast<QMainWindow*>(w.QWidget::window());
  if (!r.ok()) {
    if (frame != nullptr) frame->statusBar()->showMessage(QString::fromStdString(r.error));
    return false;
  }
  if (auto* view = dynamic_cast<TPlanWindow*>(w.activeSubWindow()); view != nullptr) {
    vertex_t lo, hi;
    if (brushes_bounds(added, &lo, &hi)) {
      const QPointF at = view->world_at_mouse();
      const int r_axis = right_axis(view->camera().axis), u_axis = up_axis(view->camera().axis);
      vertex_t d;
      component(d, r_axis) =
          snapped(static_cast<float>(at.x()) - (component(lo, r_axis) + component(hi, r_axis)) / 2);
      component(d, u_axis) =
          snapped(static_cast<float>(at.y()) - (component(lo, u_axis) + component(hi, u_axis)) / 2);
      for (brush_t* b : added) move_brush(b, &d);
    }
  }
  unselectbrushes();
  for (brush_t* b : added) insert_brush_in_list(b);
  if (frame != nullptr) frame->statusBar()->clearMessage();
  return true;
}
