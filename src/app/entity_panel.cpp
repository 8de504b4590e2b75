#include "app/entity_panel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/draw_window.h"
#include "app/plan_window.h"
#include "edit/entity_edit.h"
#include "edit/grid_snap.h"
#include "model/camera.h"
#include "model/view_options.h"
#include "platform/platform.h"

namespace {

constexpr float PLACE_DISTANCE = 64;  // how far in front of the camera a new entity stands
constexpr int TOOLTIP_CHARS = 400;

// The pairs a new entity of class c starts with: every key's default, and
// the spawnflags its flags are on by default.
key_values defaults_of(const entity_class& c) {
  key_values out;
  for (const class_key& k : c.keys) {
    if (k.kind == key_kind::flags) {
      long bits = 0;
      for (const key_flag& f : k.flags) bits |= f.on ? f.bit : 0;
      if (bits != 0) out.emplace_back(k.name, std::to_string(bits));
    } else if (!k.default_value.empty()) {
      out.emplace_back(k.name, k.default_value);
    }
  }
  return out;
}

}  // namespace

TEntityPanel::TEntityPanel(TDrawWindow& view) : QDockWidget(QStringLiteral("Entities")), view_(view) {
  setObjectName(QStringLiteral("entities"));
  auto* body = new QWidget(this);
  auto* column = new QVBoxLayout(body);
  filter_ = new QLineEdit(body);
  filter_->setPlaceholderText(QStringLiteral("Filter"));
  tree_ = new QTreeWidget(body);
  tree_->setHeaderHidden(true);
  tree_->setDragEnabled(true);  // a point class dropped on a plan view is placed there
  point_group_ = new QTreeWidgetItem(tree_, {QStringLiteral("Point classes")});
  brush_group_ = new QTreeWidgetItem(tree_, {QStringLiteral("Brush classes")});
  auto* buttons = new QHBoxLayout;
  auto* place_button = new QPushButton(QStringLiteral("Place"), body);
  auto* make_button = new QPushButton(QStringLiteral("Make entity"), body);
  auto* world_button = new QPushButton(QStringLiteral("Move to world"), body);
  buttons->addWidget(place_button);
  buttons->addWidget(make_button);
  buttons->addWidget(world_button);
  column->addWidget(filter_);
  column->addWidget(tree_);
  column->addLayout(buttons);
  setWidget(body);

  connect(filter_, &QLineEdit::textChanged, this, [this] { fill(); });
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
    if (item->parent() == point_group_) place();
    if (item->parent() == brush_group_) make_entity();
  });
  connect(place_button, &QPushButton::clicked, this, [this] { place(); });
  connect(make_button, &QPushButton::clicked, this, [this] { make_entity(); });
  connect(world_button, &QPushButton::clicked, this, [this] { give_back_to_world(); });
  refresh();
}

void TEntityPanel::refresh() {
  if (filled_generation_ == view_.document.definitions_generation()) return;
  fill();
}

void TEntityPanel::fill() {
  filled_generation_ = view_.document.definitions_generation();
  const QString wanted = filter_->text().trimmed();
  for (QTreeWidgetItem* group : {point_group_, brush_group_}) qDeleteAll(group->takeChildren());
  for (const entity_class& c : view_.document.definitions().classes) {
    if (c.kind == class_kind::base) continue;
    const QString name = QString::fromStdString(c.name);
    if (!wanted.isEmpty() && !name.contains(wanted, Qt::CaseInsensitive)) continue;
    auto* item = new QTreeWidgetItem(c.kind == class_kind::point ? point_group_ : brush_group_, {name});
    item->setToolTip(0, QString::fromStdString(c.description.substr(0, TOOLTIP_CHARS)));
  }
  for (QTreeWidgetItem* group : {point_group_, brush_group_}) {
    group->sortChildren(0, Qt::AscendingOrder);
    group->setExpanded(true);
  }
}

QString TEntityPanel::chosen(bool point) const {
  const QTreeWidgetItem* item = tree_->currentItem();
  if (item == nullptr || item->parent() != (point ? point_group_ : brush_group_)) return {};
  return item->text(0);
}

void TEntityPanel::place() {
  if (auto* plan = dynamic_cast<TPlanWindow*>(view_.activeSubWindow()); plan != nullptr) {
    place_at(plan->place_at_mouse());
    return;
  }
  const vertex_t ahead = camera_forward();
  vertex_t at{origin.x + PLACE_DISTANCE * ahead.x, origin.y + PLACE_DISTANCE * ahead.y,
              origin.z + PLACE_DISTANCE * ahead.z};
  if (options.snap_to_grid != 0) at = {snapped(at.x), snapped(at.y), snapped(at.z)};
  place_at(at);
}

void TEntityPanel::place_at(const vertex_t& at) {
  const entity_class* c = view_.document.definitions().find(chosen(true).toStdString());
  if (c == nullptr || view_.candraw == 0) return;
  if (place_point_entity(c->name, at, defaults_of(*c)) < 0) {
    MessageBox(&view_, "The map already holds the most point entities it can.", "Place", box_buttons::ok);
    return;
  }
  view_.end_of_step();
}

void TEntityPanel::make_entity() {
  const QString name = chosen(false);
  const entity_class* c = view_.document.definitions().find(name.toStdString());
  if (c == nullptr || view_.candraw == 0) return;
  if (make_brush_entity(c->name, defaults_of(*c)) == nullptr) {
    MessageBox(&view_, "Select brushes of the world first.", "Make entity", box_buttons::ok);
    return;
  }
  view_.end_of_step();
}

void TEntityPanel::give_back_to_world() {
  if (move_to_world() > 0) view_.end_of_step();
}
