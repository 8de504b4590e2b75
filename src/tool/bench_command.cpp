// veld-tool bench MAP: how long the editor's own code takes to open MAP, write
// it out as text and draw the 3D view's frames, each timed several times.
#include <sys/resource.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "model/view_options.h"
#include "platform/system_status.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"
#include "tool/load_summary.h"
#include "tool/offscreen_app.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

constexpr int DEFAULT_RUNS = 11;
constexpr int MAX_RUNS = 100000;

// A whole number of runs from 1 to MAX_RUNS, digits only.
bool runs_value(const std::string& text, int* out) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > MAX_RUNS) return false;
  *out = value;
  return true;
}

// Milliseconds f takes.
template <typename F>
double time_ms(F&& f) {
  using clock = std::chrono::steady_clock;
  const clock::time_point start = clock::now();
  f();
  return std::chrono::duration<double, std::milli>(clock::now() - start).count();
}

std::string ms_text(double ms) {
  std::string text;
  append_fixed(text, ms, 2);
  return text;
}

// "NAME: median ms (min fastest, max slowest, N runs)".
void print_figure(const char* name, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const std::size_t n = ms.size();
  const double median = n % 2 == 1 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
  const std::string line = std::string(name) + ": " + ms_text(median) + " ms (min " + ms_text(ms.front()) +
                           ", max " + ms_text(ms.back()) + ", " + std::to_string(n) +
                           (n == 1 ? " run)\n" : " runs)\n");
  std::fputs(line.c_str(), stdout);
}

// The most memory the process has held resident so far, in MB of 10^6 bytes.
long peak_resident_mb() {
  rusage usage{};
  if (::getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  return static_cast<long>(static_cast<double>(usage.ru_maxrss) * 1024 / 1e6 + 0.5);  // ru_maxrss is in KiB
}

}  // namespace

int bench_main(const std::vector<std::string>& args) {
  std::vector<std::string> paths;
  int runs = DEFAULT_RUNS;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& opt = args[i];
    if (!is_option(opt)) {
      paths.push_back(opt);
    } else if (opt == "--runs") {
      if (i + 1 >= args.size() || !runs_value(args[i + 1], &runs)) {
        std::fprintf(stderr, "veld-tool bench: --runs needs a whole number from 1 to %d", MAX_RUNS);
        if (i + 1 < args.size()) std::fprintf(stderr, ", not \"%s\"", args[i + 1].c_str());
        std::fprintf(stderr, "\n");
        return EXIT_USAGE;
      }
      ++i;
    } else {
      std::fprintf(stderr, "veld-tool bench: unknown option \"%s\"\n", opt.c_str());
      return EXIT_USAGE;
    }
  }
  if (paths.size() != 1) return EXIT_USAGE;
  const std::string& map = paths[0];

  const std::unique_ptr<QGuiApplication> app = start_qt();
  // A first read, untimed, to report what the reader met and to bring the
  // file into the system's cache.
  const load_report first = read_map(map);
  if (!first.ok()) {
    std::fprintf(stderr, "%s\n", first.error.c_str());
    return 1;
  }
  print_problems(stderr, map.c_str(), first);

  std::vector<double> open_ms, snapshot_ms, text_ms;
  for (int run = 0; run < runs; ++run) {
    // Each open starts from an empty editor: no map and no history.
    release_map();
    history_reset();
    load_report report;
    open_ms.push_back(time_ms([&] { report = read_map(map); }));
    if (!report.ok()) {
      std::fprintf(stderr, "%s\n", report.error.c_str());
      return 1;
    }
    snapshot_ms.push_back(time_ms([] { history_reset(); }));
    std::string text;  // let go after the timing
    text_ms.push_back(time_ms([&] { text = map_text(); }));
  }

  // What the open map and its undo history hold, before any frame's drawing
  // state adds to it.
  const long opened_mb = peak_resident_mb();

  // The camera where opening a map puts it, as in the editor.
  origin = vertex_t{0, OPENED_CAMERA_Y, 0};
  struct frame_kind {
    const char* name;
    int solid, bsp;
  };
  constexpr frame_kind kinds[] = {
      {"frame wireframe", 0, 0}, {"frame solid", 1, 0}, {"frame ordered solid", 1, 1}};
  std::vector<double> frame_ms[3];
  {
    TDrawCanvas canvas;
    canvas.memory_status = memory_load_percent;
    canvas.candraw = 1;
    for (int k = 0; k < 3; ++k) {
      options.allsolid = kinds[k].solid;
      options.drawbsp = kinds[k].bsp;
      canvas.EvDraw();  // the first frame of a kind grows the fragment pool
      for (int run = 0; run < runs; ++run) frame_ms[k].push_back(time_ms([&] { canvas.EvDraw(); }));
    }
  }

  print_figure("open", open_ms);
  print_figure("undo snapshot", snapshot_ms);
  print_figure("save to text", text_ms);
  for (int k = 0; k < 3; ++k) print_figure(kinds[k].name, frame_ms[k]);
  std::printf("peak resident memory, opened: %ld MB\n", opened_mb);
  std::printf("peak resident memory: %ld MB\n", peak_resident_mb());
  release_map();
  history_reset();
  return 0;
}
