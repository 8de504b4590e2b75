// The FGD reader on arbitrary text. Includes are looked for beside a file
// that is nowhere.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "def_fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  entity_defs defs;
  read_fgd(std::string_view(reinterpret_cast<const char*>(data), size), "/nonexistent/fuzz.fgd", defs);
  check_defs(defs, size);
  return 0;
}
