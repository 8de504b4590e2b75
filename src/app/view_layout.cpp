#include "app/view_layout.h"

#include <QMdiSubWindow>
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "app/draw_window.h"
#include "app/plan_window.h"
#include "app/view_window.h"

namespace {
constexpr int CASCADE_STEP = 24;  // pixels between views opened one after another
}  // namespace

four_view_rects four_view_layout(QSize area, QSize whole_3d) {
  const int w = std::min(whole_3d.width(), std::max(area.width() - PLAN_ROOM_WIDTH, area.width() / 2));
  const int h = std::min(whole_3d.height(), std::max(area.height() - PLAN_ROOM_HEIGHT, area.height() / 2));
  const int rest_w = std::max(0, area.width() - w), rest_h = std::max(0, area.height() - h);
  return {QRect(0, 0, w, h), QRect(w, 0, rest_w, h), QRect(0, h, w, rest_h), QRect(w, h, rest_w, rest_h)};
}

QRect place_beside(QSize area, QRect view3d, QSize wanted, int nth) {
  const QRect right(view3d.right() + 1, 0, area.width() - view3d.right() - 1, area.height());
  const QRect below(0, view3d.bottom() + 1, area.width(), area.height() - view3d.bottom() - 1);
  const auto room = [](const QRect& r) {
    return r.width() >= PLAN_ROOM_WIDTH && r.height() >= PLAN_ROOM_HEIGHT;
  };
  const auto size = [&room](const QRect& r) { return room(r) ? r.width() * r.height() : 0; };
  if (!room(right) && !room(below)) return QRect(QPoint(0, 0), wanted);
  const QRect& free = size(right) >= size(below) ? right : below;
  const QSize fitted = wanted.boundedTo(free.size());
  // Each view opened there steps down and right, back to the corner when it
  // would leave the room.
  const int steps = std::max(
      1, std::min(free.width() - fitted.width(), free.height() - fitted.height()) / CASCADE_STEP + 1);
  const int step = (nth % steps) * CASCADE_STEP;
  return QRect(free.topLeft() + QPoint(step, step), fitted);
}

namespace {

// The first open plan view along axis, or a new one while a map is open.
TPlanWindow* plan_view_for(TDrawWindow& w, plan_axis axis) {
  for (QMdiSubWindow* child : w.subWindowList()) {
    auto* plan = dynamic_cast<TPlanWindow*>(child);
    if (plan != nullptr && plan->camera().axis == axis) return plan;
  }
  open_plan_view(w, axis);
  return w.candraw != 0 ? dynamic_cast<TPlanWindow*>(w.subWindowList().back()) : nullptr;
}

}  // namespace

void arrange_four_views(TDrawWindow& w) {
  TViewWindow* view3d = w.view_window();
  view3d->showNormal();
  const four_view_rects r = four_view_layout(w.viewport()->size(), view3d->whole_picture_size());
  view3d->setGeometry(r.view3d);
  std::vector<QMdiSubWindow*> placed{view3d};
  const std::array<std::pair<plan_axis, QRect>, 3> plans{
      {{plan_axis::top, r.top}, {plan_axis::front, r.front}, {plan_axis::side, r.side}}};
  for (const auto& [axis, rect] : plans) {
    TPlanWindow* plan = plan_view_for(w, axis);
    if (plan == nullptr) continue;
    plan->showNormal();
    plan->setGeometry(rect);
    placed.push_back(plan);
  }
  w.remember_arrangement(placed);
  w.focus_picture();
}

void close_plan_views(TDrawWindow& w) {
  for (QMdiSubWindow* child : w.subWindowList()) {
    if (dynamic_cast<TPlanWindow*>(child) != nullptr) {
      child->close();
      // Gone at once, not at the next turn of the event loop: no frame of
      // the next map is drawn in it.
      delete child;
    }
  }
}
