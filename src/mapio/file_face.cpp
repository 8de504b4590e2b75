#include "mapio/file_face.h"

surf* append_file_face(brush_t* b, surf**& tail, const vertex_t p[3], std::string_view texture) {
  auto* s = new surf;
  s->texname.assign(texture);
  for (int i = 0; i < 3; ++i) {
    s->point[i] = p[i];
    s->filepoint[i] = p[i];
  }
  s->hasfilepoints = 1;
  s->numpoints = 3;
  s->vis = 1;
  s->brush = b;
  s->clr = random_colour();
  *tail = s;
  tail = &s->next;
  ++b->numsurfaces;
  return s;
}
