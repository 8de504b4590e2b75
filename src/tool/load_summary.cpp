#include "tool/load_summary.h"

void print_problems(std::FILE* to, const char* path, const load_report& report) {
  for (const load_problem& p : report.problems) std::fprintf(to, "%s:%d: %s\n", path, p.line, p.text.c_str());
  if (report.unlisted_problems > 0)
    std::fprintf(to, "%s: %d more problem(s)\n", path, report.unlisted_problems);
}
