#include "map_cases.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>

#include "mapio/map_reader.h"
#include "model/map_history.h"
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

// Runs `open` once per iteration, timed by its own clock as well, then
// `close` outside the timing; `open` returns the reader's report. Returns the
// mean seconds of one open.
template <typename Open, typename Close>
double time_each(benchmark::State& state, const std::string& path, Open open, Close close) {
  using clock = std::chrono::steady_clock;
  clock::duration spent{};
  int unbuilt = -1;
  for (auto _ : state) {
    const clock::time_point start = clock::now();
    const load_report r = open();
    spent += clock::now() - start;
    if (!r.ok() || !r.complete) {
      state.SkipWithError(r.ok() ? "the map was not read to its end" : r.error.c_str());
      break;
    }
    state.PauseTiming();
    if (unbuilt < 0) unbuilt = unbuilt_faces();
    close();
    state.ResumeTiming();
  }
  close();
  if (unbuilt > 0) state.counters["unbuilt_faces"] = unbuilt;
  if (state.iterations() == 0) return 0;
  std::error_code ignored;
  const std::uintmax_t size = fs::file_size(path, ignored);
  if (size != static_cast<std::uintmax_t>(-1)) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
  }
  return std::chrono::duration<double>(spent).count() / static_cast<double>(state.iterations());
}

}  // namespace

std::string map_path(const std::string& name) { return std::string(VELD_MAPS_DIR) + "/" + name; }

std::vector<std::string> original_maps() {
  std::vector<std::string> maps;
  if (!fs::is_directory(VELD_MAPS_DIR)) return maps;
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

int unbuilt_faces() {
  int count = 0;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) count += s->numpoints < 3 ? 1 : 0;
    }
  }
  return count;
}

double time_loads(benchmark::State& state, const std::string& path) {
  return time_each(
      state, path, [&] { return read_map(path); }, [] { release_map(); });
}

double time_opens(benchmark::State& state, const std::string& path) {
  history_reset();
  return time_each(
      state, path,
      [&] {
        load_report r = read_map(path);
        if (r.ok()) history_reset();
        return r;
      },
      [] {
        release_map();
        history_reset();  // lets the snapshot go, so the next open does not pay for it
      });
}

bool load_for(benchmark::State& state, const std::string& path) {
  if (path.empty()) {
    state.SkipWithError("no map");
    return false;
  }
  const load_report report = read_map(path);
  if (!report.ok()) state.SkipWithError(report.error.c_str());
  return report.ok();
}
