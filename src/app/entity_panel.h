// The entity list: a dockable panel of the classes the definitions in use
// know, point and brush classes apart, with a filter and each class's
// description on hover. It places point entities and makes brush entities.
#pragma once

#include <QDockWidget>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TDrawWindow;

class TEntityPanel : public QDockWidget {
 public:
  explicit TEntityPanel(TDrawWindow& view);

  // Lists the classes again when the definitions changed since the last time.
  void refresh();

  // The buttons, as a click on them runs them.
  void place();        // a point entity of the chosen class, 64 units in front of the camera
  void make_entity();  // the selected world brushes become an entity of the chosen brush class
  void give_back_to_world();

  QLineEdit* filter() const { return filter_; }
  QTreeWidget* classes() const { return tree_; }

 private:
  void fill();
  // The chosen class's name, "" when none of that kind is chosen.
  QString chosen(bool point) const;

  TDrawWindow& view_;
  QLineEdit* filter_;
  QTreeWidget* tree_;
  QTreeWidgetItem* point_group_;
  QTreeWidgetItem* brush_group_;
  int filled_generation_ = -1;
};
