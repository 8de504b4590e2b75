#include "render/render_state.h"

#include "render/winding_pool.h"

int numsurfabs = 0;
int numdrawn = 0;
int numtlsurf = 0;
select_rect Srect;

void reset_render_state() {
  numsurfabs = 0;
  numdrawn = 0;
  numtlsurf = 0;
  Srect = select_rect{};
  if (windlist != nullptr) reset_winding_pool();
}
