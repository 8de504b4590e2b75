#include "map_cases.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "mapio/map_reader.h"
#include "model/map_state.h"
#include "tiled_map.h"

namespace fs = std::filesystem;

namespace {

struct scratch_folder {
  fs::path path;
  bool keep = false;
  scratch_folder() {
    const char* named = std::getenv("VELD_BENCH_DIR");
    keep = named != nullptr && named[0] != '\0';
    path = keep ? fs::path(named) : fs::temp_directory_path() / ("veld-bench-" + std::to_string(::getpid()));
    fs::create_directories(path);
  }
  ~scratch_folder() {
    std::error_code ignored;
    if (!keep) fs::remove_all(path, ignored);
  }
};

}  // namespace

std::string map_path(const std::string& name) { return std::string(VELD_MAPS_DIR) + "/" + name; }

std::vector<std::string> original_maps() {
  std::vector<std::string> maps;
  for (const auto& entry : fs::directory_iterator(VELD_MAPS_DIR)) {
    if (entry.path().extension() == ".map") maps.push_back(entry.path().string());
  }
  std::sort(maps.begin(), maps.end());
  return maps;
}

std::string twelve_thousand_faces() { return tiled_map(map_path("dm1.map"), 2); }

fs::path scratch_dir() {
  static const scratch_folder folder;
  return folder.path;
}

double time_loads(benchmark::State& state, const std::string& path) {
  using clock = std::chrono::steady_clock;
  clock::duration spent{};
  for (auto _ : state) {
    const clock::time_point start = clock::now();
    const load_report r = read_map(path);
    spent += clock::now() - start;
    if (!r.ok() || !r.complete) {
      state.SkipWithError(r.ok() ? "the map was not read to its end" : r.error.c_str());
      break;
    }
    state.PauseTiming();
    release_map();
    state.ResumeTiming();
  }
  release_map();
  if (state.iterations() == 0) return 0;
  std::error_code ignored;
  const std::uintmax_t size = fs::file_size(path, ignored);
  if (size != static_cast<std::uintmax_t>(-1)) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
  }
  return std::chrono::duration<double>(spent).count() / static_cast<double>(state.iterations());
}
