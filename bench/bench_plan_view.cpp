// Whole frames of the plan views over e1m1 and its 4 x 4 tiling: each view at
// 800 x 600 showing the whole map, as a newly opened view does, and the top
// view zoomed in to where a mapper builds (a 16-unit grid 8 pixels apart).
#include <benchmark/benchmark.h>

#include <string>

#include "edit/grid_snap.h"
#include "map_cases.h"
#include "model/map_state.h"
#include "render/plan_view.h"
#include "tiled_map.h"

namespace {

constexpr int WIDTH = 800, HEIGHT = 600;

// The camera that shows the whole map, as a new view starts.
plan_camera whole_map(plan_axis axis) {
  plan_camera c{axis, 0, 0, 1, WIDTH, HEIGHT};
  vertex_t lo, hi;
  if (!brushes_bounds(plan_brushes(), &lo, &hi)) return c;
  const auto along = [](const vertex_t& v, int a) { return a == 0 ? v.x : a == 1 ? v.y : v.z; };
  const int r = right_axis(axis), u = up_axis(axis);
  c.centre_u = (along(lo, r) + along(hi, r)) / 2.0;
  c.centre_v = (along(lo, u) + along(hi, u)) / 2.0;
  c.zoom = std::min(WIDTH / (along(hi, r) - along(lo, r)), HEIGHT / (along(hi, u) - along(lo, u))) / 1.1;
  return c;
}

void plan_frame(benchmark::State& state, const std::string& path, plan_axis axis, double zoom) {
  if (!load_for(state, path)) return;
  plan_camera c = whole_map(axis);
  if (zoom > 0) c.zoom = zoom;
  QImage image(WIDTH, HEIGHT, QImage::Format_RGB32);
  for (auto _ : state) draw_plan(image, c, GRID_START, nullptr);
  release_map();
}

void register_all() {
  const struct {
    const char* name;
    plan_axis axis;
    double zoom;  // 0: the whole map
  } views[] = {{"top", plan_axis::top, 0},
               {"front", plan_axis::front, 0},
               {"side", plan_axis::side, 0},
               {"top_zoomed", plan_axis::top, 0.5}};
  for (const auto& v : views) {
    benchmark::RegisterBenchmark(
        (std::string("PlanFrame/") + v.name + "/e1m1").c_str(),
        [v](benchmark::State& s) { plan_frame(s, map_path("e1m1.map"), v.axis, v.zoom); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        (std::string("PlanFrame/") + v.name + "/e1m1_4x4").c_str(),
        [v](benchmark::State& s) { plan_frame(s, tiled_map(map_path("e1m1.map"), 4), v.axis, v.zoom); })
        ->Unit(benchmark::kMillisecond);
  }
}

const int registered = (register_all(), 0);

}  // namespace
