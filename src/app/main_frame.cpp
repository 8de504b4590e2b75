#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "app/command_ids.h"
#include "app/draw_window.h"

namespace {

// Command buttons of the control bar are 20 x 20 pictures.
constexpr int GADGET_SIZE = 20;

QWidget* separator_gadget(int width) {
  auto* gap = new QWidget;
  gap->setFixedWidth(width);
  return gap;
}

}  // namespace

TDrawFrame::TDrawFrame(TDrawWindow* client) : client_(client) {
  setWindowTitle(QStringLiteral("VELD: a QUAKE editor"));
  setWindowIcon(QIcon(QStringLiteral(":/veld/icon1.png")));
  setCentralWidget(client_);
  client_->SetupWindow();
  build_menu();
  build_control_bar();
  client_->set_command_refresh([this] { refresh_commands(); });
  refresh_commands();
  // Open with the whole view showing, the keyboard going to it.
  resize(sizeHint());
  client_->setFocus();
}

QAction* TDrawFrame::make_action(int id, const char* text, bool toggle, const char* image) {
  auto* a = new QAction(QString::fromLatin1(text), this);
  a->setCheckable(toggle);
  if (image != nullptr) {
    a->setIcon(QIcon(QStringLiteral(":/veld/") + QString::fromLatin1(image)));
    a->setIconVisibleInMenu(false);
  }
  connect(a, &QAction::triggered, this, [this, id, a, toggle] {
    // The flag, not Qt, decides the check mark.
    if (toggle) a->setChecked(!a->isChecked());
    client_->command(id);
  });
  actions_[id] = a;
  return a;
}

void TDrawFrame::build_menu() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
  file->addAction(make_action(CM_FILENEW, "&new", false, "bitmap300.png"));
  file->addAction(make_action(CM_FILEOPEN, "&open", false, "bitmap101.png"));
  file->addAction(make_action(CM_FILECLOSE, "&close", false, "bitmap105.png"));
  file->addAction(make_action(CM_FILESAVE, "&save", false, nullptr));
  file->addAction(make_action(CM_FILEOPENOBJECT, "&openobject", false, nullptr));
  file->addAction(make_action(CM_OBJECTSAVE, "&saveobject", false, nullptr));
  file->addAction(make_action(CM_EXPORTRAW, "&ExportRaw", false, nullptr));
  file->addSeparator();
  file->addAction(make_action(CM_FILEEXIT, "&exit", false, nullptr));

  QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
  QAction* undo = make_action(CM_EDITUNDO, "&Undo", false, nullptr);
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  edit->addAction(undo);
  QAction* redo = make_action(CM_EDITREDO, "&Redo", false, nullptr);
  redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
  edit->addAction(redo);

  QMenu* dir = menuBar()->addMenu(QStringLiteral("&Dir"));
  dir->addAction(make_action(CM_DIRX, "&X", true, "bitmap300.png"));
  dir->addAction(make_action(CM_DIRY, "&Y", true, "bitmap300.png"));
  dir->addAction(make_action(CM_DIRZ, "&Z", true, "bitmap300.png"));

  QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
  options->addAction(make_action(CM_ENTITYTOGGLE, "&draw entities", true, nullptr));
  options->addAction(make_action(CM_SOLIDTOGGLE, "&solid rendering", true, nullptr));
  options->addAction(make_action(CM_FIX, "&fix brushes", true, nullptr));
  options->addAction(make_action(CM_PROPERTIES, "&properties", false, nullptr));
  options->addSeparator();
  options->addAction(make_action(CM_GAMEFOLDER, "&Game folder...", false, nullptr));
  options->addAction(make_action(CM_TEXTURETOGGLE, "&textures (X)", true, nullptr));
  options->addAction(make_action(CM_LIGHTTOGGLE, "&light", true, nullptr));

  QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
  view->addAction(make_action(CM_VIEWTOP, "&Top", false, nullptr));
  view->addAction(make_action(CM_VIEWFRONT, "&Front", false, nullptr));
  view->addAction(make_action(CM_VIEWSIDE, "&Side", false, nullptr));
  view->addAction(make_action(CM_VIEWTILE, "Tile", false, nullptr));
  view->addSeparator();
  view->addAction(make_action(CM_SNAPTOGRID, "Snap to grid", true, nullptr));

  for (QMenu* m : {file, edit, dir, options, view})
    connect(m, &QMenu::aboutToShow, this, [this] { refresh_commands(); });
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
  control_bar_->addWidget(separator_gadget(20));
  control_bar_->addAction(actions_[CM_FILENEW]);
  control_bar_->addAction(actions_[CM_FILEOPEN]);
  control_bar_->addAction(actions_[CM_FILECLOSE]);
  control_bar_->addWidget(separator_gadget(6));
  control_bar_->addAction(actions_[CM_DIRX]);
  control_bar_->addAction(actions_[CM_DIRY]);
  control_bar_->addAction(actions_[CM_DIRZ]);
  for (QToolButton* b : control_bar_->findChildren<QToolButton*>()) b->setAutoRepeat(false);
  addToolBar(Qt::TopToolBarArea, control_bar_);
}

QAction* TDrawFrame::action(int id) const {
  const auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

void TDrawFrame::refresh_commands() {
  for (const auto& [id, a] : actions_) client_->enable(id, a);
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
