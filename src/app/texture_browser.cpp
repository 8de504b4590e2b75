#include "app/texture_browser.h"

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>

namespace {

constexpr int THUMBNAIL = 64;  // pixels a side
constexpr QRgb DAMAGED_TILE = qRgb(160, 160, 160);

QIcon thumbnail(const texture_image& t) {
  if (t.width <= 0 || t.height <= 0) return {};
  const QImage image(reinterpret_cast<const uchar*>(t.texels.data()), t.width, t.height, t.width * 4,
                     QImage::Format_RGB32);
  // Nearest texels, as the view draws them.
  return QIcon(
      QPixmap::fromImage(image.scaled(THUMBNAIL, THUMBNAIL, Qt::KeepAspectRatio, Qt::FastTransformation)));
}

QIcon grey_tile() {
  QPixmap tile(THUMBNAIL, THUMBNAIL);
  tile.fill(QColor(DAMAGED_TILE));
  return QIcon(tile);
}

}  // namespace

QListWidgetItem* texture_item(const texture_info& t, const texture_image& picture, QListWidget* list) {
  const QString name = QString::fromStdString(t.name);
  QListWidgetItem* item = nullptr;
  if (t.problem.empty()) {
    item = new QListWidgetItem(thumbnail(picture),
                               name + QStringLiteral("\n%1 x %2").arg(t.width).arg(t.height), list);
    item->setToolTip(name);
  } else {
    item = new QListWidgetItem(grey_tile(), name + QStringLiteral("\ncannot be shown"), list);
    item->setToolTip(name + QStringLiteral(": ") + QString::fromStdString(t.problem));
    item->setFlags(Qt::ItemIsEnabled);  // hover tells why; a click chooses nothing
  }
  item->setData(Qt::UserRole, name);
  return item;
}

void show_as_tiles(QListWidget* list) {
  list->setViewMode(QListView::IconMode);
  list->setIconSize(QSize(THUMBNAIL, THUMBNAIL));
  list->setResizeMode(QListView::Adjust);
  list->setMovement(QListView::Static);
  list->setUniformItemSizes(true);
  list->setWordWrap(true);
}

void filter_tiles(QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i) {
    QListWidgetItem* item = list->item(i);
    item->setHidden(!item->data(Qt::UserRole).toString().contains(text, Qt::CaseInsensitive));
  }
}

TTextureBrowser::TTextureBrowser(QWidget* parent, std::vector<texture_info> choices, picture_of pictures,
                                 std::string in_use)
    : TDialog(parent, QStringLiteral("Textures"), 330, 260),
      choices_(std::move(choices)),
      pictures_(std::move(pictures)),
      in_use_(std::move(in_use)) {
  place(new QLabel(QStringLiteral("Filter"), this), 0, 7, 8, 25, 10);
  filter_ = new QLineEdit(this);
  place(filter_, ID_FILTER, 35, 6, 120, 13);
  list_ = new QListWidget(this);
  show_as_tiles(list_);
  place(list_, ID_LIST, 7, 24, 316, 210);
  add_ok_cancel(220, 240, 45, 14, 275, 240, 48, 14);
  connect(filter_, &QLineEdit::textChanged, this, [this] { apply_filter(); });
  connect(list_, &QListWidget::itemDoubleClicked, this, [this] { ok_pressed(); });
}

void TTextureBrowser::SetupWindow() {
  list_->clear();
  for (const texture_info& c : choices_) {
    const QString name = QString::fromStdString(c.name);
    QListWidgetItem* item = texture_item(c, c.problem.empty() ? pictures_(c.name) : missing_texture(), list_);
    if (c.problem.empty() && name.compare(QString::fromStdString(in_use_), Qt::CaseInsensitive) == 0) {
      // The texture in use: bold, chosen at the start and in sight.
      QFont bold = item->font();
      bold.setBold(true);
      item->setFont(bold);
      list_->setCurrentItem(item);
      list_->scrollToItem(item);
    }
  }
  apply_filter();
}

void TTextureBrowser::apply_filter() { filter_tiles(list_, filter_->text()); }

bool TTextureBrowser::CanClose() {
  const QListWidgetItem* item = list_->currentItem();
  if (item == nullptr || item->isHidden() || !(item->flags() & Qt::ItemIsSelectable)) return false;
  chosen_ = item->data(Qt::UserRole).toString().toStdString();
  return true;
}
