#include "mapio/file_face.h"

surf* append_file_face(brush_t* b, surf**& tail, const vec3 p[3], std::string_view texture) {
  auto* s = new surf;
  s->texname.assign(texture);
  for (int i = 0; i < 3; ++i) s->point[i] = s->filepoint[i] = to_float(p[i]);
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
