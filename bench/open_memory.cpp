// bench_open_memory MAP: the resident memory of a process that opens MAP as
// the editor does (the read, then the undo history's first snapshot) and does
// nothing else: no Qt, no frames, no earlier map. It prints what the process
// held before, its peak after the read and its peak once the map is open, in
// MB of 10^6 bytes. One map a run, so that each peak is that map's own.
#include <cstdio>

#include "mapio/map_reader.h"
#include "model/map_history.h"
#include "process_memory.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_open_memory MAP\n");
    return 2;
  }
  constexpr double MB = 1e6;
  const double before = status_bytes("VmRSS");
  const load_report report = read_map(argv[1]);
  if (!report.ok()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return 1;
  }
  const double read = status_bytes("VmHWM");
  history_reset();
  const double opened = status_bytes("VmHWM");
  std::printf("before: %.1f MB\nread: %.1f MB\nopened: %.1f MB (%.1f MB over before)\n", before / MB,
              read / MB, opened / MB, (opened - before) / MB);
  return 0;
}
