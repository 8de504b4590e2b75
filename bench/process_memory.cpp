#include "process_memory.h"

#include <cstring>
#include <fstream>
#include <string>

double status_bytes(const char* name) {
  std::ifstream in("/proc/self/status");
  const std::size_t length = std::strlen(name);
  for (std::string line; std::getline(in, line);) {
    if (line.compare(0, length, name) == 0 && line.size() > length && line[length] == ':') {
      return static_cast<double>(std::stoull(line.substr(length + 1))) * 1024;
    }
  }
  return 0;
}
