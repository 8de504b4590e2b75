// Recording one undo step on the largest of the original maps: the time of the
// snapshot and the bytes the step adds to the history; and the first snapshot
// taken right after a map is opened, on e1m1 and on a map of about 12,000
// faces.
#include <benchmark/benchmark.h>

#include <string>

#include "map_cases.h"

#include "mapio/map_reader.h"
#include "model/map_history.h"
#include "model/map_state.h"

namespace {

// e1m1.map is the largest of the original maps by size.
const std::string LARGEST = map_path("e1m1.map");

void move_first_brush(float dz) {
  for (surf* s = hull->brush->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) s->point[i].z += dz;
  }
}

void BM_RecordOneChangedBrush(benchmark::State& state) {
  if (!load_for(state, LARGEST)) return;
  history_reset();
  const std::size_t base = history_bytes();
  std::size_t steps = 0;
  for (auto _ : state) {
    state.PauseTiming();
    move_first_brush(steps % 2 == 0 ? 8.0f : -8.0f);
    state.ResumeTiming();
    benchmark::DoNotOptimize(history_record());
    ++steps;
  }
  // Once the history is full, each new step pushes the oldest out.
  const std::size_t kept = steps < HISTORY_STEPS ? steps : HISTORY_STEPS;
  state.counters["map_bytes"] = static_cast<double>(base);
  state.counters["bytes_per_step"] = kept > 0 ? static_cast<double>(history_bytes() - base) / kept : 0;
  release_map();
  history_reset();
}

void BM_RecordUnchangedMap(benchmark::State& state) {
  if (!load_for(state, LARGEST)) return;
  history_reset();
  for (auto _ : state) benchmark::DoNotOptimize(history_record());
  release_map();
  history_reset();
}

// The snapshot history_reset takes once a map is read, each on a freshly read
// map with the history of the one before already let go.
void snapshot_after_open(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    state.PauseTiming();
    release_map();
    history_reset();
    const bool read = !path.empty() && read_map(path).ok();
    state.ResumeTiming();
    if (!read) {
      state.SkipWithError("the map did not load");
      break;
    }
    history_reset();
  }
  state.counters["map_bytes"] = static_cast<double>(history_bytes());
  release_map();
  history_reset();
}

const bool registered = [] {
  benchmark::RegisterBenchmark("SnapshotAfterOpen/e1m1.map", [](benchmark::State& s) {
    snapshot_after_open(s, LARGEST);
  })->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark((std::string("SnapshotAfterOpen/") + TWELVE_THOUSAND_NAME).c_str(),
                               [](benchmark::State& s) { snapshot_after_open(s, twelve_thousand_faces()); })
      ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace

BENCHMARK(BM_RecordOneChangedBrush)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordUnchangedMap)->Unit(benchmark::kMillisecond);
