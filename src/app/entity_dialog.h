// "EDIT ENTITY": the origin and key/value pairs of the point entity whose
// marker box holds the highlighted face.
#pragma once

#include <string>

#include "app/keyval_dialog.h"

class TEditEntity : public TKeyValDialog {
 public:
  explicit TEditEntity(QWidget* parent);

  void SetupWindow() override;
  // Sets the origin from X, Y and Z and stores the list as the entity's pairs.
  bool CanClose() override;

  enum { ID_X = 105, ID_Y = 106, ID_Z = 107, ID_SF = 108 };

 protected:
  // SF shows the "spawnflags" number beside the check boxes.
  void show_flags(long value) override;
  // An edited SF becomes the "spawnflags" line.
  void commit_pending() override;

 private:
  int slot_ = -1;         // the entity's slot of `entities`, -1 when there is none
  surf* face_ = nullptr;  // the highlighted face when the dialog opened
  std::string shown_sf_;  // SF's text as last set from the list
};

class TDrawWindow;

// The E key: the entity dialog for the highlighted face's brush, "EDIT
// ENTITY" for a point entity's marker box and "EDIT HULL" for any other
// brush, with the redraw timer stopped while it is up.
void run_entity_dialog(TDrawWindow& w);
