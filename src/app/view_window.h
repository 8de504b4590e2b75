// The 3D view as an MDI child of the drawing window: the 800 x 600 picture in
// a scroller, so that it can sit beside the plan views instead of under them,
// and scrolls where it is given less room than the whole picture.
#pragma once

#include <QMdiSubWindow>
#include <QSize>

class QScrollArea;
class TDrawWindow;

class TViewWindow : public QMdiSubWindow {
 public:
  explicit TViewWindow(TDrawWindow& owner);

  // The widget that shows the picture and takes the 3D view's mouse and keys,
  // in the picture's own pixels.
  QWidget* picture() const { return picture_; }
  QScrollArea* scroller() const { return scroller_; }
  // The window's size when it shows the whole picture.
  QSize whole_picture_size() const;

 protected:
  // The 3D view lives as long as the drawing window: closing it only hides
  // it, and View/Four views shows it again.
  void closeEvent(QCloseEvent* event) override;

 private:
  QScrollArea* scroller_ = nullptr;
  QWidget* picture_ = nullptr;
};
