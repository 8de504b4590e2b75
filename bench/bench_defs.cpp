// Reading entity definitions: an FGD of about 5,000 lines, made here, read
// and resolved.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "defs/entity_defs.h"

namespace {

// Base classes, then point and solid classes that use them, each with keys
// of every kind: about 5,000 lines.
std::string made_fgd() {
  std::string text = "// made for the benchmark\n";
  for (int b = 0; b < 20; ++b) {
    text += "@BaseClass size(-16 -16 -24, 16 16 32) color(200 100 " + std::to_string(b) + ") = Base" +
            std::to_string(b) + "\n[\n  target(target_destination) : \"Target\" : : \"What it fires\"\n]\n";
  }
  for (int c = 0; std::count(text.begin(), text.end(), '\n') < 5000; ++c) {
    const bool solid = c % 3 == 0;
    text += std::string(solid ? "@SolidClass" : "@PointClass") + " base(Base" + std::to_string(c % 20) +
            ") = class_" + std::to_string(c) + " : \"Class number " + std::to_string(c) + "\"\n[\n";
    text += "  speed(integer) : \"Speed\" : 100 : \"How fast it moves, in units a second\"\n";
    text += "  wait(float) : \"Wait\" : 0.5\n";
    text += "  message(string) : \"Message\" : \"hello\"\n";
    text +=
        "  style(choices) : \"Style\" : 0 =\n  [\n    0 : \"Normal\"\n    1 : \"Flicker\"\n    2 : "
        "\"Pulse\"\n  ]\n";
    text +=
        "  spawnflags(flags) =\n  [\n    1 : \"Start off\" : 0\n    2 : \"Silent\" : 0\n    4 : \"Once\" : "
        "1\n  ]\n";
    text += "]\n";
  }
  return text;
}

void BM_ReadFgd(benchmark::State& state) {
  const std::string text = made_fgd();
  int lines = 0;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  for (auto _ : state) {
    entity_defs defs;
    read_fgd(text, "made.fgd", defs);
    resolve_bases(defs);
    benchmark::DoNotOptimize(defs.classes.data());
  }
  state.counters["lines"] = lines;
}
BENCHMARK(BM_ReadFgd)->Unit(benchmark::kMillisecond);

}  // namespace
