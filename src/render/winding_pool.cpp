#include "render/winding_pool.h"

#include "render/render_state.h"

windinglist* windlist = nullptr;
windinglist* cwindlist = nullptr;

winding* getnextwinding() {
  if (cwindlist == nullptr) reset_winding_pool();
  if (cwindlist->numwinding > POOL_BLOCK - 1) {
    if (cwindlist->next == nullptr) {
      auto* block = new windinglist;
      block->w = new winding[POOL_BLOCK];
      cwindlist->next = block;
    }
    cwindlist = cwindlist->next;
    cwindlist->numwinding = 0;
  }
  winding* w = &cwindlist->w[cwindlist->numwinding];
  ++cwindlist->numwinding;
  ++numtlsurf;
  return w;
}

void unget_winding() {
  if (cwindlist == nullptr || cwindlist->numwinding == 0) return;
  --cwindlist->numwinding;
  --numtlsurf;
}

void reset_winding_pool() {
  if (windlist == nullptr) {
    windlist = new windinglist;
    windlist->w = new winding[POOL_BLOCK];
  }
  windlist->numwinding = 0;
  cwindlist = windlist;
  numtlsurf = 0;
}

void free_winding_pool() {
  while (windlist != nullptr) {
    windinglist* next = windlist->next;
    delete[] windlist->w;
    delete windlist;
    windlist = next;
  }
  cwindlist = nullptr;
}
