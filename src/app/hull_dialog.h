// "EDIT HULL": the key/value pairs of the brush entity that owns the
// highlighted face, that face's texture, and through the class name which
// entity the face's brush belongs to.
#pragma once

#include <string>

#include "app/keyval_dialog.h"

class texture_set;

class TEditHull : public TKeyValDialog {
 public:
  // Browse... offers the textures of the set.
  TEditHull(QWidget* parent, texture_set& textures);

  void SetupWindow() override;
  // Writes the texture, moves the brush when its class changed, and stores
  // the list as the entity's pairs. False (the dialog stays open) only for a
  // texture name a map file cannot hold.
  bool CanClose() override;

  // The browser over the texture field: a texture chosen there goes into it.
  void browse();

  enum { ID_CHANGE_ALL = 119, ID_TEXTURE = 118, ID_BROWSE = 120 };

 private:
  std::string classname;       // the "classname" value when the dialog opened
  surf* face_ = nullptr;       // the highlighted face when the dialog opened
  std::string shown_texture_;  // the texture field's text as set up
  texture_set& textures_;
};
