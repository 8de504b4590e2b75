#include "platform/system_status.h"

#include <ctime>
#include <fstream>
#include <string>

unsigned long memory_load_percent() {
  std::ifstream in("/proc/meminfo");
  unsigned long long total = 0, available = 0;
  std::string name, unit;
  unsigned long long value = 0;
  while (in >> name >> value >> unit) {
    if (name == "MemTotal:") total = value;
    if (name == "MemAvailable:") available = value;
  }
  if (total == 0 || available > total) return 0;
  return static_cast<unsigned long>((total - available) * 100 / total);
}

long time_seconds() { return static_cast<long>(std::time(nullptr)); }
