// A plan view: an MDI child of the drawing window showing the map flat from
// the top, the front or the side over a grid, where brushes are picked,
// moved, drawn and deleted with the mouse and a few keys.
#pragma once

#include <QImage>
#include <QMdiSubWindow>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <string>
#include <vector>

#include "render/plan_view.h"

class QLabel;
class QPainter;
class QWidget;
class TDrawWindow;

class TPlanWindow : public QMdiSubWindow {
 public:
  TPlanWindow(TDrawWindow& owner, plan_axis axis);

  plan_camera& camera() { return camera_; }
  // The client area that draws the view and takes its mouse and keys.
  QWidget* canvas() const { return canvas_; }
  // The frame as last drawn, and the status line below it.
  const QImage& image() const { return image_; }
  std::string status_text() const;
  // The world point under the mouse, in the view's two axes.
  QPointF world_at_mouse() const { return plan_world(camera_, mouse_at_); }
  // Where something put at pixel `at` stands: on the grid in the view's two
  // axes, and along its own axis in the middle of a new box's depth.
  vertex_t place_at(QPointF at) const;
  vertex_t place_at_mouse() const { return place_at(mouse_at_); }
  TDrawWindow& owner() const { return owner_; }

  // Draws a new frame at the canvas's size.
  void draw();
  // Centres the view on the selection, or on the whole map with nothing
  // selected, at a zoom that shows all of it.
  void centre_view();
  // The same for the brushes given.
  void fit_view(const std::vector<brush_t*>& brushes);

  // Mouse and keys of the canvas, in its pixels.
  void press(QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers mods);
  void move(QPointF at);
  void release(QPointF at, Qt::MouseButton button);
  void wheel(QPointF at, int angle_delta);
  void key(int qt_key, Qt::KeyboardModifiers mods = Qt::NoModifier);

 private:
  enum class gesture {
    none,
    select_or_move,
    moving,
    select_or_draw,
    drawing_box,
    panning,
    resizing,
    vertex_drag,
    select_or_band,
    banding
  };

  // The brushes under a click, and which of them the click picks: the next
  // one down when the click repeats the last at the same spot.
  brush_t* pick(QPointF at);
  void click_select(QPointF at, bool toggle);
  // Shift+click: the brush the cycle reaches is added; repeated at the same
  // spot, the one added before goes out as the next one down comes in.
  void shift_click(QPointF at);
  // The rubber band's rectangle in world coordinates, and selecting what lies
  // wholly inside it.
  QRectF band_rect(QPointF at) const;
  void band_select(QPointF at);
  static void hide_selection();
  static void show_all();
  void drag_selection(QPointF at);
  // The box being drawn, in the view's world coordinates.
  QRectF box_rect(QPointF at) const;
  void make_box(QPointF at);
  // How far a new box reaches along the view axis, in whole units: as set
  // by Shift+[ and Shift+], else the selection's extent, else the last box's.
  void box_depth(float* lo, float* hi) const;
  // Moves the far side of that depth by steps grid steps, at least a unit thick.
  void change_depth(int steps);
  // The selected brushes the handles resize: every one but point entities' boxes.
  static std::vector<brush_t*> resizable();
  // The handle of the selection's rectangle under pixel at, as the sides it
  // moves: -1 the low side, 1 the high one, 0 neither, along right and up.
  bool handle_at(QPointF at, int* right, int* up) const;
  // The handles' centres, in pixels, with the sides each moves.
  struct handle {
    QPointF at;
    int right, up;
  };
  std::vector<handle> handles() const;
  // The rectangle the resize under way gives, in world coordinates.
  QRectF resized_rect(QPointF at) const;
  void resize_to(QPointF at);
  // The clip tool in this view: a click places a point, the part of the
  // selection that would go is drawn over the frame.
  void clip_click(QPointF at);
  void draw_clip(QPainter& paint) const;
  // With vertex editing on and one brush selected: that brush, else null.
  static brush_t* vertex_brush();
  // The corner of that brush under pixel at, the one nearest the eye first.
  bool corner_at(QPointF at, vertex_t* corner) const;
  // Where the corner being dragged would go.
  vertex_t dragged_corner(QPointF at) const;
  void nudge(int right, int up);
  void delete_selection();
  // A finished edit: one undo step, every view redrawn.
  void step_done();
  // A world offset of du right and dv up in the view.
  vertex_t view_offset(double du, double dv) const;

  TDrawWindow& owner_;
  plan_camera camera_;
  QWidget* canvas_ = nullptr;
  QLabel* status_ = nullptr;
  QImage image_;
  // A new view shows the whole map, whatever is selected, once it has its size.
  bool fit_pending_ = true;

  gesture gesture_ = gesture::none;
  QPointF press_at_, mouse_at_;
  // Shift+[ or Shift+] set the depth of the next box, over the selection's.
  bool depth_chosen_ = false;
  int handle_right_ = 0, handle_up_ = 0;  // the sides the resize moves
  QRectF resize_from_;                    // the selection's rectangle when it began
  vertex_t corner_;                       // the corner being dragged
  bool band_adds_ = false;                // Ctrl+Shift: the band adds to the selection
  vertex_t move_start_lo_;                // the selection's low corner when the move began
  vertex_t moved_;                        // how far the selection has been moved so far
  // The last click, for picking the next brush down when it repeats.
  QPointF last_click_{-1e9, -1e9};
  std::vector<brush_t*> last_hits_;
  std::size_t last_pick_ = 0;
};

// The clip tool on or off (C in a plan view, or the menu), its points cleared.
void toggle_clip_tool();
// Cuts the selection by the clip tool's plane as far as it is placed;
// false, with nothing done, before two points are.
bool apply_clip();

// Edit/Duplicate: the selected brushes and the point entities whose boxes
// are selected, copied as Copy and Paste would copy them (a brush entity's
// brushes into a new entity of its kind, world brushes into the world) one
// grid step right and down in the plan view used last (the top view before
// any), selected in place of the originals.
void duplicate_selection();

// Adds the map text to the open map and selects what came (Edit/Paste). With
// a plan view active it goes to the mouse there, moved by whole grid steps;
// elsewhere it stays at its own place. Text that is not map text changes
// nothing and the main window's status line says why. True when pasted.
bool paste_map_text(TDrawWindow& w, const std::string& text);

// View/Top, Front or Side: a new plan view, while a map is open.
void open_plan_view(TDrawWindow& w, plan_axis axis);
