#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <optional>
#include <vector>

#include "app/commands.h"
#include "app/draw_window.h"
#include "app/entity_panel.h"
#include "app/face_panel.h"
#include "app/texture_panel.h"
#include "app/user_settings.h"
#include "app/view_layout.h"
#include "edit/box_brush.h"

namespace {

// Command buttons of the control bar are 20 x 20 pictures.
constexpr int GADGET_SIZE = 20;
constexpr int EMBLEM_GAP = 20;  // between the emblem and the first button
constexpr int GROUP_GAP = 6;    // between the buttons of two menus
constexpr double FIRST_SIZE_OF_SCREEN = 0.9;

QWidget* separator_gadget(int width) {
  auto* gap = new QWidget;
  gap->setFixedWidth(width);
  return gap;
}

QIcon resource_icon(const char* image) {
  return QIcon(QStringLiteral(":/veld/") + QString::fromLatin1(image));
}

}  // namespace

TDrawFrame::TDrawFrame(TDrawWindow* client) : client_(client) {
  setWindowIcon(resource_icon("icon1.png"));
  setCentralWidget(client_);
  client_->SetupWindow();
  entity_panel_ = new TEntityPanel(*client_);
  addDockWidget(Qt::RightDockWidgetArea, entity_panel_);
  entity_panel_->hide();
  texture_panel_ = new TTexturePanel(*client_);
  addDockWidget(Qt::RightDockWidgetArea, texture_panel_);
  texture_panel_->hide();
  face_inspector_ = new TFaceInspector(*client_);
  addDockWidget(Qt::RightDockWidgetArea, face_inspector_);
  face_inspector_->hide();
  texture_note_ = new QLabel;
  statusBar()->addPermanentWidget(texture_note_);
  build_menu();
  build_control_bar();
  client_->set_command_refresh([this] { refresh_commands(); });
  refresh_commands();
  // Back where the user left it; the first time, most of the screen, where
  // the four views have room.
  const QByteArray geometry = user_settings().value(QString::fromLatin1(WINDOW_GEOMETRY_KEY)).toByteArray();
  if (geometry.isEmpty() || !restoreGeometry(geometry)) {
    const QRect screen_room = screen()->availableGeometry();
    resize(screen_room.size() * FIRST_SIZE_OF_SCREEN);
    move(screen_room.center() - rect().center());
  }
  arrange_four_views(*client_);
}

// However the program ends (the window closed, File/exit), the frame goes
// last: its place is kept for the next run then.
TDrawFrame::~TDrawFrame() {
  user_settings().setValue(QString::fromLatin1(WINDOW_GEOMETRY_KEY), saveGeometry());
}

void TDrawFrame::build_menu() {
  std::vector<QMenu*> menus;
  for (const char* title : MENU_TITLES) {
    QMenu* m = menuBar()->addMenu(QString::fromLatin1(title));
    connect(m, &QMenu::aboutToShow, this, [this] { refresh_commands(); });
    menus.push_back(m);
  }
  for (const command_row& c : COMMANDS) {
    auto* a = new QAction(QString::fromUtf8(c.text), this);
    const bool toggle = checkable(c);
    a->setCheckable(toggle);
    if (c.image != nullptr) {
      a->setIcon(resource_icon(c.image));
      a->setIconVisibleInMenu(false);
    }
    QList<QKeySequence> keys;
    for (const QKeyCombination k : c.shortcuts) {
      if (k.key() != Qt::Key_unknown) keys.append(QKeySequence(k));
    }
    if (!keys.isEmpty()) a->setShortcuts(keys);
    const int id = c.id;
    connect(a, &QAction::triggered, this, [this, id, a, toggle] {
      // The switch, not Qt, decides the check mark.
      if (toggle) a->setChecked(!a->isChecked());
      client_->command(id);
    });
    actions_[id] = a;
    QMenu* menu = menus[static_cast<std::size_t>(c.menu)];
    if (c.separator_before) menu->addSeparator();
    menu->addAction(a);
  }
}

void TDrawFrame::build_control_bar() {
  control_bar_ = new QToolBar(this);
  control_bar_->setMovable(false);
  control_bar_->setFloatable(false);
  control_bar_->setIconSize(QSize(GADGET_SIZE, GADGET_SIZE));
  QFont gadget_font = control_bar_->font();
  gadget_font.setPointSize(10);
  gadget_font.setBold(false);
  gadget_font.setItalic(false);
  control_bar_->setFont(gadget_font);

  auto* emblem = new QLabel;
  emblem->setPixmap(QPixmap(QStringLiteral(":/veld/bitmap300.png")));
  emblem->setFrameStyle(QFrame::Panel | QFrame::Raised);
  emblem->setObjectName(QString::number(CM_EMBLEM));
  control_bar_->addWidget(emblem);
  control_bar_->addWidget(separator_gadget(EMBLEM_GAP));
  std::optional<command_menu> group;
  for (const command_row& c : COMMANDS) {
    if (c.image == nullptr) continue;
    if (group && *group != c.menu) control_bar_->addWidget(separator_gadget(GROUP_GAP));
    group = c.menu;
    control_bar_->addAction(actions_[c.id]);
  }
  for (QToolButton* b : control_bar_->findChildren<QToolButton*>()) b->setAutoRepeat(false);
  addToolBar(Qt::TopToolBarArea, control_bar_);
}

QAction* TDrawFrame::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void TDrawFrame::refresh_commands() {
  for (const command_row& c : COMMANDS) {
    QAction* a = actions_.at(c.id);
    a->setEnabled(command_enabled(c, *client_));
    if (checkable(c)) a->setChecked(command_checked(c, *client_));
    if (c.label != nullptr) {
      const std::string text = c.label(*client_);
      a->setText(QString::fromStdString(text));
      a->setVisible(!text.empty());
    }
  }
  setWindowTitle(QString::fromStdString(client_->document.window_title()));
  entity_panel_->refresh();
  texture_panel_->refresh();
  face_inspector_->refresh();
  const QString texture = QString::fromStdString(new_brush_texture());
  texture_note_->setText(current_texture.empty() ? QStringLiteral("texture: %1 (none chosen)").arg(texture)
                                                 : QStringLiteral("texture: %1").arg(texture));
}

void TDrawFrame::closeEvent(QCloseEvent* event) {
  if (client_->CanClose()) {
    client_->CleanupWindow();
    event->accept();
  } else {
    event->ignore();
  }
}

TDrawFrame* InitMainWindow() { return new TDrawFrame(new TDrawWindow); }
