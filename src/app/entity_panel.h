// The entity list: a dockable panel of the classes the definitions in use
// know, point and brush classes apart, with a filter and each class's
// description on hover. It places point entities and makes brush entities.
#pragma once

#include <QDockWidget>

#include "model/types.h"

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class TDrawWindow;

class TEntityPanel : public QDockWidget {
 public:
  explicit TEntityPanel(TDrawWindow& view);

  // Lists the classes again when the definitions changed since the last time.
  void refresh();

  // The point class chosen, "" when none is.
  QString chosen_point_class() const { return chosen(true); }
  // A point entity of the chosen class at `at`, with its defaults: one undo step.
  void place_at(const vertex_t& at);

  // The buttons, as a click on them runs them.
  void place();        // at the mouse in the active plan view, else 64 units in front of the camera
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
