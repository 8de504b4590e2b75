// "Replace textures": one texture name for another, over the map or the
// selected brushes (Edit/Replace textures...).
#pragma once

#include "platform/dialog.h"

class TReplaceTextures : public TDialog {
 public:
  explicit TReplaceTextures(QWidget* parent);

  // Renames the faces; a new name the map file could not hold (empty, or
  // with a space or a quote) is refused with a box and the dialog stays.
  bool CanClose() override;

  enum { ID_FIND = 10, ID_REPLACE = 11, ID_SELECTED_ONLY = 12 };
};
