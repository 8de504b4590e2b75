// The object reader on arbitrary text, merged into a map that already has a
// selected brush. The model must stay sound, no point may be other than a
// finite number, and what the writer makes of the merged selection must merge
// again whole.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "edit/box_brush.h"
#include "mapio/object_file.h"
#include "model/map_state.h"
#include "model/model_check.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

bool finite(const vertex_t& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

int selected_valid() {
  int n = 0;
  for (const brushlist* b = blist; b->brush != nullptr; b = b->next) n += b->brush->valid != 0 ? 1 : 0;
  return n;
}

void make_world_with_a_box() {
  auto* world = new hull_t;
  world->header = new_keyval("classname", "worldspawn");
  hull = world;
  const vertex_t at{0, 0, 0};
  insert_brush_in_list(new_brush(&at, 16, 16, 16, 0));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  reset_model();
  make_world_with_a_box();
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const object_report first = merge_object_text(text, vertex_t{8, 1000, -8});
  require(first.ok() && check_model().empty());
  // Every brush read is merged; only closed ones are selected.
  int brushes = 0;
  for (const brush_t* b = hull->brush; b != nullptr; b = b->next) {
    ++brushes;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      for (const vertex_t& p : s->filepoint) require(finite(p));
    }
  }
  require(brushes == first.brushes + 1);
  require(selected_valid() == first.brushes - first.unclosed_brushes);

  const int written = selected_valid();
  const std::string again_text = object_text(vertex_t{1.5f, -2.5f, 0});
  reset_model();
  make_world_with_a_box();
  const object_report again = merge_object_text(again_text, vertex_t{});
  require(again.ok() && again.complete && again.unclosed_brushes == 0 && again.brushes == written);
  require(check_model().empty());
  reset_model();
  return 0;
}
