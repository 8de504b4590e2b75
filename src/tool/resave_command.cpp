// veld-tool resave IN OUT: read with the editor's reader, write with its writer.
#include <cstdio>
#include <string>
#include <vector>

#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"
#include "tool/load_summary.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

int resave_main(const std::vector<std::string>& args) {
  if (!paths_only("resave", args, 2)) return EXIT_USAGE;
  if (!read_whole_map(args[0], args[1])) return 1;
  const std::string error = write_map(args[1]);
  release_map();
  if (!error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
