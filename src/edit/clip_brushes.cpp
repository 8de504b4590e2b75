#include "edit/clip_brushes.h"

#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "model/vector_math.h"

namespace {

surf* last_face(brush_t* b) {
  surf* s = b->fsurf;
  while (s->next != nullptr) s = s->next;
  return s;
}

}  // namespace

std::vector<brush_t*> clip_brushes(const std::vector<brush_t*>& list, const vertex_t& p0, const vertex_t& p1,
                                   const vertex_t& p2, clip_keep keep) {
  // The cut goes by a face in the plane, as the split along a face does; its
  // three points are what the writer saves for the caps.
  surf plane;
  plane.numpoints = 3;
  plane.point[0] = plane.filepoint[0] = p0;
  plane.point[1] = plane.filepoint[1] = p1;
  plane.point[2] = plane.filepoint[2] = p2;
  plane.hasfilepoints = 1;
  makenormal(&plane, vertex_t{});
  if (VectorLength(&plane.norm) == 0) return list;

  std::vector<brush_t*> left;
  for (brush_t* b : list) {
    brush_t *front = nullptr, *back = nullptr;
    if (!split_brush(&plane, b, &front, &back)) {
      left.push_back(b);  // not a brush that cuts, such as a marker box
      continue;
    }
    for (brush_t* piece : {front, back}) {
      if (piece == nullptr) continue;
      // Both pieces end with the cap the cut closed them with: new faces,
      // which take the chosen texture as new brushes do.
      if (front != nullptr && back != nullptr && !current_texture.empty())
        last_face(piece)->texname = current_texture;
      const bool wanted = keep == clip_keep::both || (piece == front) == (keep == clip_keep::front);
      if (wanted) {
        left.push_back(piece);
      } else {
        delete_brush(piece);
      }
    }
  }
  return left;
}
