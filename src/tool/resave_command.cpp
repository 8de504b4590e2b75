// veld-tool resave [--keep-layout] IN OUT: read with the editor's reader, write
// with its writer, keeping the file's own text where nothing changed when asked.
#include <cstdio>
#include <string>
#include <vector>

#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "mapio/source_layout.h"
#include "model/map_state.h"
#include "tool/load_summary.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

int resave_main(const std::vector<std::string>& options) {
  std::vector<std::string> args = options;
  keep_file_layout = take_flag(args, "--keep-layout") ? 1 : 0;
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
