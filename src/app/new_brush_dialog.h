// "brush creator": the sizes of a new box or room, and whether the result
// becomes a brush entity of its own.
#pragma once

#include "edit/brush_creator.h"
#include "platform/dialog.h"

class TNewBrush : public TDialog {
 public:
  explicit TNewBrush(QWidget* parent);

  // Puts the start sizes into the fields: 32 for the box, 8 for the walls.
  void SetupWindow() override;
  // Reads the fields and runs the build; with "new model" set and a class
  // name given, the new brushes become a brush entity of that class.
  void CloseWindow(int result) override;

  enum {
    ID_LENGTH = 10,
    ID_WIDTH = 11,
    ID_HEIGHT = 12,
    ID_THICKNESS = 13,
    ID_ROOM = 14,
    ID_CLASSNAME = 15,
    ID_NEW_MODEL = 16,
    ID_HOLLOW = 17,
  };

 private:
  bool checked(int id) const;
  void check_box(const char* text, int id, int x, int y, int cx, int cy);

  creator_outcome outcome_ = creator_outcome::cancelled;
};

class TDrawWindow;

// The Insert key: the brush creator over the drawing window; once it has
// built something the 3D view draws.
void run_brush_creator(TDrawWindow& w);
