// The texture panel: the texture browser as a dockable panel that stays
// open. A click makes a texture the current one, which new brushes and Apply
// take; the textures the map uses are marked, and the faces using one can be
// selected.
#pragma once

#include <QDockWidget>
#include <cstdint>

class QLineEdit;
class QListWidget;
class TDrawWindow;

class TTexturePanel : public QDockWidget {
 public:
  explicit TTexturePanel(TDrawWindow& view);

  // Lists the textures again when the map's WADs changed, and marks those in
  // use again after an edit; only while the panel is shown.
  void refresh();

  // A click on a texture: it becomes the current one ("" changes nothing).
  void choose(const QString& name);

  QLineEdit* filter() const { return filter_; }
  QListWidget* list() const { return list_; }

 private:
  void fill();
  void mark_used();

  TDrawWindow& view_;
  QLineEdit* filter_;
  QListWidget* list_;
  int filled_generation_ = -1;
  std::uint64_t marked_changes_ = 0;
  bool marked_ = false;
};
