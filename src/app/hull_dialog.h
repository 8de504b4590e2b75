// "EDIT HULL": the key/value pairs of the brush entity that owns the
// highlighted face, that face's texture, and through the class name which
// entity the face's brush belongs to.
#pragma once

#include <string>

#include "app/keyval_dialog.h"

class TEditHull : public TKeyValDialog {
 public:
  explicit TEditHull(QWidget* parent);

  void SetupWindow() override;
  // Writes the texture, moves the brush when its class changed, and stores
  // the list as the entity's pairs. False (the dialog stays open) only for a
  // texture name a map file cannot hold.
  bool CanClose() override;

  enum { ID_CHANGE_ALL = 119, ID_TEXTURE = 118 };

 private:
  std::string classname;       // the "classname" value when the dialog opened
  surf* face_ = nullptr;       // the highlighted face when the dialog opened
  std::string shown_texture_;  // the texture field's text as set up
};
