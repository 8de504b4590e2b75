// The overhead select view: an MDI child of the drawing window showing the
// whole map from above, one pixel per ten units. A rectangle dragged in it
// limits the 3D view to the brushes inside once the view is closed; a double
// click moves the camera there.
#pragma once

#include <QImage>
#include <QMdiSubWindow>
#include <QPoint>
#include <cstdint>
#include <string>

#include "model/types.h"

class QAbstractScrollArea;
class QPainter;
class TDrawWindow;

constexpr int SELECT_IMAGE_WIDTH = 1600;
constexpr int SELECT_IMAGE_HEIGHT = 1200;

class TSelectWindow : public QMdiSubWindow {
 public:
  TSelectWindow(TDrawWindow& parent, const char* title);
  // Applies the rectangle, unless closing the view already did.
  ~TSelectWindow() override;

  // Draws the map into the image.
  void SetupWindow();
  // Draws the image again when the map has changed since it was drawn.
  void follow_changes();
  // One face outline (or filled face) from the face's world points.
  void makepoly(winding* temp, int usecolor, int solid);
  // Repaint of the client area: rect is the area in image coordinates.
  void Paint(QPainter& dc, const QRect& rect);

  // Mouse messages in client coordinates of the view.
  void EvLButtonDown(QPoint point);
  void EvMouseMove(QPoint point);
  void EvLButtonUp(QPoint point);
  void EvLButtonDblClk(QPoint point);

  const QImage& image() const { return image_; }
  // The scrolled area, whose viewport is the client area.
  QAbstractScrollArea* area() const { return area_; }
  // The scroller's position (XPos, YPos).
  QPoint scroll_position() const;
  // The texts the last mouse move wrote.
  const std::string& pointer_text() const { return pointer_text_; }
  const std::string& origin_text() const { return origin_text_; }
  bool dragging() const { return DragDC; }

  short xss = 800, yss = 600;  // image position of the world origin
  float vd = 0.1f;             // image pixels per world unit

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QPoint image_point(QPoint client) const;
  QPoint image_of(const vertex_t& p) const;
  void apply_rectangle();

  TDrawWindow& owner_;
  QAbstractScrollArea* area_ = nullptr;
  QImage image_;
  bool DragDC = false;
  bool applied_ = false;
  std::uint64_t drawn_changes_ = 0;  // history_changes() when the image was drawn
  std::string pointer_text_, origin_text_;
};

// The Space key: a new select view over the drawing window, while a map is open.
void open_select_view(TDrawWindow& w);
