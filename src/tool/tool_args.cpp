#include "tool/tool_args.h"

#include <cstdio>

bool is_option(std::string_view arg) { return arg.size() > 1 && arg[0] == '-'; }

bool is_help(std::string_view arg) { return arg == "--help" || arg == "-h"; }

bool paths_only(const char* command, const std::vector<std::string>& args, std::size_t count) {
  for (const std::string& arg : args) {
    if (is_option(arg)) {
      std::fprintf(stderr, "veld-tool %s: unknown option \"%s\"\n", command, arg.c_str());
      return false;
    }
  }
  return args.size() == count;
}
