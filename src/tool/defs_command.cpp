// veld-tool defs FILE...: reads entity definition files (FGD, or QuakeC and
// .def files with QUAKED blocks) and prints the classes and the problems.
// Exits 0 without problems, 1 with some, 2 when a file cannot be read.
#include <cstdio>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "defs/entity_defs.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

const char* kind_name(class_kind k) {
  switch (k) {
    case class_kind::base:
      return "base";
    case class_kind::point:
      return "point";
    default:
      return "solid";
  }
}

// One line for a class: kind, name, the box where it has one, and the first
// line of its description.
std::string class_line(const entity_class& c) {
  std::string line = std::string(kind_name(c.kind)) + " " + c.name;
  if (c.sized) {
    for (const float* corner : {c.mins, c.maxs}) {
      for (int i = 0; i < 3; ++i) {
        line += ' ';
        append_shortest(line, corner[i]);
      }
    }
  }
  const std::string first = c.description.substr(0, c.description.find_first_of("\r\n"));
  if (!first.empty()) line += " \"" + first + "\"";
  return line;
}

}  // namespace

int defs_main(const std::vector<std::string>& args) {
  if (args.empty() || !paths_only("defs", args, args.size())) return EXIT_USAGE;
  entity_defs defs;
  for (const std::string& path : args) {
    const std::string error = read_definition_file(path, defs);
    if (!error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
  }
  const int defined = defs.count();
  resolve_bases(defs);
  std::printf("classes: %d\n", defined);
  for (const entity_class& c : defs.classes) std::printf("%s\n", class_line(c).c_str());
  for (const def_problem& p : defs.problems)
    std::printf("%s:%d:%d: %s\n", p.file.c_str(), p.line, p.column, p.text.c_str());
  if (defs.unlisted_problems > 0) std::printf("... and %d more problems\n", defs.unlisted_problems);
  return defs.problems.empty() ? 0 : 1;
}
