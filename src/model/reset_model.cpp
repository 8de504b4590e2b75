// The whole model back to start-up: declared with the map state, but it also
// resets the camera, the colour generator and the undo history. The view
// switches are not the map's: they stay as they are.
#include "model/camera.h"
#include "model/colour.h"
#include "model/map_history.h"
#include "model/map_state.h"

void reset_model() {
  release_map();
  // The spare selection nodes go too, so a test starts from a single node.
  brushlist* spare = blist->next;
  while (spare != nullptr) {
    brushlist* next = spare->next;
    delete spare;
    spare = next;
  }
  blist->next = nullptr;
  cbrushlist = blist;
  map_dialect = DIALECT_STANDARD;
  map_source = {};
  reset_camera();
  veld_srand(1);
  history_reset();
}
