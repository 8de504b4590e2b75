#include "edit/stretch.h"

#include "edit/face_backup.h"
#include "edit/texture_lock.h"
#include "edit/transforms.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"

bool stretch_brushes(const std::vector<brush_t*>& list, int axis, float fixed, float from, float to) {
  const double scale = (static_cast<double>(to) - fixed) / (static_cast<double>(from) - fixed);
  // A scale of 0 flattens, a negative one turns the brushes inside out.
  if (!(scale > 0) || axis < 0 || axis > 2) return false;
  const auto moved = [&](vertex_t& p) {
    float& v = vcomp(p, axis);
    v = static_cast<float>(fixed + (v - static_cast<double>(fixed)) * scale);
  };
  std::vector<face_backup> kept;
  for (const brush_t* b : list) kept.emplace_back(b);
  bool whole = true;
  for (brush_t* b : list) {
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      for (int i = 0; i < std::max<int>(s->numpoints, 3); ++i) moved(s->point[i]);
      if (s->hasfilepoints) {
        for (vertex_t& p : s->filepoint) moved(p);
      }
    }
    fixbrush(b);
    for (const surf* s = b->fsurf; s != nullptr && whole; s = s->next) whole = s->numpoints >= 3;
  }
  if (whole && texture_lock != 0) {
    point_map m;
    m.turn[axis][axis] = scale;
    m.shift[axis] = fixed * (1 - scale);
    for (std::size_t i = 0; i < list.size(); ++i) lock_textures(list[i], kept[i], m);
  }
  if (whole) return true;
  for (std::size_t i = 0; i < list.size(); ++i) kept[i].restore(list[i]);
  return false;
}
