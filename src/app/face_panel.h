// Texture work on faces: the steps of the Texture menu and the face
// inspector, a dockable panel that shows and edits the texture fields of the
// faces the work goes to (the selected faces, else the selected brushes'
// faces). Each step and each typed field is one undo step.
#pragma once

#include <QDockWidget>
#include <array>
#include <cstdint>
#include <vector>

#include "edit/texture_align.h"

struct surf;
class QFormLayout;
class QLabel;
class QLineEdit;
class QSpinBox;
class TDrawWindow;

// Whether there are faces for the steps below to work on.
bool faces_to_work_on(const TDrawWindow& w);
// The current texture on them.
void apply_current_texture(TDrawWindow& w);
// Moves their textures by texels, or with by_grid set by grid steps.
void shift_faces(int ds, int dt, bool by_grid);
void turn_faces(double degrees);
void scale_faces(int axis, double factor);
// Fits each texture as often across and down as the inspector asks (once
// without one), or justifies it, by the size the view draws it with.
void fit_faces(TDrawWindow& w);
void justify_faces(TDrawWindow& w, justify where);

class TFaceInspector : public QDockWidget {
 public:
  explicit TFaceInspector(TDrawWindow& view);

  // Shows the fields of the faces worked on now, while the panel is shown. A
  // field the faces disagree on is blank; one the user is typing in is left
  // alone.
  void refresh();

  enum field { TEXTURE, S_OFFSET, T_OFFSET, ROTATION, S_SCALE, T_SCALE, FIELD_COUNT };
  QLineEdit* edit(field f) const { return fields_[f]; }
  QSpinBox* fit_across() const { return across_; }
  QSpinBox* fit_down() const { return down_; }
  // The Valve 220 axes, shown while every face has them.
  QLabel* axes() const { return axes_; }

  // A typed field put on every face worked on; a text that is not a number
  // changes nothing and the field shows the faces again.
  void take_field(field f);

 private:
  TDrawWindow& view_;
  // What the fields were filled from: the map's step and the faces worked on.
  std::uint64_t shown_changes_ = 0;
  std::vector<surf*> shown_faces_;
  bool shown_ = false;
  std::array<QLineEdit*, FIELD_COUNT> fields_{};
  QFormLayout* form_ = nullptr;
  QLabel* axes_ = nullptr;
  QSpinBox* across_ = nullptr;
  QSpinBox* down_ = nullptr;
};
