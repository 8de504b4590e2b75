// veld-tool export-raw MAP OUT and save-object MAP OUT: the world entity's
// brushes written as the editor writes a selection of them, about their
// common centre.
#include <cstdio>
#include <string>
#include <vector>

#include "edit/transforms.h"
#include "mapio/map_reader.h"
#include "mapio/object_file.h"
#include "mapio/raw_export.h"
#include "model/map_state.h"
#include "tool/load_summary.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

int write_world(const char* command, const std::vector<std::string>& args,
                std::string (*write)(const std::string&, const vertex_t&)) {
  if (!paths_only(command, args, 2)) return EXIT_USAGE;
  if (!read_whole_map(args[0], args[1])) return 1;
  if (hull != nullptr) {
    for (brush_t* b = hull->brush; b != nullptr; b = b->next) insert_brush_in_list(b);
  }
  vertex_t centre;
  if (!find_group_center(&centre)) centre = vertex_t{};
  const std::string error = write(args[1], centre);
  release_map();
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

int export_raw_main(const std::vector<std::string>& args) {
  return write_world("export-raw", args, write_raw);
}
int save_object_main(const std::vector<std::string>& args) {
  return write_world("save-object", args, write_object);
}
