// The drawing window: the frame's MDI client. It owns the off-screen image (as
// a TDrawCanvas), the redraw timer and the file dialog settings, answers every
// command of the menu and the control bar, runs the file flows, and takes the
// mouse and the keyboard of the 3D view.
#pragma once

#include <QDateTime>
#include <QMdiArea>
#include <QPoint>
#include <QTimer>
#include <functional>
#include <optional>
#include <string>

#include "mapio/map_reader.h"
#include "platform/platform.h"
#include "platform/redraw_timer.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"
#include "textures/texture_set.h"

class QAction;
class TSelectWindow;

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

// Periods of timer 1, in milliseconds.
constexpr int TIMER_NORMAL = 10;
constexpr int TIMER_AFTER_DIALOG = 1;
constexpr int TIMER_AFTER_CONVERT = 100;
constexpr int TIMER_AS_FAST_AS_POSSIBLE = 0;

class TDrawWindow : public QMdiArea, public TDrawCanvas {
 public:
  TDrawWindow();
  ~TDrawWindow() override;

  // Window set-up: the surface cleared, the timer started, the start values.
  void SetupWindow();
  // Stops the redraw timer.
  void CleanupWindow();
  // The quit question; true lets the window and the program close.
  bool CanClose();

  // Response table and command enablers.
  void command(int id);
  void enable(int id, QAction* a);
  // Called after every command, key, mouse and timer message.
  void set_command_refresh(std::function<void()> refresh) { refresh_ = std::move(refresh); }
  // The end of an edit made in another view: one undo step, the commands
  // refreshed.
  void end_of_step();

  // One tick of timer 1: counts it and shows the image; while a map is open
  // it draws a new frame first, unless nothing that goes into the picture
  // has changed since the last one was drawn.
  void EvTimer();
  // Frames drawn by ticks so far.
  long frames_drawn() const { return frames_drawn_; }
  // Something the picture shows may have changed outside the inputs the
  // window sees (a view's rectangle applied, an edit in another view): the
  // next tick draws.
  void picture_changed() { ++changes_; }

  // File work, reading the path from the dialog settings.
  void OpenFile();
  // False when the map was not written.
  bool SaveFile();
  void CloseFile();
  void SaveObject();
  void OpenObject();
  void ExportRaw();

  // Whether the map differs from what its file holds; the autosave goes by
  // this. The close and quit questions do not: they ask about saving whenever
  // a map is open, changed or not.
  bool unsaved_changes() const;

  // Writes the map to its autosave folder when it has unsaved changes, keeping
  // the newest few; the map's file and the undo history are left alone. Run
  // by a timer every few minutes.
  void autosave();
  const QTimer& autosave_timer() const { return autosave_timer_; }

  // Opens path as if it had been chosen in the open dialog.
  void open_map(const std::string& path);

  // Command handlers.
  void CmFileOpen();
  void CmFileNew() {}
  void CmFileExit();
  void CmFileClose();
  void CmFileSave();
  void CmDirXToggle();
  void CmDirYToggle();
  void CmDirZToggle();
  void CmEntityToggle();
  void CmSolidToggle();
  void CmSetProperties();
  void CmObjectSave();
  void CmFileOpenObject();
  void CmFix();
  void CmExportRaw();
  void CmEditUndo();
  void CmEditRedo();
  void CmSnapToggle();
  void CmGameFolder();
  void CmTextureToggle();
  void CmLightToggle();

  // A new overhead select view titled with the map's path; the caller adds it
  // to the window.
  TSelectWindow* InitChild();

  // Keyboard of the 3D view: key is a virtual-key code.
  void EvKeyDown(unsigned key, unsigned repeat, unsigned flags);
  void EvKeyUp(unsigned key, unsigned repeat, unsigned flags);

  // Mouse of the 3D view, in client pixels.
  void EvLButtonDown(QPoint point);
  void EvRButtonDown(QPoint point);
  void EvMButtonDown(QPoint point);
  void EvLButtonUp(QPoint point);
  void EvRButtonUp(QPoint point);
  void EvMouseMove(QPoint point);
  // One step of a left or right drag, from oldpoint to Point.
  void process_left_button();
  void process_right_button();

  // The caption set by the open flows ("VELD: A QUAKE Editor  %s").
  void SetCaption(const std::string& caption);
  std::string caption() const { return caption_; }

  redraw_timer& timer() { return timer_; }

  // The textures of the open map, from the game folder chosen in the options.
  texture_set& textures() { return textures_; }
  const std::string& game_folder() const { return game_folder_; }

  // Room for the whole 800 x 600 view.
  QSize sizeHint() const override { return QSize(VIEW_WIDTH, VIEW_HEIGHT); }

  // The off-screen surface, not QWidget::window().
  using TDrawCanvas::window;

  file_dialog_data FileData;     // map dialogs: settings and last chosen path
  file_dialog_data FileOData;    // object file and raw export dialogs
  int button = 0;                // mouse button of the drag in progress: 1 left, -1 right
  long Tstart = 0, Tfinish = 0;  // frame-rate measurement, whole seconds of the platform's clock
  long framerate = 0;            // timer ticks since Tstart
  QPoint oldpoint;               // mouse position before Point

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  // Tab is a command of the 3D view, not a focus move.
  bool focusNextPrevChild(bool next) override;

 private:
  void after_message();
  // Restarts the frame-rate count from now.
  void start_framerate();
  // The save dialog and the write; true when the map was written.
  bool run_save_flow();
  void keep_visible_set();
  void show_load_report(const load_report& report);
  void remember_map_file(const load_report& report);
  // Opens the map named in the dialog settings, with the caption set to it.
  void open_chosen(const std::string& previous_name);
  // OpenFile on the chosen path, or on its newest autosave when that is newer
  // and the user would rather have it.
  void open_chosen_map();
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
  // Shows, in one box, the texture problems met since the last one.
  void report_texture_problems();
  void subtract_key();
  void split_key();
  void convert_key();
  void delete_key();
  // Progress text written over the current image; the next frame covers it.
  void progress_text(int x, int y, const std::string& text);

  redraw_timer timer_;
  QTimer autosave_timer_;
  std::function<void()> refresh_;
  std::string caption_;
  file_on_disk map_file_;  // what the map was opened from or last saved to
  // A file read only in part, and what the reader said about it.
  struct partial_read {
    std::string path, reasons;
  };
  partial_read partial_;
  texture_set textures_;
  std::string game_folder_;  // remembered in the user's settings

  // Everything a frame is drawn from, beyond the map itself, for which the
  // count of changes stands in. Two frames of equal keys are the same picture.
  struct frame_key {
    std::uint64_t changes, history;
    vertex_t origin, angle;
    float view, vd;
    short xss, yss;
    QPoint mouse;
    QSize client;
    bool dragging;
    int candraw, allsolid, drawbsp, drawentity, drawtextures, drawlight, fixb, dragx, dragy, dragz;
    select_rect overhead;
    unsigned long memory;
    short testing;
    int numentity, keydown, keyflags;
    const brush_t* current;
    std::uint64_t selection;  // the selected brushes, hashed in order
    std::string command_line;
    bool operator==(const frame_key&) const = default;
  };
  frame_key picture_key() const;
  std::optional<frame_key> drawn_;  // the key of the frame in the image
  std::uint64_t changes_ = 0;       // every key, mouse message, command and outside edit
  long frames_drawn_ = 0;
};
