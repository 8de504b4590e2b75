#include "app/draw_window.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStandardPaths>

#include "app/command_ids.h"
#include "app/edit_values_dialog.h"
#include "app/plan_window.h"
#include "app/select_window.h"
#include "base/number_text.h"
#include "edit/grid_snap.h"
#include "edit/transforms.h"
#include "mapio/atomic_file.h"
#include "mapio/map_writer.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "render/frame_list.h"
#include "render/render_state.h"

namespace {

constexpr const char* MAP_FILTER = "Map Files (*.map)|*.map|";
constexpr const char* OBJECT_FILTER = "Veld Object Files (*.vlp)|*.vlp|";
constexpr const char* GAME_MAP_DIR = "\\quake\\id1\\maps\\";
constexpr const char* CAPTION_FORMAT = "VELD: A QUAKE Editor  ";

file_dialog_data dialog_settings(const char* filter, const char* ext) {
  file_dialog_data d;
  d.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  d.filter = filter;
  d.default_ext = ext;
  d.initial_dir = GAME_MAP_DIR;
  return d;
}

int toggled(int flag) { return flag == 0 ? 1 : 0; }

// The problems a read listed, one a line, each line led by a line break.
std::string problem_lines(const load_report& report) {
  std::string text;
  for (const load_problem& p : report.problems) text += "\nline " + std::to_string(p.line) + ": " + p.text;
  if (report.unlisted_problems > 0) {
    text += "\n... and " + std::to_string(report.unlisted_problems) + " more problems";
  }
  return text;
}

constexpr int AUTOSAVE_PERIOD_MS = 5 * 60 * 1000;
constexpr int AUTOSAVES_KEPT = 10;
constexpr int AUTOSAVE_NUMBER_WIDTH = 6;

// The folder of one map's autosaves: its name and a hash of its full path, so
// that maps of the same name in different folders keep apart; a map that was
// never opened or saved has one folder of its own.
QDir autosave_folder(const std::string& map_path) {
  QString name = QStringLiteral("untitled");
  if (!map_path.empty()) {
    const QString path = QString::fromStdString(map_path);
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex();
    name = QFileInfo(path).completeBaseName() + QLatin1Char('-') + QString::fromLatin1(hash.left(8));
  }
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
              QStringLiteral("/autosave/") + name);
}

// A map's autosaves, oldest first: they are numbered in the order written.
QStringList autosaves(const QDir& folder) {
  return folder.entryList({QStringLiteral("*.map")}, QDir::Files, QDir::Name);
}

}  // namespace

TDrawWindow::TDrawWindow()
    : FileData(dialog_settings(MAP_FILTER, "map")),
      FileOData(dialog_settings(OBJECT_FILTER, "vlp")),
      timer_([this] { EvTimer(); }) {
  autosave_timer_.setInterval(AUTOSAVE_PERIOD_MS);
  QObject::connect(&autosave_timer_, &QTimer::timeout, this, [this] { autosave(); });
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  // A window starts on an empty map; whatever model was left is released.
  reset_model();
  reset_edit_steps();
  reset_grid();
  memory_status = MemoryLoad;
  restore_game_folder();
}

TDrawWindow::~TDrawWindow() {
  timer_.stop();
  autosave_timer_.stop();
}

void TDrawWindow::SetupWindow() {
  testing_value = -75;
  hilight = nullptr;
  hibr = nullptr;
  fixb = 1;
  window.setBackground(QBrush(Qt::white));
  window.fillRect(0, 0, VIEW_WIDTH, VIEW_HEIGHT, Qt::white);
  timer_.start(TIMER_NORMAL);
  autosave_timer_.start();
  start_framerate();
}

void TDrawWindow::start_framerate() {
  framerate = 0;
  Tstart = ClockSeconds();
}

void TDrawWindow::CleanupWindow() {
  timer_.stop();
  autosave_timer_.stop();
}

void TDrawWindow::after_message() {
  if (refresh_) refresh_();
}

void TDrawWindow::EvTimer() {
  ++framerate;
  if (candraw == 0) {
    drawn_.reset();
  } else {
    if (memory_status) memory = memory_status();
    const frame_key key = picture_key();
    if (!drawn_ || !(*drawn_ == key)) {
      draw_frame();
      drawn_ = key;
      ++frames_drawn_;
      // Copying the same image again would show nothing new; whatever else
      // writes into it asks for its own copy.
      viewport()->update(0, 0, VIEW_WIDTH, VIEW_HEIGHT);
      if (drawtextures != 0) report_texture_problems();
      // The plan views draw anew with the 3D view, when something changed.
      for (QMdiSubWindow* child : subWindowList()) {
        if (auto* plan = dynamic_cast<TPlanWindow*>(child)) plan->canvas()->update();
      }
    }
  }
  // The overhead view draws again when an edit is done.
  for (QMdiSubWindow* child : subWindowList()) {
    if (auto* overhead = dynamic_cast<TSelectWindow*>(child)) overhead->follow_changes();
  }
  after_message();
}

namespace {

std::uint64_t selection_hash() {
  std::uint64_t h = 1469598103934665603ULL;
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) {
    h = (h ^ static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(n->brush))) * 1099511628211ULL;
  }
  return h;
}

}  // namespace

TDrawWindow::frame_key TDrawWindow::picture_key() const {
  // clang-format off
  return {changes_, history_changes(),
          origin, angle, view, vd, xss, yss,
          Point, clientsize, DragDC,
          candraw, allsolid, drawbsp, drawentity, drawtextures, drawlight, fixb, dragx, dragy, dragz,
          Srect,
          memory, testing_value, numentity, keydown, keyflags, hibr, selection_hash(), cmdline};
  // clang-format on
}

void TDrawWindow::end_of_step() {
  history_record();
  picture_changed();
  after_message();
}

void TDrawWindow::paintEvent(QPaintEvent* event) {
  QMdiArea::paintEvent(event);
  QPainter screen(viewport());
  screen.drawImage(0, 0, winbmp);
}

void TDrawWindow::resizeEvent(QResizeEvent* event) {
  QMdiArea::resizeEvent(event);
  clientsize =
      QSize(std::min(VIEW_WIDTH, event->size().width()), std::min(VIEW_HEIGHT, event->size().height()));
}

file_on_disk::file_on_disk(const std::string& name) {
  const QFileInfo info(QString::fromStdString(name));
  if (!info.exists()) return;
  path = info.canonicalFilePath().toStdString();
  size = info.size();
  modified = info.lastModified();
}

bool file_on_disk::same_as(const file_on_disk& other) const {
  return path == other.path && size == other.size && modified == other.modified;
}

void TDrawWindow::SetCaption(const std::string& caption) {
  caption_ = caption;
  setWindowTitle(QString::fromStdString(caption));
}

// ---- file flows ----

void TDrawWindow::OpenFile() {
  const load_report report = read_map(FileData.file_name);
  if (!report.ok()) {
    MessageBox(this, report.error, "loading...", box_buttons::ok);
    return;
  }
  // One box for the first such pair; a box for each would never end on a map
  // with thousands. The load report gives their number.
  if (report.obsolete_pairs > 0) MessageBox(this, "obsolete", "loading...", box_buttons::ok);
  history_reset();
  candraw = 1;
  timer_.stop();
  load_textures();
  MessageBox(this, "finished loading " + std::to_string(report.brush_entities) + " models", "loading...",
             box_buttons::ok);
  show_load_report(report);
  remember_map_file(report);
  timer_.start(TIMER_AS_FAST_AS_POSSIBLE);
}

void TDrawWindow::show_load_report(const load_report& report) {
  const bool problems = !report.problems.empty() || report.malformed_numbers != 0;
  const bool pairs = report.obsolete_pairs > 1;
  if (report.complete && !problems && !pairs) return;
  std::string text = !report.complete ? "Reading stopped before the end of the file:"
                     : problems       ? "The map was read, but not all of it was usable:"
                                      : "The map was read:";
  text += problem_lines(report);
  if (pairs) {
    text += "\n" + std::to_string(report.obsolete_pairs) +
            " key/value pairs stood after a brush or between entities (\"obsolete\" was shown for the first)";
  }
  MessageBox(this, text, "loading...", box_buttons::ok);
}

void TDrawWindow::remember_map_file(const load_report& report) {
  map_file_ = file_on_disk(FileData.file_name);
  partial_ = {};
  if (!report.complete) partial_ = {map_file_.path, problem_lines(report)};
}

bool TDrawWindow::may_replace(const std::string& path) {
  const file_on_disk target(path);
  if (target.path.empty()) return true;  // nothing there to lose
  if (target.path == partial_.path) {
    const std::string text = "Reading this file stopped before its end:" + partial_.reasons +
                             "\nSaving over it loses what was not read. Save anyway?";
    if (MessageBox(this, text, "save", box_buttons::ok_cancel) != IDOK) return false;
  } else if (target.path != map_file_.path) {
    return may_replace_other(path);
  }
  if (target.path == map_file_.path && !target.same_as(map_file_)) {
    return MessageBox(
               this,
               path + " has changed on disk since the map was opened or last saved.\nReplace it anyway?",
               "save", box_buttons::ok_cancel) == IDOK;
  }
  return true;
}

bool TDrawWindow::may_replace_other(const std::string& path) {
  return !QFileInfo::exists(QString::fromStdString(path)) ||
         MessageBox(this, path + " already exists.\nDo you want to replace it?", "save",
                    box_buttons::ok_cancel) == IDOK;
}

bool TDrawWindow::SaveFile() {
  const std::string error = write_map(FileData.file_name);
  if (!error.empty()) {
    MessageBox(this, "The map was not saved.\n" + error, "save failed", box_buttons::ok);
    return false;
  }
  history_mark_saved();
  map_file_ = file_on_disk(FileData.file_name);
  // The file now holds the whole map again.
  if (map_file_.path == partial_.path) partial_ = {};
  return true;
}

void TDrawWindow::CloseFile() {
  timer_.stop();
  release_map();
  map_dialect = DIALECT_STANDARD;
  history_reset();
  map_file_ = {};
  partial_ = {};
  candraw = 0;
  DragDC = false;
  button = 0;
  reset_camera();
  vd = START_ZOOM;
  view = START_FOCAL_LENGTH;
  xss = START_CENTRE_X;
  yss = START_CENTRE_Y;
  load_textures();  // the palette stays for the next map
  timer_.start(TIMER_NORMAL);
}

void TDrawWindow::autosave() {
  if (!unsaved_changes()) return;
  QDir folder = autosave_folder(map_file_.path);
  if (!folder.mkpath(QStringLiteral("."))) return;
  QStringList kept = autosaves(folder);
  const int last = kept.isEmpty() ? 0 : QFileInfo(kept.last()).completeBaseName().toInt();
  const QString name = QStringLiteral("%1.map").arg(last + 1, AUTOSAVE_NUMBER_WIDTH, 10, QLatin1Char('0'));
  // A failed autosave leaves the older ones as they were; the next period tries again.
  if (!write_file_atomically(folder.filePath(name).toStdString(), map_text()).empty()) return;
  kept.append(name);
  while (kept.size() > AUTOSAVES_KEPT) folder.remove(kept.takeFirst());
}

void TDrawWindow::open_chosen_map() {
  const std::string chosen = FileData.file_name;
  const QFileInfo file(QString::fromStdString(chosen));
  const QDir folder = autosave_folder(file.canonicalFilePath().toStdString());
  const QStringList saves = file.exists() ? autosaves(folder) : QStringList();
  const QFileInfo newest(saves.isEmpty() ? QString() : folder.filePath(saves.last()));
  if (saves.isEmpty() || newest.lastModified() <= file.lastModified() ||
      MessageBox(this,
                 "An autosave of this map is newer than the file:\n" + newest.filePath().toStdString() +
                     "\nOpen the autosave instead?",
                 "autosave", box_buttons::ok_cancel) != IDOK) {
    OpenFile();
    return;
  }
  FileData.file_name = newest.filePath().toStdString();
  OpenFile();
  FileData.file_name = chosen;
  if (candraw == 0) return;
  load_textures();  // WADs beside the map, not the autosave
  // The map is the user's file with the autosaved changes, not yet saved there.
  map_file_ = file_on_disk(chosen);
  history_forget_saved();
}

// A file that does not open gives back the name and caption it replaced, so
// that the save dialog is never offered a file that was not read as a map.
void TDrawWindow::open_chosen(const std::string& previous_name) {
  const std::string previous_caption = caption();
  SetCaption(CAPTION_FORMAT + FileData.file_name);
  open_chosen_map();
  if (candraw != 0) return;
  FileData.file_name = previous_name;
  SetCaption(previous_caption);
}

void TDrawWindow::open_map(const std::string& path) {
  const std::string previous = FileData.file_name;
  FileData.file_name = path;
  open_chosen(previous);
  start_framerate();
  origin.y = OPENED_CAMERA_Y;
}

void TDrawWindow::CmFileOpen() {
  const std::string previous = FileData.file_name;
  if (FileOpenDialog(this, FileData) == IDOK) open_chosen(previous);
  start_framerate();
  origin.y = OPENED_CAMERA_Y;
}

bool TDrawWindow::run_save_flow() {
  timer_.stop();
  const bool saved = FileSaveDialog(this, FileData) == IDOK && may_replace(FileData.file_name) && SaveFile();
  timer_.start(TIMER_AFTER_DIALOG);
  return saved;
}

void TDrawWindow::CmFileSave() { run_save_flow(); }

bool TDrawWindow::unsaved_changes() const { return candraw != 0 && history_unsaved(); }

void TDrawWindow::CmFileClose() {
  timer_.stop();
  // A save that was cancelled or failed keeps the map open: closing would
  // drop the changes the user just asked to keep.
  if (MessageBox(this, "Do You Want to save it?", "A File Is Open...", box_buttons::ok_cancel) == IDOK &&
      !run_save_flow()) {
    return;
  }
  CloseFile();
  window.fillRect(0, 0, VIEW_WIDTH, VIEW_HEIGHT, window.background());
  candraw = 0;
  timer_.start(TIMER_AFTER_DIALOG);
  viewport()->update();
}

bool TDrawWindow::CanClose() {
  timer_.stop();
  Tfinish = ClockSeconds();
  // Less than a whole second since the count began: take it as one second.
  const long seconds = Tfinish - Tstart > 0 ? Tfinish - Tstart : 1;
  const std::string rate =
      "framerate " + format_lf(static_cast<double>(framerate) / static_cast<double>(seconds));
  if (MessageBox(this, rate, "Do you wish to quit?", box_buttons::ok_cancel) != IDOK) {
    timer_.start(TIMER_AFTER_DIALOG);
    return false;
  }
  // As in the close flow, a save that did not happen keeps the program running.
  if (candraw != 0 && MessageBox(this, "save?", "A File is Open...", box_buttons::ok_cancel) == IDOK &&
      !run_save_flow()) {
    return false;
  }
  return true;
}

void TDrawWindow::CmFileExit() {
  if (CanClose()) ExitProcess(0);
}

// The object file commands run their dialogs; the file work behind them is
// done by the object file readers and writers.
void TDrawWindow::CmObjectSave() {
  timer_.stop();
  if (FileSaveDialog(this, FileOData) == IDOK && may_replace_other(FileOData.file_name)) SaveObject();
  timer_.start(TIMER_AFTER_DIALOG);
}

void TDrawWindow::CmExportRaw() {
  timer_.stop();
  if (FileSaveDialog(this, FileOData) == IDOK && may_replace_other(FileOData.file_name)) ExportRaw();
  timer_.start(TIMER_AFTER_DIALOG);
}

void TDrawWindow::CmFileOpenObject() {
  timer_.stop();
  if (FileOpenDialog(this, FileOData) == IDOK) {
    SetCaption(CAPTION_FORMAT + FileData.file_name);
    OpenObject();
  }
  timer_.start(TIMER_AFTER_DIALOG);
  start_framerate();
}

// ---- toggles ----

void TDrawWindow::CmDirXToggle() { dragx = toggled(dragx); }
void TDrawWindow::CmDirYToggle() { dragy = toggled(dragy); }
void TDrawWindow::CmDirZToggle() { dragz = toggled(dragz); }
void TDrawWindow::CmEntityToggle() { drawentity = toggled(drawentity); }
void TDrawWindow::CmFix() { fixb = toggled(fixb); }

// Plan views snap from the start; the 3D view only once the user has chosen
// to here, so its own steps stay as they are unless asked.
void TDrawWindow::CmSnapToggle() {
  snap_to_grid = toggled(snap_to_grid);
  snap_in_3d = snap_to_grid;
}

// The restored map shows at the next tick; the selection and the highlight
// went with the records they pointed into. What the overhead view chose to
// show is not part of the history, so it is applied to the restored brushes.
void TDrawWindow::CmEditUndo() {
  if (history_undo()) keep_visible_set();
}

void TDrawWindow::CmEditRedo() {
  if (history_redo()) keep_visible_set();
}

void TDrawWindow::keep_visible_set() {
  if (Srect.left != -1) find_visible_surfaces();
}

void TDrawWindow::CmSolidToggle() {
  allsolid = toggled(allsolid);
  drawbsp = toggled(drawbsp);
}

void TDrawWindow::CmSetProperties() {
  TEditProp dlg(this);
  dlg.Execute();
}

TSelectWindow* TDrawWindow::InitChild() { return new TSelectWindow(*this, FileData.file_name.c_str()); }

// ---- response table ----

void TDrawWindow::command(int id) {
  switch (id) {
    case CM_FILEOPEN:
      CmFileOpen();
      break;
    case CM_FILENEW:
      CmFileNew();
      break;
    case CM_FILEEXIT:
      CmFileExit();
      break;
    case CM_FILECLOSE:
      CmFileClose();
      break;
    case CM_FILESAVE:
      CmFileSave();
      break;
    case CM_DIRX:
      CmDirXToggle();
      break;
    case CM_DIRY:
      CmDirYToggle();
      break;
    case CM_DIRZ:
      CmDirZToggle();
      break;
    case CM_ENTITYTOGGLE:
      CmEntityToggle();
      break;
    case CM_SOLIDTOGGLE:
      CmSolidToggle();
      break;
    case CM_PROPERTIES:
      CmSetProperties();
      break;
    case CM_OBJECTSAVE:
      CmObjectSave();
      break;
    case CM_FILEOPENOBJECT:
      CmFileOpenObject();
      break;
    case CM_FIX:
      CmFix();
      break;
    case CM_EXPORTRAW:
      CmExportRaw();
      break;
    case CM_EDITUNDO:
      CmEditUndo();
      break;
    case CM_EDITREDO:
      CmEditRedo();
      break;
    case CM_VIEWTOP:
      open_plan_view(*this, plan_axis::top);
      break;
    case CM_VIEWFRONT:
      open_plan_view(*this, plan_axis::front);
      break;
    case CM_VIEWSIDE:
      open_plan_view(*this, plan_axis::side);
      break;
    case CM_VIEWTILE:
      tileSubWindows();
      break;
    case CM_SNAPTOGRID:
      CmSnapToggle();
      break;
    case CM_GAMEFOLDER:
      CmGameFolder();
      break;
    case CM_TEXTURETOGGLE:
      CmTextureToggle();
      break;
    case CM_LIGHTTOGGLE:
      CmLightToggle();
      break;
    default:
      break;
  }
  history_record();
  picture_changed();
  after_message();
}

void TDrawWindow::enable(int id, QAction* a) {
  switch (id) {
    case CM_FILEOPEN:
      a->setEnabled(candraw == 0);
      break;
    case CM_FILECLOSE:
    case CM_FILESAVE:
    case CM_EXPORTRAW:
    case CM_VIEWTOP:
    case CM_VIEWFRONT:
    case CM_VIEWSIDE:
      a->setEnabled(candraw != 0);
      break;
    case CM_OBJECTSAVE:
      a->setEnabled(!selection_empty());
      break;
    case CM_FILEOPENOBJECT:
      a->setEnabled(hull != nullptr);
      break;
    case CM_DIRX:
      a->setChecked(dragx == 1);
      break;
    case CM_DIRY:
      a->setChecked(dragy == 1);
      break;
    case CM_DIRZ:
      a->setChecked(dragz == 1);
      break;
    case CM_ENTITYTOGGLE:
      a->setChecked(drawentity == 1);
      break;
    case CM_SOLIDTOGGLE:
      a->setChecked(allsolid == 1);
      break;
    case CM_FIX:
      a->setChecked(fixb == 1);
      break;
    case CM_SNAPTOGRID:
      a->setChecked(snap_to_grid == 1);
      break;
    case CM_TEXTURETOGGLE:
      a->setChecked(drawtextures == 1);
      break;
    case CM_LIGHTTOGGLE:
      a->setChecked(drawlight == 1);
      break;
    case CM_EDITUNDO:
      a->setEnabled(history_can_undo());
      break;
    case CM_EDITREDO:
      a->setEnabled(history_can_redo());
      break;
    default:
      a->setEnabled(true);
      break;
  }
}
