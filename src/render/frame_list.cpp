#include "render/frame_list.h"

#include <vector>

#include "model/map_state.h"
#include "model/view_options.h"
#include "render/projection.h"
#include "render/render_state.h"

namespace {

// Asks for the parts of a face record a frame reads (its first points, its
// count, link and plane). On a large map the records lie far apart in memory,
// and waiting for each in turn costs more than the work on it; following the
// links gives no warning, so the order of the last frame, which is nearly
// always this frame's, tells what comes next.
void prefetch_face(const surf* s) {
  __builtin_prefetch(&s->point);
  __builtin_prefetch(&s->numpoints);
  __builtin_prefetch(&s->norm, 1);
}

constexpr std::size_t PREFETCH_AHEAD = 8;  // faces
std::vector<const surf*> last_order;       // faces in the order the last frame took them

// Turns s into view space in the next winding of store, and lists it when
// the frustum clip (unless skipped) leaves some of it.
void list_face(surf* s, bool clip, face_windings& store, winding**& tail) {
  winding* w = store.next();
  rotate_surface(s, w);
  if (clip && clip_to_frustum(w) != 1) {
    store.give_back();
    return;
  }
  ++numdrawn;
  *tail = w;
  tail = &w->next;
}

}  // namespace

winding* face_windings::next() {
  if (used_ == blocks_.size() * BLOCK) blocks_.push_back(std::make_unique<winding[]>(BLOCK));
  ++used_;
  return &blocks_[(used_ - 1) / BLOCK][(used_ - 1) % BLOCK];
}

winding* draw_all(face_windings& store, int clip) {
  numdrawn = 0;
  numsurfabs = 0;
  store.reset();
  winding* first = nullptr;
  winding** tail = &first;

  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      if ((b->vis == 0 && clip == 0) || b->hidden != 0) continue;
      for (surf* s = b->fsurf; s != nullptr; s = s->next) {
        // The records themselves are not read here: a stale one is only a
        // wasted prefetch.
        const auto at = static_cast<std::size_t>(numsurfabs);
        if (at + PREFETCH_AHEAD < last_order.size()) prefetch_face(last_order[at + PREFETCH_AHEAD]);
        if (at < last_order.size()) {
          last_order[at] = s;
        } else {
          last_order.push_back(s);
        }
        ++numsurfabs;
        // Nothing to draw: counted as drawn when it passes, as a face always was.
        if (s->numpoints == 0 && clip == 0) {
          numdrawn += faces_camera(s) ? 1 : 0;
          continue;
        }
        // A face seen from behind is not turned into view space at all.
        if (clip == 0 && !faces_camera(s)) continue;
        list_face(s, clip == 0, store, tail);
      }
    }
  }

  last_order.resize(static_cast<std::size_t>(numsurfabs));
  if (options.drawentity == 0) return first;
  for (int i = 0; i < numentity; ++i) {
    brush_t* b = entities[i].brush;
    if (b == nullptr || (b->valid == 0 && clip == 0) || b->hidden != 0) continue;
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      ++numsurfabs;
      if (faces_camera(s)) list_face(s, true, store, tail);
    }
  }
  return first;
}

void find_visible_surfaces() {
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      b->vis = 0;
      for (surf* s = b->fsurf; s != nullptr; s = s->next) surface_in_rect(s, &Srect);
    }
  }
}
