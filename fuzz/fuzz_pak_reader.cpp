// The PAK reader on arbitrary bytes. A PAK parses or is refused; each entry
// it lists reads exactly its size in bytes, or fails with a reason.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "textures/pak_file.h"
#include "textures/palette.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pak_file pak;
  if (!pak.parse(std::string_view(reinterpret_cast<const char*>(data), size)).empty()) return 0;
  for (const pak_entry& e : pak.entries()) {
    std::string bytes;
    const std::string error = pak.read(e.name, bytes);
    const pak_entry* found = pak.find(e.name);
    require(found != nullptr);
    if (!error.empty()) continue;
    require(bytes.size() == found->size);
    require(static_cast<std::uint64_t>(found->offset) + found->size <= size);
    // What a game folder's palette would be read from.
    palette p;
    require(palette_from_bytes(bytes, p).empty() == (bytes.size() == PALETTE_BYTES));
  }
  return 0;
}
