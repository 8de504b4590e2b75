#include "app/texture_panel.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <set>
#include <string>

#include "app/commands.h"
#include "app/draw_window.h"
#include "app/texture_browser.h"
#include "edit/box_brush.h"
#include "edit/replace_texture.h"
#include "model/map_history.h"

namespace {

const QColor IN_USE_BACKGROUND(200, 225, 255);

// The texture a tile stands for; "" for one that cannot be shown, which is
// never chosen.
QString name_of(const QListWidgetItem* item) {
  return (item->flags() & Qt::ItemIsSelectable) ? item->data(Qt::UserRole).toString() : QString();
}

}  // namespace

TTexturePanel::TTexturePanel(TDrawWindow& view) : QDockWidget(QStringLiteral("Textures")), view_(view) {
  setObjectName(QStringLiteral("textures"));
  auto* body = new QWidget(this);
  auto* column = new QVBoxLayout(body);
  filter_ = new QLineEdit(body);
  filter_->setPlaceholderText(QStringLiteral("Filter"));
  list_ = new QListWidget(body);
  show_as_tiles(list_);
  auto* buttons = new QHBoxLayout;
  auto* apply_button = new QPushButton(QStringLiteral("Apply"), body);
  apply_button->setToolTip(QStringLiteral("The current texture on the selected faces or brushes"));
  auto* select_button = new QPushButton(QStringLiteral("Select faces"), body);
  select_button->setToolTip(QStringLiteral("Every face that uses the current texture"));
  buttons->addWidget(apply_button);
  buttons->addWidget(select_button);
  column->addWidget(filter_);
  column->addWidget(list_);
  column->addLayout(buttons);
  setWidget(body);

  connect(filter_, &QLineEdit::textChanged, this, [this] { filter_tiles(list_, filter_->text()); });
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { choose(name_of(item)); });
  // A double click chooses and applies at once, where there is something to apply to.
  connect(list_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    choose(name_of(item));
    if (!name_of(item).isEmpty() && faces_to_work_on(view_)) view_.command(CM_APPLYTEXTURE);
  });
  connect(apply_button, &QPushButton::clicked, this, [this] { view_.command(CM_APPLYTEXTURE); });
  connect(select_button, &QPushButton::clicked, this, [this] { view_.command(CM_SELECTFACESUSING); });
  // Filled when first shown, not at start-up: reading every thumbnail of a
  // large WAD is work only a user who looks should wait for.
  connect(this, &QDockWidget::visibilityChanged, this, [this](bool shown) {
    if (shown) refresh();
  });
}

void TTexturePanel::refresh() {
  if (!isVisible()) return;
  if (filled_generation_ != view_.document.textures_generation()) fill();
  if (!marked_ || marked_changes_ != history_changes()) mark_used();
}

void TTexturePanel::fill() {
  filled_generation_ = view_.document.textures_generation();
  list_->clear();
  texture_set& textures = view_.document.textures();
  for (const texture_info& t : textures.names()) {
    QListWidgetItem* item =
        texture_item(t, t.problem.empty() ? textures.texture(t.name) : missing_texture(), list_);
    if (t.problem.empty() && QString::fromStdString(t.name).compare(QString::fromStdString(current_texture),
                                                                    Qt::CaseInsensitive) == 0) {
      list_->setCurrentItem(item);
    }
  }
  filter_tiles(list_, filter_->text());
  marked_ = false;
}

void TTexturePanel::mark_used() {
  marked_ = true;
  marked_changes_ = history_changes();
  const std::set<std::string> used = textures_in_use();
  for (int i = 0; i < list_->count(); ++i) {
    QListWidgetItem* item = list_->item(i);
    const bool in_use = used.count(item->data(Qt::UserRole).toString().toLower().toStdString()) != 0;
    QFont font = item->font();
    font.setBold(in_use);
    item->setFont(font);
    item->setBackground(in_use ? QBrush(IN_USE_BACKGROUND) : QBrush());
  }
}

void TTexturePanel::choose(const QString& name) {
  if (name.isEmpty()) return;
  current_texture = name.toStdString();
  view_.end_of_step();  // the status line and the commands show it
}
