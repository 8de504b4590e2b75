// Loading (reading the file and rebuilding every brush) and saving the
// original maps, all eight in one go, a map of about 12,000 faces and a 4 x 4
// tiling of e1m1.map to see how the cost grows with size; and opening as the
// editor does, with the undo history's first snapshot.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "map_cases.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "mapio/source_layout.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "tiled_map.h"

namespace fs = std::filesystem;

namespace {

void load(benchmark::State& state, const std::string& path) {
  if (path.empty()) {
    state.SkipWithError("the map could not be made");
    return;
  }
  time_loads(state, path);
}

// Every original map read once an iteration, released between reads untimed.
void load_all(benchmark::State& state) {
  const std::vector<std::string> maps = original_maps();
  if (maps.empty()) {
    state.SkipWithError("needs the original maps in " VELD_MAPS_DIR);
    return;
  }
  for (auto _ : state) {
    for (const std::string& path : maps) {
      if (!read_map(path).ok()) {
        state.SkipWithError(path.c_str());
        break;
      }
      state.PauseTiming();
      release_map();
      state.ResumeTiming();
    }
  }
  release_map();
}

// The reader alone: "fix brushes" off, so faces keep their three file points.
void read_only(benchmark::State& state, const std::string& path) {
  options.fixb = 0;
  load(state, path);
  options.fixb = 1;
}

// The editor's open: the read and the first snapshot of the undo history.
void open(benchmark::State& state, const std::string& path) {
  if (path.empty()) {
    state.SkipWithError("the map could not be made");
    return;
  }
  time_opens(state, path);
}

void save(benchmark::State& state, const std::string& path) {
  if (!read_map(path).ok()) state.SkipWithError("the map did not load");
  const std::string target = (scratch_dir() / "saved.map").string();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string error = write_map(target);
    if (!error.empty()) {
      state.SkipWithError(error.c_str());
      break;
    }
    bytes += fs::file_size(target);
  }
  release_map();
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// The writer's text alone, without the file.
void save_text(benchmark::State& state, const std::string& path) {
  if (path.empty() || !read_map(path).ok()) {
    state.SkipWithError("the map did not load");
    return;
  }
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string text = map_text();
    bytes += text.size();
    benchmark::DoNotOptimize(text.data());
  }
  release_map();
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// A case over the map `where` gives; made-up maps are only made when a case
// that reads them runs.
void add(const std::string& name, void (*run)(benchmark::State&, const std::string&),
         std::function<std::string()> where) {
  benchmark::RegisterBenchmark(name.c_str(), [run, where](benchmark::State& s) {
    run(s, where());
  })->Unit(benchmark::kMillisecond);
}

void add(const std::string& name, void (*run)(benchmark::State&, const std::string&),
         const std::string& path) {
  add(name, run, [path] { return path; });
}

std::string e1m1_4x4() { return tiled_map(map_path("e1m1.map"), 4); }

const bool registered = [] {
  const std::string e1m1 = map_path("e1m1.map");
  const std::string big = std::string("/") + TWELVE_THOUSAND_NAME;
  for (const std::string& path : original_maps())
    add("Load/" + fs::path(path).filename().string(), load, path);
  benchmark::RegisterBenchmark("Load/all_maps", load_all)->Unit(benchmark::kMillisecond);
  add("Load" + big, load, twelve_thousand_faces);
  add("Load/e1m1_4x4.map", load, e1m1_4x4);
  add("ReadOnly/e1m1.map", read_only, e1m1);
  add("Open/e1m1.map", open, e1m1);
  add("Open" + big, open, twelve_thousand_faces);
  for (const std::string& path : original_maps())
    add("Save/" + fs::path(path).filename().string(), save, path);
  add("SaveText/e1m1.map", save_text, e1m1);
  add("SaveText" + big, save_text, twelve_thousand_faces);
  return true;
}();

}  // namespace
