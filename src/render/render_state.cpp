#include "render/render_state.h"

#include "render/winding_pool.h"

int allsolid = 0;
int drawbsp = 0;
int drawentity = 1;
int drawtextures = 0;
int drawlight = 0;
int numsurfabs = 0;
int numdrawn = 0;
int numtlsurf = 0;
short testing_value = -75;
int keydown = 0;
int keyflags = 0;
select_rect Srect;
std::string cmdline;

void reset_render_state() {
  allsolid = 0;
  drawbsp = 0;
  drawentity = 1;
  drawtextures = 0;
  drawlight = 0;
  numsurfabs = 0;
  numdrawn = 0;
  numtlsurf = 0;
  testing_value = -75;
  keydown = 0;
  keyflags = 0;
  Srect = select_rect{};
  cmdline.clear();
  if (windlist != nullptr) reset_winding_pool();
}
