// The drawing window: the frame's MDI client and the 3D view. It owns the
// off-screen image (as a TDrawCanvas), the redraw timer and the map document,
// answers every command of the menu and the control bar from the command
// table, and takes the mouse and the keyboard of the 3D view. The picture is
// shown by its first child window (TViewWindow), beside the plan views.
#pragma once

#include <QDockWidget>
#include <QMdiArea>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "app/frame_key.h"
#include "app/map_document.h"
#include "platform/redraw_timer.h"
#include "render/draw_canvas.h"

// The dock panel of that class in the window's frame; null while there is
// none. The panels do not carry Qt's own type information, so they are told
// apart by C++'s.
template <class Panel>
Panel* dock_panel(const QWidget& w) {
  for (QDockWidget* d : w.window()->findChildren<QDockWidget*>()) {
    if (auto* panel = dynamic_cast<Panel*>(d)) return panel;
  }
  return nullptr;
}

// Periods of timer 1, in milliseconds.
constexpr int TIMER_NORMAL = 10;
constexpr int TIMER_AFTER_DIALOG = 1;
constexpr int TIMER_AFTER_CONVERT = 100;
constexpr int TIMER_AS_FAST_AS_POSSIBLE = 0;

class QKeyEvent;
class QMdiSubWindow;
class QMouseEvent;
class TViewWindow;

class TDrawWindow : public QMdiArea, public TDrawCanvas {
 public:
  TDrawWindow();
  ~TDrawWindow() override;

  // Window set-up: the surface cleared, the timers started, the start values.
  void SetupWindow();
  // Stops the timers.
  void CleanupWindow();
  // The quit question; true lets the window and the program close.
  bool CanClose();

  // Runs the command of the table with this id.
  void command(int id);
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
  long frames_drawn() const { return redraw_.frames_drawn(); }
  // Something the picture shows may have changed outside the inputs the
  // window sees (a view's rectangle applied, an edit in another view): the
  // next tick draws.
  void picture_changed() { redraw_.changed(); }

  redraw_timer& timer() { return timer_; }
  // Restarts the frame-rate count from now.
  void start_framerate();

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

  // Turns the camera by a mouse movement from one point to another: right
  // turns right, up looks up.
  void mouse_look(QPoint from, QPoint to);

  // Qt's messages of the picture, in its pixels: the mouse, and the keys of
  // whichever of the picture and this window has the keyboard.
  void picture_press(QMouseEvent* event);
  void picture_release(QMouseEvent* event);
  void picture_move(QMouseEvent* event);
  void picture_left() { look_from_.reset(); }
  void picture_key(QKeyEvent* event, bool down);

  // The 3D view's window and its picture.
  TViewWindow* view_window() const { return view_window_; }
  QWidget* picture() const;
  // The 3D view takes the keyboard.
  void focus_picture();
  // Windows just laid out by an arrangement: while none of them has been
  // moved, resized or closed, a new size of this window lays them out again.
  void remember_arrangement(const std::vector<QMdiSubWindow*>& placed);

  // Room for the whole 800 x 600 view in its window.
  QSize sizeHint() const override;

  // The off-screen surface, not QWidget::window().
  using TDrawCanvas::window;

  map_document document;  // the map shown, its files and its textures
  int button = 0;         // mouse button of the drag in progress: 1 left, -1 right
  QPoint oldpoint;        // mouse position before Point
  long Tstart = 0;        // frame-rate measurement: whole seconds of the platform's clock
  long framerate = 0;     // timer ticks since Tstart

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override { picture_key(event, true); }
  void keyReleaseEvent(QKeyEvent* event) override { picture_key(event, false); }
  // Tab is a command of the 3D view, not a focus move.
  bool focusNextPrevChild(bool next) override;

 private:
  redraw_timer timer_;
  std::function<void()> refresh_ = [] {};
  redraw_decision redraw_;
  TViewWindow* view_window_ = nullptr;
  // Where the mouse was at the last move of a mouse-look; none while the
  // look key is up.
  std::optional<QPoint> look_from_;
  std::vector<std::pair<QPointer<QMdiSubWindow>, QRect>> arranged_;
};
