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
  void key(int qt_key);

 private:
  enum class gesture { none, select_or_move, moving, box_or_clear, drawing_box, panning };

  // The brushes under a click, and which of them the click picks: the next
  // one down when the click repeats the last at the same spot.
  brush_t* pick(QPointF at);
  void click_select(QPointF at, bool toggle);
  void drag_selection(QPointF at);
  // The box being drawn, in the view's world coordinates.
  QRectF box_rect(QPointF at) const;
  void make_box(QPointF at);
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
  bool press_on_selected_ = false;
  vertex_t move_start_lo_;  // the selection's low corner when the move began
  vertex_t moved_;          // how far the selection has been moved so far
  // The last click, for picking the next brush down when it repeats.
  QPointF last_click_{-1e9, -1e9};
  std::vector<brush_t*> last_hits_;
  std::size_t last_pick_ = 0;
};

// View/Top, Front or Side: a new plan view, while a map is open.
void open_plan_view(TDrawWindow& w, plan_axis axis);
