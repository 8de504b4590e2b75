// The mouse of the 3D view: a press starts a drag, every move during a drag is
// one editing step measured from the previous mouse message, a release ends it.
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "app/draw_window.h"
#include "base/number_text.h"
#include "edit/grid_snap.h"
#include "edit/transforms.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/view_options.h"
#include "render/projection.h"

namespace {

constexpr int ROTATE_THRESHOLD = 10;  // pixels between two mouse messages
constexpr int FACE_THRESHOLD = 5;
constexpr int MOVE_XY_THRESHOLD = 10;
constexpr int MOVE_Z_THRESHOLD = 3;
constexpr double LOOK_PER_PIXEL = 0.005;   // radians the camera turns for a pixel of mouse-look
constexpr float LOOK_PITCH_LIMIT = 1.55f;  // radians up or down that mouse-look goes to

// One step of a move or push: the drag distance, or with the grid on in this
// view the whole number of grid steps nearest it, at least one.
float step_length() {
  if (options.snap_in_3d == 0) return drag_distance;
  return std::max(snapped(drag_distance), static_cast<float>(options.grid_size));
}

// With the grid on in this view, what a step moved or turned goes back onto it.
void snap_selection() {
  if (options.snap_in_3d == 0) return;
  for (brushlist* n = blist; n->brush != nullptr; n = n->next) snap_brush_points(n->brush);
}

// Progress text written over the current image; the next frame covers it.
void progress_text(TDrawWindow& w, int x, int y, const std::string& text) {
  w.window.setPen(QColor(Qt::black));
  const int ascent = w.window.fontMetrics().ascent();
  w.window.drawText(x, y + ascent, QString::fromStdString(text));
  w.viewport()->update(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
}

// One step of a left drag, from oldpoint to Point.
void process_left_button(TDrawWindow& w) {
  if (selection_empty() && hilight == nullptr) return;
  const int dx = w.oldpoint.x() - w.Point.x();
  const int dy = w.oldpoint.y() - w.Point.y();
  if (options.dragx != 0 || options.dragy != 0 || options.dragz != 0) {
    if (selection_empty()) return;
    if (dx > ROTATE_THRESHOLD || dx < -ROTATE_THRESHOLD) {
      const int up = dx > ROTATE_THRESHOLD ? 1 : 0;
      if (options.dragy != 0) rotate_brushY(up);
      if (options.dragz != 0) rotate_brushZ(up);
    }
    if (dy > ROTATE_THRESHOLD && options.dragx != 0) rotate_brushX(1);
    if (dy < -ROTATE_THRESHOLD && options.dragx != 0) rotate_brushX(0);
    snap_selection();
    return;
  }
  if (hilight == nullptr || hilight->brush->entity != -1) return;
  const float distance = drag_distance;
  drag_distance = step_length();
  if (dy < -FACE_THRESHOLD) {
    drag_surf(0);
  } else if (dy > FACE_THRESHOLD) {
    drag_surf(1);
  }
  drag_distance = distance;
  if (hilight == nullptr) return;
  fixbrush(hilight->brush);
  if (options.snap_in_3d != 0) snap_brush_points(hilight->brush);
}

// One step of a right drag, from oldpoint to Point.
void process_right_button(TDrawWindow& w) {
  const int dx = w.oldpoint.x() - w.Point.x();
  const int dy = w.oldpoint.y() - w.Point.y();
  const float step = step_length();
  for (brushlist* n = blist; n->brush != nullptr; n = n->next) {
    brush_t* b = n->brush;
    vertex_t d{options.dragx != 0 ? 1.0f : 0.0f, options.dragy != 0 ? 1.0f : 0.0f,
               options.dragz != 0 ? 1.0f : 0.0f};
    if (dx > MOVE_XY_THRESHOLD) {
      d.x *= -step;
      d.y *= -step;
    } else if (dx < -MOVE_XY_THRESHOLD) {
      d.x *= step;
      d.y *= step;
    } else {
      d.x = d.y = 0.0f;
    }
    if (dy > MOVE_Z_THRESHOLD) {
      d.z *= step;
    } else if (dy < -MOVE_Z_THRESHOLD) {
      d.z *= -step;
    } else {
      d.z = 0.0f;
    }
    if (options.fixb != 0) {
      progress_text(w, 10, 100, "moving brush...moving brush...moving brush...");
      move_brush(b, &d);
      if (options.snap_in_3d != 0) snap_brush_points(b);
    } else if (closest_point != nullptr) {
      progress_text(w, 10, 80,
                    "moving point... " + format_lf(closest_point->x) + " " + format_lf(closest_point->y) +
                        " " + format_lf(closest_point->z));
      closest_point->x += d.x;
      closest_point->y += d.y;
      closest_point->z += d.z;
      if (options.snap_in_3d != 0)
        *closest_point = {snapped(closest_point->x), snapped(closest_point->y), snapped(closest_point->z)};
      // The face's plane goes with its polygon, so its plane points follow
      // the first three of it, and a save writes the face where it went.
      if (surf* s = face_holding(closest_point); s != nullptr && s->hasfilepoints != 0)
        std::copy_n(s->point.data(), 3, s->filepoint);
    }
  }
}

// Whether (x, y) lies inside the convex polygon pts, either way round.
bool inside_convex(const std::vector<std::pair<double, double>>& pts, double x, double y) {
  bool left = false, right = false;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const auto& [ax, ay] = pts[i];
    const auto& [bx, by] = pts[(i + 1) % pts.size()];
    const double side = (bx - ax) * (y - ay) - (by - ay) * (x - ax);
    left = left || side > 0;
    right = right || side < 0;
  }
  return !(left && right);
}

// The face nearest the eye under pixel p among those a frame draws (markers
// included, as they hide what is behind them); null where there is none. The
// highlight is whichever face was drawn last there, which in list order need
// not be the one in sight.
surf* nearest_face_at(const TDrawWindow& w, QPoint p) {
  // The line of sight through p, in view space: depth along y, the picture's
  // x to the right and z up.
  const double across = (p.x() - w.xss) / (static_cast<double>(w.view) * w.vd);
  const double up = -(p.y() - w.yss) / (static_cast<double>(w.view) * w.vd);
  surf* best = nullptr;
  double nearest = std::numeric_limits<double>::max();
  const auto consider = [&](surf* s) {
    winding w;
    rotate_surface(s, &w);
    if (draw_surface(s, &w) != 1 || w.numworld < 3) return;
    std::vector<std::pair<double, double>> pts;
    for (int i = 0; i < w.numworld; ++i) {
      const vertex_t& v = w.world[i];
      if (!(v.y > 0)) return;
      pts.emplace_back(v.x / v.y, v.z / v.y);
    }
    if (!inside_convex(pts, across, up)) return;
    const vertex_t& n = w.norm;
    const double facing = n.x * across + n.y + n.z * up;
    if (facing == 0) return;
    const vertex_t& on = w.world[0];
    const double depth = (double{n.x} * on.x + double{n.y} * on.y + double{n.z} * on.z) / facing;
    if (depth > 0 && depth < nearest) {
      nearest = depth;
      best = s;
    }
  };
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (b->vis == 0 || b->hidden != 0) continue;
      for (surf* s = b->fsurf; s != nullptr; s = s->next) consider(s);
    }
  }
  for (int i = 0; i < numentity && options.drawentity != 0; ++i) {
    brush_t* b = entities[i].brush;
    if (b == nullptr || b->valid == 0 || b->hidden != 0) continue;
    for (surf* s = b->fsurf; s != nullptr; s = s->next) consider(s);
  }
  return best;
}

}  // namespace

void TDrawWindow::EvLButtonDown(QPoint) {
  if (DragDC) return;
  DragDC = true;
  button = 1;
}

void TDrawWindow::EvRButtonDown(QPoint) {
  if (DragDC) return;
  DragDC = true;
  button = -1;
}

void TDrawWindow::EvMButtonDown(QPoint) {
  if (!DragDC) {
    DragDC = true;
    button = -1;
  }
  MessageBox(this, "dclk", "test", box_buttons::ok);
  hibr = hilight != nullptr ? hilight->brush : nullptr;
}

void TDrawWindow::EvLButtonUp(QPoint) {
  if (!DragDC) return;
  DragDC = false;
  button = 0;
  hilight = nullptr;
}

void TDrawWindow::EvRButtonUp(QPoint point) { EvLButtonUp(point); }

void TDrawWindow::EvMouseMove(QPoint point) {
  oldpoint = Point;
  Point = point;
  if (!DragDC) return;
  const bool something =
      hilight != nullptr || !selection_empty() || (closest_point != nullptr && options.fixb == 0);
  if (!something) return;
  if (button == 1) process_left_button(*this);
  if (button == -1) process_right_button(*this);
}

void TDrawWindow::mouse_look(QPoint from, QPoint to) {
  angle.z = static_cast<float>(
      std::remainder(angle.z + LOOK_PER_PIXEL * (to.x() - from.x()), 2 * std::numbers::pi));
  // Up and down stop short of straight up and down, where left and right
  // would turn about the line of sight; a pitch the keys took further is
  // only brought back.
  const float pitch = static_cast<float>(angle.x + LOOK_PER_PIXEL * (to.y() - from.y()));
  angle.x = std::clamp(pitch, std::min(angle.x, -LOOK_PITCH_LIMIT), std::max(angle.x, LOOK_PITCH_LIMIT));
  compute_angles();
}

// ---- Qt's mouse messages ----

void TDrawWindow::picture_press(QMouseEvent* event) {
  picture_changed();
  look_from_.reset();
  const QPoint p = event->position().toPoint();
  const Qt::KeyboardModifiers mods = event->modifiers();
  // Ctrl picks the face under the mouse for texture work instead of starting
  // a drag; with Shift too it adds the face or takes it out again.
  if (event->button() == Qt::LeftButton && (mods & Qt::ControlModifier) && !DragDC) {
    if (candraw != 0) pick_face(nearest_face_at(*this, p), (mods & Qt::ShiftModifier) != 0);
    refresh_();
    return;
  }
  switch (event->button()) {
    case Qt::LeftButton:
      EvLButtonDown(p);
      break;
    case Qt::RightButton:
      EvRButtonDown(p);
      break;
    case Qt::MiddleButton:
      EvMButtonDown(p);
      break;
    default:
      break;
  }
  refresh_();
}

void TDrawWindow::picture_release(QMouseEvent* event) {
  picture_changed();
  const QPoint p = event->position().toPoint();
  if (event->button() == Qt::LeftButton) EvLButtonUp(p);
  if (event->button() == Qt::RightButton) EvRButtonUp(p);
  history_record();  // a whole drag, however many moves it had, is one step
  refresh_();
}

// Shift held while no drag is under way turns the camera with the mouse: the
// mouse handlers of the 3D view never look at the modifier keys, and the key
// table has no use for Shift alone.
void TDrawWindow::picture_move(QMouseEvent* event) {
  picture_changed();
  const QPoint p = event->position().toPoint();
  EvMouseMove(p);
  if (!DragDC && (event->modifiers() & Qt::ShiftModifier)) {
    if (look_from_) mouse_look(*look_from_, p);
    look_from_ = p;
  } else {
    look_from_.reset();
  }
  refresh_();
}
