#include "edit/replace_texture.h"

#include <algorithm>
#include <cctype>

#include "model/map_state.h"

namespace {

bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

int rename_faces(brush_t* b, const std::string& from, const std::string& to) {
  int changed = 0;
  for (surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (!same_name(s->texname, from)) continue;
    s->texname = to;
    ++changed;
  }
  return changed;
}

}  // namespace

int replace_texture(const std::string& from, const std::string& to, bool selected_only) {
  int changed = 0;
  if (selected_only) {
    for (brush_t* b : selected_brushes()) changed += rename_faces(b, from, to);
    return changed;
  }
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) changed += rename_faces(b, from, to);
  }
  return changed;
}
