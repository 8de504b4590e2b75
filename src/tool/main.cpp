// veld-tool: the editor's map code without a window, one sub-command per file.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tool/tool_args.h"
#include "tool/tool_command.h"

int info_main(const std::vector<std::string>& args);
int resave_main(const std::vector<std::string>& args);
int render_main(const std::vector<std::string>& args);
// The arguments and options of render, made from the view switches it takes.
const char* render_usage();
const char* render_options();
int export_raw_main(const std::vector<std::string>& args);
int save_object_main(const std::vector<std::string>& args);
int diff_main(const std::vector<std::string>& args);
int bench_main(const std::vector<std::string>& args);
int defs_main(const std::vector<std::string>& args);
int check_main(const std::vector<std::string>& args);

namespace {

const tool_command commands[] = {
    {"info", "MAP [--game DIR]", "read MAP and print its counts and every problem met",
     "  --game DIR       also print each problem of showing the map's textures with the palette\n"
     "                   and WADs of the game in DIR: a missing palette or WAD, a texture\n"
     "                   missing or damaged\n",
     info_main},
    {"resave", "IN OUT [--keep-layout]", "read IN and write it to OUT with the editor's writer",
     "  --keep-layout    keep IN's own text (comments, spacing, number spelling, order) wherever\n"
     "                   the map read from it is unchanged; unread parts go as they are\n",
     resave_main},
    {"render", render_usage(),
     "draw MAP as the 3D view shows it after opening (camera at 0 1000 0) into an 800 x 600 PNG",
     render_options(), render_main},
    {"export-raw", "MAP OUT",
     "write the faces of the world entity's brushes to OUT as raw triangles about their centre", "",
     export_raw_main},
    {"save-object", "MAP OUT", "write the world entity's brushes to OUT as an object file about their centre",
     "", save_object_main},
    {"diff", "A B [--text]",
     "compare two maps by meaning (entities, pairs, brushes by their planes, face fields); "
     "exit 0 when they are the same, 1 when they differ, 2 when either cannot be read whole",
     "  --text           compare the texts instead: print each run of lines that differs, as\n"
     "                   \"A lines 10-16, B lines 10-17: entity 0 (worldspawn), brush 2\", named by\n"
     "                   the entities and brushes it lies in; exit 0 when the texts are the same\n",
     diff_main},
    {"bench", "MAP [--runs N]",
     "time the editor's own code on MAP: opening it (the read, then the undo history's first snapshot), "
     "writing it as text, and drawing the wireframe, solid and ordered solid frames from the camera an "
     "opened map gets; print the median, fastest and slowest of each, and the peak resident memory",
     "  --runs N         times each is timed, 1 to 100000 (11)\n", bench_main},
    {"defs", "FILE...",
     "read entity definitions (.fgd, or QUAKED blocks in .def and QuakeC files) and print the count of "
     "classes defined, a line for each class with its box and description, and every problem with its "
     "file, line and column; exit 0 without problems, 1 with some, 2 when a file cannot be read",
     "", defs_main},
    {"check", "MAP [--defs FILE...]",
     "list, each with its line, what the map's entities get wrong: classes not defined, values their "
     "key's type refuses, targets no targetname matches, no info_player_start, point entities inside a "
     "world brush; exit 0 when nothing is listed, 1 when something is, 2 when a file cannot be read",
     "  --defs FILE...   the entity definitions to check against (.fgd, .def, QuakeC), instead of\n"
     "                   the base game's classes built into the editor\n",
     check_main},
};

void print_usage(std::FILE* to) {
  std::fprintf(to, "usage:\n");
  for (const tool_command& c : commands) {
    std::fprintf(to, "  veld-tool %s %s\n      %s\n", c.name, c.usage, c.help);
  }
  std::fprintf(to, "veld-tool COMMAND --help describes one command.\n");
}

void print_command_help(const tool_command& c) {
  std::printf("usage: veld-tool %s %s\n  %s\n", c.name, c.usage, c.help);
  if (c.options[0] != '\0') std::printf("options:\n%s", c.options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && is_help(argv[1])) {
    print_usage(stdout);
    return 0;
  }
  if (argc >= 2) {
    for (const tool_command& c : commands) {
      if (std::strcmp(argv[1], c.name) != 0) continue;
      const std::vector<std::string> args(argv + 2, argv + argc);
      for (const std::string& arg : args) {
        if (!is_help(arg)) continue;
        print_command_help(c);
        return 0;
      }
      const int status = c.run(args);
      if (status == EXIT_USAGE) std::fprintf(stderr, "usage: veld-tool %s %s\n", c.name, c.usage);
      return status;
    }
    std::fprintf(stderr, "veld-tool: unknown %s \"%s\"\n", is_option(argv[1]) ? "option" : "command",
                 argv[1]);
  }
  print_usage(stderr);
  return EXIT_USAGE;
}
