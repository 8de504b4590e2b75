#include "tool/load_summary.h"

#include "model/map_state.h"

void print_problems(std::FILE* to, const char* path, const load_report& report) {
  for (const load_problem& p : report.problems) std::fprintf(to, "%s:%d: %s\n", path, p.line, p.text.c_str());
  if (report.unlisted_problems > 0)
    std::fprintf(to, "%s: %d more problem(s)\n", path, report.unlisted_problems);
}

bool read_whole_map(const std::string& path, const std::string& out) {
  const load_report report = read_map(path);
  if (!report.ok()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return false;
  }
  print_problems(stderr, path.c_str(), report);
  if (!report.complete) {
    std::fprintf(stderr, "%s was not read completely; %s was not written\n", path.c_str(), out.c_str());
    release_map();
    return false;
  }
  return true;
}
