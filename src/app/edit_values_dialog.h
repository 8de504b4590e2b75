// "Edit Values": the step sizes of the move and rotation commands.
#pragma once

#include "platform/dialog.h"

class TEditProp : public TDialog {
 public:
  explicit TEditProp(QWidget* parent);

  // Shows the current drag distance and rotation angle.
  void SetupWindow() override;
  // Stores both fields; text that is not a number stores 0.
  bool CanClose() override;

  enum { ID_DRAG_DISTANCE = 10, ID_ROTATION_ANGLE = 11 };
};
