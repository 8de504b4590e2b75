// Whole frames of the 3D view over the real maps, from the camera a freshly
// opened map gets, in wireframe list order, solid list order, solid ordered
// (display BSP) and textured drawing; plus a map of about 12,000 faces and a
// 4 x 4 tiling of e1m1. Ordered and lit textured frames are timed on e1m1 and
// its tiling.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <filesystem>
#include <string>

#include "generated_textures.h"
#include "map_cases.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "model/view_options.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"
#include "textures/texture_set.h"
#include "tiled_map.h"

namespace fs = std::filesystem;

namespace {

// Where a moving brush is dragged from: the 3D view, a plan view, or nowhere
// (another way, which has the tree built again).
enum class drag_from { view, plan, nowhere };
struct mode {
  const char* name;
  int solid, bsp, textured = 0, lit = 0;
  bool moving = false;  // a brush moves a unit before every frame
  drag_from drag = drag_from::view;
};
// Textured frames take their textures from a game folder made up for the map.
constexpr mode MODES[] = {{"wire", 0, 0}, {"solid", 1, 0}, {"solid_bsp", 1, 1}, {"textured", 1, 0, 1}};
constexpr mode E1M1_MODES[] = {{"textured_bsp", 1, 1, 1},
                               {"textured_lit", 1, 0, 1, 1},
                               {"solid_bsp_dragging", 1, 1, 0, 0, true},
                               {"solid_bsp_plan_dragging", 1, 1, 0, 0, true, drag_from::plan},
                               {"solid_bsp_rebuilt", 1, 1, 0, 0, true, drag_from::nowhere}};

// Moves every point of the world's first brush by dx along x, in place.
void nudge_first_brush(float dx) {
  if (hull == nullptr || hull->brush == nullptr) return;
  for (surf* s = hull->brush->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) s->point[i].x += dx;
  }
}

// Frame text needs a Qt application. It lives until the process ends: taking
// it down among the static destructors would run after Qt's own are gone.
void start_qt() {
  if (QGuiApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "bench_frame";
  static char* argv[] = {name, nullptr};
  new QGuiApplication(argc, argv);
}

void frame(benchmark::State& state, const std::string& path, mode m) {
  start_qt();
  if (!load_for(state, path)) return;
  origin = vertex_t{0, OPENED_CAMERA_Y, 0};
  options.allsolid = m.solid;
  options.drawbsp = m.bsp;
  {
    TDrawCanvas canvas;
    canvas.candraw = 1;
    texture_set textures;
    if (m.textured != 0) {
      const std::string game = (scratch_dir() / "game").string();
      const std::string error = write_generated_game(game);
      if (!error.empty() || !textures.load_palette(game) ||
          textures.open_wads(world_value("wad"), game, "") == 0) {
        state.SkipWithError(error.empty() ? "the generated textures do not read" : error.c_str());
        release_map();
        return;
      }
      canvas.texture_of = [&textures](const std::string& name) -> const texture_image& {
        return textures.texture(name);
      };
    }
    options.drawtextures = m.textured;
    options.drawlight = m.lit;
    canvas.EvDraw();  // grows the fragment pool to this frame's size
    canvas.DragDC = m.moving && m.drag == drag_from::view;
    canvas.brushes_moving = m.moving && m.drag == drag_from::plan;
    int frames = 0;
    for (auto _ : state) {
      // Fifty units one way, then back, and again.
      if (m.moving) nudge_first_brush((frames++ / 50) % 2 == 0 ? 1.0f : -1.0f);
      canvas.EvDraw();
    }
    state.counters["drawn"] = numdrawn;
    state.counters["fragments"] = numtlsurf;
    if (!textures.problems().empty()) state.SkipWithError(textures.problems().front().c_str());
  }
  release_map();
  reset_render_state();
  options = view_options{};
}

void register_all() {
  for (const mode m : E1M1_MODES) {
    benchmark::RegisterBenchmark((std::string("EvDraw/") + m.name + "/e1m1").c_str(),
                                 [m](benchmark::State& s) { frame(s, map_path("e1m1.map"), m); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        (std::string("EvDraw/") + m.name + "/e1m1_4x4").c_str(),
        [m](benchmark::State& s) { frame(s, tiled_map(map_path("e1m1.map"), 4), m); })
        ->Unit(benchmark::kMillisecond);
  }
  for (const mode m : MODES) {
    for (const std::string& p : original_maps()) {
      benchmark::RegisterBenchmark(
          (std::string("EvDraw/") + m.name + "/" + fs::path(p).stem().string()).c_str(),
          [p, m](benchmark::State& s) { frame(s, p, m); })
          ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark((std::string("EvDraw/") + m.name + "/" + TWELVE_THOUSAND_NAME).c_str(),
                                 [m](benchmark::State& s) { frame(s, twelve_thousand_faces(), m); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(
        (std::string("EvDraw/") + m.name + "/e1m1_4x4").c_str(),
        [m](benchmark::State& s) { frame(s, tiled_map(map_path("e1m1.map"), 4), m); })
        ->Unit(benchmark::kMillisecond);
  }
}

const int registered = (register_all(), 0);

}  // namespace
