// veld-tool info MAP [--game DIR]: what the editor's reader makes of a map,
// and with a game folder, which of its textures cannot be shown.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "mapio/map_reader.h"
#include "model/map_state.h"
#include "textures/byte_fields.h"
#include "textures/texture_set.h"
#include "tool/load_summary.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

// Every problem of loading the textures the map's faces name, as the editor
// would meet them: the palette, the WADs, then each texture by name.
void print_texture_problems(const std::string& game_dir, const std::string& map_path) {
  texture_set set;
  set.load_palette(game_dir);
  set.open_wads(world_value("wad"), game_dir, std::filesystem::path(map_path).parent_path().string());
  std::vector<std::string> names;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) names.push_back(s->texname);
    }
  }
  std::stable_sort(names.begin(), names.end(),
                   [](const std::string& a, const std::string& b) { return lower_name(a) < lower_name(b); });
  names.erase(std::unique(names.begin(), names.end(), same_name), names.end());
  for (const std::string& name : names) set.texture(name);
  for (const std::string& problem : set.problems()) std::printf("%s\n", problem.c_str());
}

}  // namespace

int info_main(const std::vector<std::string>& args) {
  std::vector<std::string> paths;
  const std::string* game_dir = nullptr;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!is_option(args[i])) {
      paths.push_back(args[i]);
    } else if (args[i] == "--game" && i + 1 < args.size()) {
      game_dir = &args[++i];
    } else {
      std::fprintf(stderr,
                   args[i] == "--game" ? "veld-tool info: %s needs a folder\n"
                                       : "veld-tool info: unknown option \"%s\"\n",
                   args[i].c_str());
      return EXIT_USAGE;
    }
  }
  if (paths.size() != 1) return EXIT_USAGE;
  const char* path = paths[0].c_str();
  const load_report report = read_map(paths[0]);
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
  std::printf("dialect: %s\n", DIALECT_NAMES[map_dialect]);
  std::printf("brush entities: %d\n", report.brush_entities);
  std::printf("brushes: %d\n", brushes);
  std::printf("faces: %d\n", faces);
  std::printf("point entities: %d\n", numentity);
  std::printf("faces with fewer than 3 points: %d\n", unbuilt);
  std::printf("obsolete pairs: %d\n", report.obsolete_pairs);
  std::printf("malformed numbers: %d\n", report.malformed_numbers);
  std::printf("read completely: %s\n", report.complete ? "yes" : "no");
  print_problems(stdout, path, report);
  if (game_dir != nullptr) print_texture_problems(*game_dir, paths[0]);
  release_map();
  return report.complete ? 0 : 1;
}
