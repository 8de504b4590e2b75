// The map reader on arbitrary text. Whatever it reads must leave a sound
// model and, saved keeping the file's layout, give the text back byte for
// byte; what the writer makes of a map that was read whole must read back
// whole and mean the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "mapio/map_compare.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "mapio/source_layout.h"
#include "model/map_state.h"
#include "model/model_check.h"

namespace {

int written_brush_entities() {
  int n = 0;
  for (const hull_t* h = hull; h != nullptr; h = h->next) n += hull_is_written(h) ? 1 : 0;
  return n;
}

int written_point_entities() {
  int n = 0;
  for (int i = 0; i < numentity; ++i) n += entities[i].valid != 0 ? 1 : 0;
  return n;
}

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  reset_model();
  const load_report first = read_map_text(std::string_view(reinterpret_cast<const char*>(data), size));
  require(check_model().empty());
  if (first.ok()) {
    // Nothing changed, so a save that keeps the file's text gives it back.
    require(map_text_keeping_layout() == std::string_view(reinterpret_cast<const char*>(data), size));
    const int brush_entities = written_brush_entities();
    const int point_entities = written_point_entities();
    const map_record before = record_model();
    const std::string text = map_text();
    const load_report again = read_map_text(text);
    require(again.ok());
    require(check_model().empty());
    // What was read whole (anything else was reported) comes back whole.
    if (first.complete) {
      // Malformed numbers come back only from origin pairs that brush
      // entities keep as text.
      require(again.complete && again.obsolete_pairs == 0 &&
              again.malformed_numbers <= first.malformed_numbers);
      require(again.brush_entities == brush_entities && numentity == point_entities);
      require(compare_maps(before, record_model()).empty());
    }
  }
  reset_model();
  return 0;
}
