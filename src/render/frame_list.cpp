#include "render/frame_list.h"

#include "model/map_state.h"
#include "model/view_options.h"
#include "render/projection.h"
#include "render/render_state.h"

namespace {

void append(winding**& tail, winding* w) {
  w->next = nullptr;
  w->front = nullptr;
  w->back = nullptr;
  *tail = w;
  tail = &w->next;
}

}  // namespace

void draw_all(surf* surflist, int clip) {
  numdrawn = 0;
  numsurfabs = 0;
  surflist->next = nullptr;
  surflist->w.next = nullptr;
  winding** tail = &surflist->w.next;

  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      if ((b->vis == 0 && clip == 0) || b->hidden != 0) continue;
      for (surf* s = b->fsurf; s != nullptr; s = s->next) {
        ++numsurfabs;
        // A face seen from behind is not turned into view space at all.
        if (clip == 0 && !faces_camera(s)) continue;
        rotate_surface(s);
        if (clip != 0 || clip_to_frustum(s) == 1) {
          ++numdrawn;
          append(tail, &s->w);
        }
      }
    }
  }

  if (options.drawentity == 0) return;
  for (int i = 0; i < numentity; ++i) {
    brush_t* b = entities[i].brush;
    if (b == nullptr || (b->valid == 0 && clip == 0) || b->hidden != 0) continue;
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      ++numsurfabs;
      if (!faces_camera(s)) continue;
      rotate_surface(s);
      if (clip_to_frustum(s) == 1) {
        ++numdrawn;
        append(tail, &s->w);
      }
    }
  }
}

void find_visible_surfaces() {
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      b->vis = 0;
      for (surf* s = b->fsurf; s != nullptr; s = s->next) surface_in_rect(s, &Srect);
    }
  }
}
