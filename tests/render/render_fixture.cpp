#include "render_fixture.h"

#include "model/vector_math.h"

brush_t* world_brush() {
  hull_t* world = hull != nullptr ? hull : make_world();
  auto* b = new brush_t;
  b->valid = 1;
  b->vis = 1;
  b->hull = world;
  b->entity = -1;
  b->next = world->brush;
  world->brush = b;
  return b;
}

surf* add_polygon(brush_t* b, std::initializer_list<vertex_t> points, colour_t clr) {
  auto it = points.begin();
  surf* s = add_face(b, it[0], it[1], it[2]);
  int n = 0;
  for (const vertex_t& p : points) s->point[n++] = p;
  s->numpoints = static_cast<signed char>(n);
  s->clr = clr;
  return s;
}

void set_winding(winding* w, std::initializer_list<vertex_t> points) {
  int n = 0;
  for (const vertex_t& p : points) w->world[n++] = p;
  w->numworld = static_cast<signed char>(n);
  vertex_t e1, e2;
  makevector(&w->world[0], &w->world[1], &e1);
  makevector(&w->world[0], &w->world[2], &e2);
  crossproduct(&e1, &e2, &w->norm);
}
