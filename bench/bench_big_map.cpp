// Loading and opening (with the undo history's first snapshot) an 8 x 8 tiling
// of e1m1.map (80,448 brushes), and opening the map of about 12,000 faces that
// stands for the largest original: the time against e1m1's load, and the peak
// resident memory of the process while it ran, also less what it held before.
// A program of its own, so that no case of the others has raised that peak
// before; between its own cases the peak is set back.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "map_cases.h"
#include "mapio/map_reader.h"
#include "model/map_state.h"
#include "process_memory.h"
#include "tiled_map.h"

namespace {

constexpr double MB = 1e6;

// Lowers the process's recorded peak to what is resident now; false where the
// system does not allow it, and the peak then counts from the start.
bool reset_peak() {
  std::ofstream out("/proc/self/clear_refs");
  out << "5";
  out.flush();
  return out.good();
}

// The median seconds of `runs` reads of the map at path.
double median_load_seconds(const std::string& path, int runs) {
  using clock = std::chrono::steady_clock;
  std::vector<double> seconds;
  for (int i = 0; i < runs; ++i) {
    const clock::time_point start = clock::now();
    const bool read = read_map(path).ok();
    seconds.push_back(std::chrono::duration<double>(clock::now() - start).count());
    release_map();
    if (!read) return 0;
  }
  std::nth_element(seconds.begin(), seconds.begin() + runs / 2, seconds.end());
  return seconds[runs / 2];
}

std::string e1m1_8x8() { return tiled_map(map_path("e1m1.map"), 8); }

// Times `run` (time_loads or time_opens) on the map `where` makes, and
// reports its time against e1m1's load and the peak resident memory while it
// ran.
void big_case(benchmark::State& state, double (*run)(benchmark::State&, const std::string&),
              std::string (*where)()) {
  const std::string e1m1 = map_path("e1m1.map");
  const std::string path = where();
  if (path.empty()) {
    state.SkipWithError("the map could not be made");
    return;
  }
  const double e1m1_seconds = median_load_seconds(e1m1, 11);
  // What making the tiling and the cases before freed goes back to the
  // system, so that the peak below is this case's own.
  malloc_trim(0);
  const bool reset = reset_peak();
  const double before = status_bytes("VmRSS");
  const double seconds = run(state, path);
  const double peak = status_bytes("VmHWM");
  state.counters["rss_before_MB"] = before / MB;
  state.counters["peak_MB"] = peak / MB;
  state.counters["peak_less_before_MB"] = (peak - before) / MB;
  if (e1m1_seconds > 0) state.counters["x_e1m1"] = seconds / e1m1_seconds;
  if (!reset) state.SetLabel("peak since the process started");
}

}  // namespace

BENCHMARK_CAPTURE(big_case, load, time_loads, e1m1_8x8)->Name("Load/e1m1_8x8")->Unit(benchmark::kMillisecond);
// The editor's open adds the undo history's first snapshot, which the peak includes.
BENCHMARK_CAPTURE(big_case, open, time_opens, e1m1_8x8)->Name("Open/e1m1_8x8")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(big_case, open_stand_in, time_opens, twelve_thousand_faces)
    ->Name(std::string("Open/") + TWELVE_THOUSAND_NAME)
    ->Unit(benchmark::kMillisecond);
