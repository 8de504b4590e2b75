// veld-tool diff A B: what differs between two maps by meaning, one line each.
// Exits 0 when they are the same, 1 when they differ, 2 when either could not
// be read whole (or the arguments are wrong).
#include <cstdio>
#include <string>
#include <vector>

#include "mapio/map_compare.h"
#include "mapio/map_reader.h"
#include "model/map_state.h"
#include "tool/load_summary.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

bool record_map(const std::string& path, map_record& out) {
  const load_report report = read_map(path);
  if (!report.ok()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return false;
  }
  print_problems(stderr, path.c_str(), report);
  const bool whole = report.complete;
  if (whole) {
    out = record_model();
  } else {
    std::fprintf(stderr, "%s was not read completely, so it cannot be compared\n", path.c_str());
  }
  release_map();
  return whole;
}

}  // namespace

int diff_main(const std::vector<std::string>& args) {
  if (!paths_only("diff", args, 2)) return EXIT_USAGE;
  map_record a, b;
  if (!record_map(args[0], a) || !record_map(args[1], b)) return 2;
  const std::vector<std::string> differences = compare_maps(a, b);
  for (const std::string& line : differences) std::printf("%s\n", line.c_str());
  return differences.empty() ? 0 : 1;
}
