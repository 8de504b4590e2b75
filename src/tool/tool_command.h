// One sub-command of veld-tool: its name, the arguments it takes, a line of
// help, what its options do, and the function that runs it with the arguments
// after the name.
#pragma once

#include <string>
#include <vector>

struct tool_command {
  const char* name;
  const char* usage;  // the arguments, e.g. "IN OUT"
  const char* help;
  const char* options;  // one option a line, for COMMAND --help; empty when it has none
  int (*run)(const std::vector<std::string>& args);
};

// Exit status for wrong arguments; the dispatcher then prints the usage.
constexpr int EXIT_USAGE = 2;
