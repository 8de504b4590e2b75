#include "app/map_document.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/draw_window.h"
#include "app/user_settings.h"
#include "app/view_layout.h"
#include "mapio/atomic_file.h"
#include "mapio/map_writer.h"
#include "mapio/source_layout.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_defaults.h"

namespace {

constexpr const char* MAP_FILTER = "Map Files (*.map)|*.map|";
constexpr const char* OBJECT_FILTER = "Veld Object Files (*.vlp)|*.vlp|";
constexpr const char* GAME_MAP_DIR = "\\quake\\id1\\maps\\";
constexpr const char* CAPTION_FORMAT = "VELD: A QUAKE Editor  ";
constexpr const char* FRAME_CAPTION = "VELD: a QUAKE editor";
constexpr const char* UNTITLED = "untitled";  // a map's name before its first save
constexpr const char* CLOSE_QUESTION = "Do You Want to save it?";
constexpr const char* CLOSE_CAPTION = "A File Is Open...";
constexpr int RECENT_FILES_KEPT = 8;

file_dialog_data dialog_settings(const char* filter, const char* ext) {
  file_dialog_data d;
  d.flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
  d.filter = filter;
  d.default_ext = ext;
  d.initial_dir = GAME_MAP_DIR;
  return d;
}

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

map_document::map_document(TDrawWindow& view)
    : FileData(dialog_settings(MAP_FILTER, "map")),
      FileOData(dialog_settings(OBJECT_FILTER, "vlp")),
      view_(view),
      recent_(user_settings().value(QString::fromLatin1(RECENT_FILES_KEY)).toStringList()) {
  autosave_timer_.setInterval(AUTOSAVE_PERIOD_MS);
  QObject::connect(&autosave_timer_, &QTimer::timeout, &view_, [this] { autosave(); });
  restore_game_folder();
  load_definitions();
}

void map_document::SetCaption(const std::string& caption) {
  caption_ = caption;
  view_.setWindowTitle(QString::fromStdString(caption));
}

// ---- open ----

bool map_document::OpenFile() {
  const load_report report = read_map(FileData.file_name);
  if (!report.ok()) {
    MessageBox(&view_, report.error, "loading...", box_buttons::ok);
    return false;
  }
  // One box for the first such pair; a box for each would never end on a map
  // with thousands. The load report gives their number.
  if (report.obsolete_pairs > 0) MessageBox(&view_, "obsolete", "loading...", box_buttons::ok);
  history_reset();
  view_.candraw = 1;
  view_.timer().stop();
  load_textures();
  MessageBox(&view_, "finished loading " + std::to_string(report.brush_entities) + " models", "loading...",
             box_buttons::ok);
  show_load_report(report);
  remember_map_file(report);
  view_.timer().start(TIMER_AS_FAST_AS_POSSIBLE);
  return true;
}

void map_document::show_load_report(const load_report& report) {
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
  MessageBox(&view_, text, "loading...", box_buttons::ok);
}

void map_document::remember_map_file(const load_report& report) {
  map_file_ = file_on_disk(FileData.file_name);
  partial_ = {};
  if (!report.complete) partial_ = {map_file_.path, problem_lines(report)};
}

void map_document::remember_recent(const std::string& path) {
  const QString full = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
  recent_.removeAll(full);
  recent_.prepend(full);
  while (recent_.size() > RECENT_FILES_KEPT) recent_.removeLast();
  user_settings().setValue(QString::fromLatin1(RECENT_FILES_KEY), recent_);
}

bool map_document::open_chosen_map() {
  const std::string chosen = FileData.file_name;
  const QFileInfo file(QString::fromStdString(chosen));
  const QDir folder = autosave_folder(file.canonicalFilePath().toStdString());
  const QStringList saves = file.exists() ? autosaves(folder) : QStringList();
  const QFileInfo newest(saves.isEmpty() ? QString() : folder.filePath(saves.last()));
  if (saves.isEmpty() || newest.lastModified() <= file.lastModified() ||
      MessageBox(&view_,
                 "An autosave of this map is newer than the file:\n" + newest.filePath().toStdString() +
                     "\nOpen the autosave instead?",
                 "autosave", box_buttons::ok_cancel) != IDOK) {
    return OpenFile();
  }
  FileData.file_name = newest.filePath().toStdString();
  const bool opened = OpenFile();
  FileData.file_name = chosen;
  if (!opened) return false;
  load_textures();  // WADs beside the map, not the autosave
  // The map is the user's file with the autosaved changes, not yet saved there.
  map_file_ = file_on_disk(chosen);
  history_forget_saved();
  return true;
}

// A file that does not open gives back the name and caption it replaced, so
// that the save dialog is never offered a file that was not read as a map.
bool map_document::open_chosen(const std::string& previous_name) {
  const std::string previous_caption = caption();
  SetCaption(CAPTION_FORMAT + FileData.file_name);
  if (!open_chosen_map()) {
    FileData.file_name = previous_name;
    SetCaption(previous_caption);
    return false;
  }
  map_path_ = FileData.file_name;
  remember_recent(map_path_);
  show_new_map();
  return true;
}

void map_document::open_path(const std::string& path, bool had_map, const std::string& previous_name) {
  FileData.file_name = path;
  if (path.empty() || !open_chosen(previous_name)) {
    FileData.file_name = previous_name;
    // The map still open keeps its camera.
    if (had_map) return;
  } else if (had_map) {
    // The map given up is closed as File/close would have closed it.
    reset_view();
    reset_camera();
  }
  view_.start_framerate();
  origin.y = OPENED_CAMERA_Y;
}

void map_document::open_map(const std::string& path) {
  open_path(path, view_.candraw != 0, FileData.file_name);
}

void map_document::CmFileOpen() {
  const bool had_map = view_.candraw != 0;
  if (!may_drop_changes(CLOSE_QUESTION, CLOSE_CAPTION)) return;
  const std::string previous = FileData.file_name;
  const bool chosen = FileOpenDialog(&view_, FileData) == IDOK;
  open_path(chosen ? FileData.file_name : std::string(), had_map, previous);
}

void map_document::CmOpenRecent(int index) {
  if (index < 0 || index >= recent_.size()) return;
  const std::string path = recent_[index].toStdString();
  const bool had_map = view_.candraw != 0;
  if (!may_drop_changes(CLOSE_QUESTION, CLOSE_CAPTION)) return;
  open_path(path, had_map, FileData.file_name);
  // A map that is no longer there leaves the list; the message said why.
  if (!QFileInfo::exists(QString::fromStdString(path))) {
    recent_.removeAll(QString::fromStdString(path));
    user_settings().setValue(QString::fromLatin1(RECENT_FILES_KEY), recent_);
  }
}

// ---- new ----

void map_document::CmFileNew() {
  if (!may_drop_changes(CLOSE_QUESTION, CLOSE_CAPTION)) return;
  if (view_.candraw != 0) close_map();
  view_.timer().stop();
  release_map();
  map_source = {};
  hull = new_world_entity();
  history_reset();
  map_path_.clear();
  SetCaption(std::string(CAPTION_FORMAT) + UNTITLED);
  view_.candraw = 1;
  load_textures();
  show_new_map();
  view_.start_framerate();
  origin.y = OPENED_CAMERA_Y;
  view_.timer().start(TIMER_AFTER_DIALOG);
}

void map_document::show_new_map() {
  close_plan_views(view_);
  arrange_four_views(view_);
}

// ---- save ----

bool map_document::may_replace(const std::string& path) {
  const file_on_disk target(path);
  if (target.path.empty()) return true;  // nothing there to lose
  if (target.path == partial_.path) {
    const std::string text = "Reading this file stopped before its end:" + partial_.reasons +
                             "\nSaving over it loses what was not read. Save anyway?";
    if (MessageBox(&view_, text, "save", box_buttons::ok_cancel) != IDOK) return false;
  } else if (target.path != map_file_.path) {
    return may_replace_other(path);
  }
  if (target.path == map_file_.path && !target.same_as(map_file_)) {
    return MessageBox(
               &view_,
               path + " has changed on disk since the map was opened or last saved.\nReplace it anyway?",
               "save", box_buttons::ok_cancel) == IDOK;
  }
  return true;
}

bool map_document::may_replace_other(const std::string& path) {
  return !QFileInfo::exists(QString::fromStdString(path)) ||
         MessageBox(&view_, path + " already exists.\nDo you want to replace it?", "save",
                    box_buttons::ok_cancel) == IDOK;
}

bool map_document::SaveFile() {
  const std::string error = write_map(FileData.file_name);
  if (!error.empty()) {
    MessageBox(&view_, "The map was not saved.\n" + error, "save failed", box_buttons::ok);
    return false;
  }
  history_mark_saved();
  map_file_ = file_on_disk(FileData.file_name);
  map_path_ = FileData.file_name;
  remember_recent(map_path_);
  // The file now holds the whole map again.
  if (map_file_.path == partial_.path) partial_ = {};
  return true;
}

// Whatever stops a save, the dialog settings go back to what they held: a
// name that was not saved to is not taken for the map's.
bool map_document::save_map_as() {
  view_.timer().stop();
  const std::string previous = FileData.file_name;
  const bool saved =
      FileSaveDialog(&view_, FileData) == IDOK && may_replace(FileData.file_name) && SaveFile();
  if (!saved) FileData.file_name = previous;
  view_.timer().start(TIMER_AFTER_DIALOG);
  return saved;
}

bool map_document::save_map() {
  if (map_path_.empty()) return save_map_as();
  view_.timer().stop();
  const std::string previous = FileData.file_name;
  FileData.file_name = map_path_;
  const bool saved = may_replace(map_path_) && SaveFile();
  if (!saved) FileData.file_name = previous;
  view_.timer().start(TIMER_AFTER_DIALOG);
  return saved;
}

void map_document::CmFileSave() { save_map(); }

void map_document::CmFileSaveAs() { save_map_as(); }

bool map_document::unsaved_changes() const { return view_.candraw != 0 && history_unsaved(); }

std::string map_document::window_title() const {
  if (view_.candraw == 0) return FRAME_CAPTION;
  const std::string name =
      map_path_.empty() ? UNTITLED : QFileInfo(QString::fromStdString(map_path_)).fileName().toStdString();
  return name + (unsaved_changes() ? "*" : "") + " \u2014 VELD";
}

void map_document::autosave() {
  if (!unsaved_changes()) return;
  QDir folder = autosave_folder(map_file_.path);
  if (!folder.mkpath(QStringLiteral("."))) return;
  QStringList kept = autosaves(folder);
  const int last = kept.isEmpty() ? 0 : QFileInfo(kept.last()).completeBaseName().toInt();
  const QString name = QStringLiteral("%1.map").arg(last + 1, AUTOSAVE_NUMBER_WIDTH, 10, QLatin1Char('0'));
  // A failed autosave leaves the older ones as they were; the next period tries again.
  if (!write_file_atomically(folder.filePath(name).toStdString(), map_save_text()).empty()) return;
  kept.append(name);
  while (kept.size() > AUTOSAVES_KEPT) folder.remove(kept.takeFirst());
}

// ---- close and quit ----

bool map_document::may_drop_changes(const std::string& text, const std::string& caption) {
  if (!unsaved_changes()) return true;
  view_.timer().stop();
  const int answer = MessageBox(&view_, text, caption, box_buttons::yes_no_cancel);
  view_.timer().start(TIMER_AFTER_DIALOG);
  if (answer == IDYES) return save_map();
  return answer == IDNO;
}

void map_document::reset_view() {
  view_.DragDC = false;
  view_.button = 0;
  view_.vd = START_ZOOM;
  view_.view = START_FOCAL_LENGTH;
  view_.xss = START_CENTRE_X;
  view_.yss = START_CENTRE_Y;
}

void map_document::CloseFile() {
  view_.timer().stop();
  close_plan_views(view_);
  release_map();
  map_dialect = DIALECT_STANDARD;
  map_source = {};
  history_reset();
  map_file_ = {};
  partial_ = {};
  map_path_.clear();
  view_.candraw = 0;
  reset_view();
  reset_camera();
  load_textures();  // the palette stays for the next map
  view_.timer().start(TIMER_NORMAL);
}

void map_document::close_map() {
  CloseFile();
  view_.window.fillRect(0, 0, VIEW_WIDTH, VIEW_HEIGHT, view_.window.background());
  view_.candraw = 0;
  view_.timer().start(TIMER_AFTER_DIALOG);
  view_.picture()->update();
}

// Only changes not yet saved are asked about; a save that was cancelled or
// failed keeps the map open, as Cancel does.
void map_document::CmFileClose() {
  if (may_drop_changes(CLOSE_QUESTION, CLOSE_CAPTION)) close_map();
}

bool map_document::save_before_quit() { return may_drop_changes("save?", "A File is Open..."); }

// ---- object files ----

// The object file commands run their dialogs; the file work behind them is
// done by the object file readers and writers.
void map_document::CmObjectSave() {
  view_.timer().stop();
  if (FileSaveDialog(&view_, FileOData) == IDOK && may_replace_other(FileOData.file_name)) SaveObject();
  view_.timer().start(TIMER_AFTER_DIALOG);
}

void map_document::CmExportRaw() {
  view_.timer().stop();
  if (FileSaveDialog(&view_, FileOData) == IDOK && may_replace_other(FileOData.file_name)) ExportRaw();
  view_.timer().start(TIMER_AFTER_DIALOG);
}

void map_document::CmFileOpenObject() {
  view_.timer().stop();
  if (FileOpenDialog(&view_, FileOData) == IDOK) {
    SetCaption(CAPTION_FORMAT + FileData.file_name);
    OpenObject();
  }
  view_.timer().start(TIMER_AFTER_DIALOG);
  view_.start_framerate();
}
