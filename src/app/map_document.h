// The map the drawing window shows, as a document: opening, saving and
// closing it, the questions before a file is replaced or changes are dropped,
// its autosaves, the object files merged into it and written from it, and the
// textures it is drawn with. The window it belongs to is the parent of every
// box and dialog, and its timer is stopped while one is up.
#pragma once

#include <QDateTime>
#include <QStringList>
#include <QTimer>
#include <string>

#include "defs/entity_defs.h"
#include "mapio/map_reader.h"
#include "platform/platform.h"
#include "textures/texture_set.h"

class TDrawWindow;

// A file as it stood on disk when last looked at.
struct file_on_disk {
  file_on_disk() = default;
  // Looks at the file; an empty path when there is none.
  explicit file_on_disk(const std::string& name);
  bool same_as(const file_on_disk& other) const;

  std::string path;  // canonical
  qint64 size = -1;
  QDateTime modified;
};

class map_document {
 public:
  explicit map_document(TDrawWindow& view);

  // The file commands of the menu. New, open and close first ask about
  // unsaved changes, and do nothing when the user backs out.
  void CmFileNew();
  void CmFileOpen();
  // The map's own file; a map that has none asks for a name as Save As does.
  void CmFileSave();
  void CmFileSaveAs();
  void CmFileClose();
  // Opens the map of that line of the recent files, as File/open would.
  void CmOpenRecent(int index);
  void CmFileOpenObject();
  void CmObjectSave();
  void CmExportRaw();
  // The game folder and textured drawing (menu and X key).
  void CmGameFolder();
  void CmTextureToggle();

  // The save question of the quit flow; false when the user backed out or
  // asked for a save that did not happen, which keeps the program running.
  bool save_before_quit();

  // Opens path as if it had been chosen in the open dialog.
  void open_map(const std::string& path);

  // File work, reading the path from the dialog settings. OpenFile is true
  // when the map was read and replaced the one open, if any.
  bool OpenFile();
  // False when the map was not written; the map's name and file are then
  // as they were.
  bool SaveFile();
  void CloseFile();
  void SaveObject();
  void OpenObject();
  void ExportRaw();

  // Whether the map differs from what its file holds; the autosave and the
  // questions before changes are dropped go by this.
  bool unsaved_changes() const;

  // The file the map was opened from or last saved to, as the user named it;
  // empty for a map begun in the editor and not yet saved.
  const std::string& map_path() const { return map_path_; }
  // The main window's title: the map's file name, with a star while it has
  // unsaved changes ("untitled" before its first save).
  std::string window_title() const;
  // The maps opened or saved last, the newest first, kept in the settings.
  const QStringList& recent_files() const { return recent_; }

  // Writes the map to its autosave folder when it has unsaved changes, keeping
  // the newest few; the map's file and the undo history are left alone. Run
  // by autosave_timer every few minutes while the window is set up.
  void autosave();
  QTimer& autosave_timer() { return autosave_timer_; }

  // The caption set by the open flows ("VELD: A QUAKE Editor  %s").
  void SetCaption(const std::string& caption);
  std::string caption() const { return caption_; }

  // The textures of the open map, from the game folder chosen in the options.
  texture_set& textures() { return textures_; }
  const std::string& game_folder() const { return game_folder_; }
  // Counts the readings of the WADs, so a list can tell it is out of date.
  int textures_generation() const { return textures_generation_; }
  // Shows, in one box, the texture problems met since the last one.
  void report_texture_problems();

  // The entity definitions in use: the files chosen with Options/Entity
  // definitions..., else those the game folder keeps, else the base game's
  // classes built in. Markers take their classes' boxes from them.
  const entity_defs& definitions() const;
  // Counts the readings of the definitions, so a list can tell it is out of date.
  int definitions_generation() const { return defs_generation_; }
  // Reads them again and reshapes the open map's markers; problems are told
  // in one box.
  void load_definitions();
  void CmEntityDefinitions();

  file_dialog_data FileData;   // map dialogs: settings and last chosen path
  file_dialog_data FileOData;  // object file and raw export dialogs

 private:
  // Before unsaved changes would be dropped: asks whether to save them, with
  // Save, Don't Save and Cancel. True to go on: the map was saved, the user
  // chose not to, or there was nothing to lose.
  bool may_drop_changes(const std::string& text, const std::string& caption);
  // Writes to the map's own file, or asks for one; true when written.
  bool save_map();
  // The save dialog and the write; true when the map was written.
  bool save_map_as();
  // Releases the map and clears the picture: the close flow once nothing is
  // to be lost.
  void close_map();
  // The projection and the mouse drag back to their start-up state.
  void reset_view();
  // After a map was read or begun: the four views, the frame rate counted
  // from now.
  void show_new_map();
  void show_load_report(const load_report& report);
  void remember_map_file(const load_report& report);
  // Puts path at the top of the recent files.
  void remember_recent(const std::string& path);
  // Opens the map named in the dialog settings, with the caption set to it;
  // true when it was read.
  bool open_chosen(const std::string& previous_name);
  // OpenFile on the chosen path, or on its newest autosave when that is newer
  // and the user would rather have it.
  bool open_chosen_map();
  // The open flows once the path is known: the map open is given up only
  // for one that was read.
  void open_path(const std::string& path, bool had_map, const std::string& previous_name);
  // The questions before a save replaces a file the user may still want:
  // another file, the map's own file changed by someone else, or a file the
  // map was only partly read from. True to go on.
  bool may_replace(const std::string& path);
  // The question before a save replaces an existing file that is not the
  // map's own. True to go on.
  bool may_replace_other(const std::string& path);
  // The game's palette and the map's WADs, read again after the map or the
  // game folder changed.
  void load_textures();
  void restore_game_folder();

  TDrawWindow& view_;
  QTimer autosave_timer_;
  std::string caption_;
  std::string map_path_;  // see map_path()
  QStringList recent_;
  file_on_disk map_file_;  // what the map was opened from or last saved to
  // A file read only in part, and what the reader said about it.
  struct partial_read {
    std::string path, reasons;
  };
  partial_read partial_;
  texture_set textures_;
  int textures_generation_ = 0;
  std::string game_folder_;  // remembered in the user's settings
  entity_defs defs_;         // read from files; empty when the built-in set is in use
  int defs_generation_ = 0;
};
