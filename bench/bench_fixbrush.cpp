// Rebuilding brush polygons from their planes.
#include <benchmark/benchmark.h>

#include <cmath>

#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"

namespace {

// Appends a face through p0, p1, p2 whose normal points towards `inside`.
void add_plane(brush_t* b, vertex_t p0, vertex_t p1, vertex_t p2, const vertex_t& inside) {
  auto* s = new surf;
  s->point[0] = p0;
  s->point[1] = p1;
  s->point[2] = p2;
  s->numpoints = 3;
  s->brush = b;
  vertex_t e1, e2, n, to_inside;
  makevector(&p0, &p1, &e1);
  makevector(&p0, &p2, &e2);
  CrossProduct(&e1, &e2, &n);
  makevector(&p0, &inside, &to_inside);
  if (_DotProduct(&n, &to_inside) < 0) std::swap(s->point[1], s->point[2]);
  s->next = b->fsurf;
  b->fsurf = s;
}

// A prism with `sides` walls plus top and bottom.
brush_t* prism(int sides) {
  auto* b = new brush_t;
  const vertex_t centre{};
  const float r = 64, h = 32;
  for (int i = 0; i < sides; ++i) {
    const double a0 = 2 * M_PI * i / sides, a1 = 2 * M_PI * (i + 1) / sides;
    const vertex_t p{static_cast<float>(r * std::cos(a0)), static_cast<float>(r * std::sin(a0)), -h};
    const vertex_t q{static_cast<float>(r * std::cos(a1)), static_cast<float>(r * std::sin(a1)), -h};
    add_plane(b, p, q, vertex_t{p.x, p.y, h}, centre);
  }
  add_plane(b, {0, 0, -h}, {1, 0, -h}, {0, 1, -h}, centre);
  add_plane(b, {0, 0, h}, {1, 0, h}, {0, 1, h}, centre);
  return b;
}

void run(benchmark::State& state, int sides) {
  brush_t* b = prism(sides);
  for (auto _ : state) {
    fixbrush(b);
    benchmark::DoNotOptimize(b->fsurf->point[0]);
  }
  free_brush(b);
}

void BM_FixbrushBox(benchmark::State& state) { run(state, 4); }
void BM_Fixbrush12Faces(benchmark::State& state) { run(state, 10); }

}  // namespace

BENCHMARK(BM_FixbrushBox);
BENCHMARK(BM_Fixbrush12Faces);
