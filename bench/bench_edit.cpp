// Cutting, subtracting and turning the brushes of a real map, and building a
// room from nothing.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "edit/brush_creator.h"
#include "edit/brush_cut.h"
#include "edit/transforms.h"
#include "map_cases.h"
#include "mapio/map_reader.h"
#include "model/map_state.h"

namespace {

constexpr int PAIRS = 300;

// Reads e1m1 afresh; false, with the case skipped, where it does not read.
bool load(benchmark::State& state) {
  reset_model();
  return load_for(state, map_path("e1m1.map"));
}

// Neighbours in file order usually touch; the second of each pair cuts the
// first and is never cut itself.
std::vector<std::pair<brush_t*, brush_t*>> neighbour_pairs() {
  std::vector<std::pair<brush_t*, brush_t*>> out;
  brush_t* b = hull->brush;
  while (b != nullptr && b->next != nullptr && static_cast<int>(out.size()) < PAIRS) {
    out.emplace_back(b, b->next);
    b = b->next->next;
  }
  return out;
}

void BM_SplitNeighbours(benchmark::State& state) {
  if (!load(state)) return;
  for (auto _ : state) {
    state.PauseTiming();
    load(state);
    const auto pairs = neighbour_pairs();
    state.ResumeTiming();
    for (const auto& [target, cutter] : pairs) {
      brush_t *f, *b;
      split_brush(cutter->fsurf, target, &f, &b);
      benchmark::DoNotOptimize(f);
    }
  }
  state.SetItemsProcessed(state.iterations() * PAIRS);
  reset_model();
}
BENCHMARK(BM_SplitNeighbours)->Unit(benchmark::kMillisecond);

void BM_SubtractNeighbours(benchmark::State& state) {
  if (!load(state)) return;
  for (auto _ : state) {
    state.PauseTiming();
    load(state);
    const auto pairs = neighbour_pairs();
    state.ResumeTiming();
    for (const auto& [target, cutter] : pairs) subtract_brush(target, cutter);
    benchmark::DoNotOptimize(hull->brush);
  }
  state.SetItemsProcessed(state.iterations() * PAIRS);
  reset_model();
}
BENCHMARK(BM_SubtractNeighbours)->Unit(benchmark::kMillisecond);

// One rotation step of 300 selected brushes, each rebuilt afterwards.
void BM_RotateSelection(benchmark::State& state) {
  if (!load(state)) return;
  int n = 0;
  for (brush_t* b = hull->brush; b != nullptr && n < PAIRS; b = b->next, ++n) insert_brush_in_list(b);
  for (auto _ : state) {
    rotate_brushZ(0);
    benchmark::DoNotOptimize(hull->brush->fsurf->point[0]);
  }
  state.SetItemsProcessed(state.iterations() * n);
  reset_model();
}
BENCHMARK(BM_RotateSelection)->Unit(benchmark::kMillisecond);

void BM_HollowRoom(benchmark::State& state) {
  reset_model();
  for (auto _ : state) {
    brush_creator_build(1, 512, 512, 256, 32, 1, 1);
    state.PauseTiming();
    release_map();
    state.ResumeTiming();
  }
  reset_model();
}
BENCHMARK(BM_HollowRoom)->Unit(benchmark::kMicrosecond);

}  // namespace
