#include "edit/replace_texture.h"

#include <algorithm>
#include <cctype>
#include <functional>

#include "model/map_state.h"

namespace {

bool same_name(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

bool rename_face(surf* s, const std::string& from, const std::string& to) {
  if (!same_name(s->texname, from)) return false;
  s->texname = to;
  return true;
}

std::string lower(std::string name) {
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return name;
}

// Every face of the brush entities' brushes.
void for_each_face(const std::function<void(surf*)>& visit) {
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      for (surf* s = b->fsurf; s != nullptr; s = s->next) visit(s);
    }
  }
}

}  // namespace

bool texture_name_fits(const std::string& name) {
  return !name.empty() && name.find_first_of(" \t\r\n\"") == std::string::npos;
}

int replace_texture(const std::string& from, const std::string& to, bool selected_only) {
  int changed = 0;
  if (selected_only) {
    for (brush_t* b : selected_brushes()) {
      for (surf* s = b->fsurf; s != nullptr; s = s->next) changed += rename_face(s, from, to) ? 1 : 0;
    }
    return changed;
  }
  for_each_face([&](surf* s) { changed += rename_face(s, from, to) ? 1 : 0; });
  return changed;
}

std::vector<surf*> texture_targets() {
  if (!selected_faces.empty()) return selected_faces;
  std::vector<surf*> faces;
  for (brush_t* b : selected_brushes()) {
    if (b->entity != -1) continue;
    for (surf* s = b->fsurf; s != nullptr; s = s->next) faces.push_back(s);
  }
  return faces;
}

int apply_texture(const std::string& name) {
  int changed = 0;
  for (surf* s : texture_targets()) {
    if (s->texname == name) continue;
    s->texname = name;
    ++changed;
  }
  return changed;
}

std::set<std::string> textures_in_use() {
  std::set<std::string> names;
  for_each_face([&](const surf* s) { names.insert(lower(s->texname)); });
  return names;
}

int select_faces_using(const std::string& name) {
  unselectbrushes();
  unselect_faces();
  for_each_face([&](surf* s) {
    if (s->brush->hidden == 0 && same_name(s->texname, name)) selected_faces.push_back(s);
  });
  return static_cast<int>(selected_faces.size());
}
