// Loading (reading the file and rebuilding every brush) and saving the
// original maps, and loading a 4 x 4 tiling of e1m1.map to see how the cost
// grows with size.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"
#include "tiled_map.h"

namespace fs = std::filesystem;

namespace {

const char* const MAPS[] = {"dm1.map",  "dm3.map",  "e1m1.map", "e1m2.map",
                            "e1m3.map", "e2m2.map", "e4m3.map", "start.map"};

// A temporary folder for the tiling and the saved files, removed at exit.
struct scratch_folder {
  fs::path path = fs::temp_directory_path() / ("veld-bench-" + std::to_string(::getpid()));
  scratch_folder() { fs::create_directories(path); }
  ~scratch_folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

fs::path scratch_dir() {
  static const scratch_folder folder;
  return folder.path;
}

void load(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    const load_report r = read_map(path);
    if (!r.ok() || !r.complete) {
      state.SkipWithError("the map did not load completely");
      break;
    }
    state.PauseTiming();
    release_map();
    state.ResumeTiming();
  }
  release_map();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(fs::file_size(path)));
}

// The reader alone: "fix brushes" off, so faces keep their three file points.
void read_only(benchmark::State& state, const std::string& path) {
  fixb = 0;
  load(state, path);
  fixb = 1;
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

void load_tiling(benchmark::State& state) {
  const std::string tiled = tiled_map(std::string(VELD_MAPS_DIR) + "/e1m1.map", 4);
  if (tiled.empty()) {
    state.SkipWithError("the tiling could not be made");
    return;
  }
  load(state, tiled);
}

const bool registered = [] {
  for (const char* name : MAPS) {
    const std::string path = std::string(VELD_MAPS_DIR) + "/" + name;
    benchmark::RegisterBenchmark((std::string("Load/") + name).c_str(), load, path)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("Load/e1m1_4x4.map", load_tiling)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("ReadOnly/e1m1.map", read_only, std::string(VELD_MAPS_DIR) + "/e1m1.map")
      ->Unit(benchmark::kMillisecond);
  for (const char* name : MAPS) {
    const std::string path = std::string(VELD_MAPS_DIR) + "/" + name;
    benchmark::RegisterBenchmark((std::string("Save/") + name).c_str(), save, path)
        ->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
