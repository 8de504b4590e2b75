// veld-tool info MAP: what the editor's reader makes of a map.
#include <cstdio>
#include <string>
#include <vector>

#include "mapio/map_reader.h"
#include "model/map_state.h"
#include "tool/load_summary.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

int info_main(const std::vector<std::string>& args) {
  if (!paths_only("info", args, 1)) return EXIT_USAGE;
  const char* path = args[0].c_str();
  const load_report report = read_map(args[0]);
  if (!report.ok()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return 1;
  }

  int brushes = 0, faces = 0, unbuilt = 0;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      ++brushes;
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
        ++faces;
        if (s->numpoints < 3) ++unbuilt;
      }
    }
  }
  static const char* const dialects[] = {"QUAKE standard", "Valve 220", "QUAKE 2", "Hexen 2"};
  std::printf("dialect: %s\n", dialects[map_dialect]);
  std::printf("brush entities: %d\n", report.brush_entities);
  std::printf("brushes: %d\n", brushes);
  std::printf("faces: %d\n", faces);
  std::printf("point entities: %d\n", numentity);
  std::printf("faces with fewer than 3 points: %d\n", unbuilt);
  std::printf("obsolete pairs: %d\n", report.obsolete_pairs);
  std::printf("malformed numbers: %d\n", report.malformed_numbers);
  std::printf("read completely: %s\n", report.complete ? "yes" : "no");
  print_problems(stdout, path, report);
  release_map();
  return report.complete ? 0 : 1;
}
