// The reader of QUAKED blocks on arbitrary text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "def_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  entity_defs defs;
  read_def(std::string_view(reinterpret_cast<const char*>(data), size), "/nonexistent/fuzz.def", defs);
  check_defs(defs, size);
  return 0;
}
