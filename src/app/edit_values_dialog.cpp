#include "app/edit_values_dialog.h"

#include <QLabel>
#include <QLineEdit>

#include "base/number_text.h"
#include "edit/transforms.h"

TEditProp::TEditProp(QWidget* parent) : TDialog(parent, QStringLiteral("Edit Values"), 113, 67) {
  add_ok_cancel(25, 50, 15, 14, 50, 50, 25, 14);
  place(new QLineEdit(this), ID_DRAG_DISTANCE, 60, 5, 49, 15);
  place(new QLineEdit(this), ID_ROTATION_ANGLE, 60, 25, 49, 15);
  place(new QLabel(QStringLiteral("drag distance"), this), 0, 10, 10, 45, 8);
  place(new QLabel(QStringLiteral("rotation angle"), this), 0, 5, 30, 50, 8);
}

void TEditProp::SetupWindow() {
  set_control_text(ID_DRAG_DISTANCE, format_lf(drag_distance));
  set_control_text(ID_ROTATION_ANGLE, format_lf(rotation_angle));
}

bool TEditProp::CanClose() {
  drag_distance = float_from_text(control_text(ID_DRAG_DISTANCE));
  rotation_angle = float_from_text(control_text(ID_ROTATION_ANGLE));
  return true;
}
