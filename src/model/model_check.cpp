#include "model/model_check.h"

#include <set>

#include "model/map_state.h"

namespace {

std::string check_faces(const brush_t* b, std::set<const surf*>& faces) {
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (s->brush != b) return "a face does not point back at its brush";
    if (s->numpoints < 0 || s->numpoints > MAX_POINTS) return "a face has a point count out of range";
    if (!faces.insert(s).second) return "a face is reachable twice";
  }
  return {};
}

}  // namespace

std::string check_model() {
  if (numentity < 0 || numentity > MAX_ENTITIES) return "numentity is out of range";
  std::set<const brush_t*> brushes;
  std::set<const surf*> faces;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (b->entity != -1) return "a brush of a brush entity has an entity index";
      if (b->hull != h) return "a brush does not point at the entity that lists it";
      if (!brushes.insert(b).second) return "a brush is reachable twice";
      if (auto e = check_faces(b, faces); !e.empty()) return e;
    }
  }
  for (int i = 0; i < numentity; ++i) {
    const brush_t* b = entities[i].brush;
    if (b == nullptr) continue;
    if (b->hull != nullptr) return "a marker brush belongs to a brush entity";
    if (b->entity != i) return "a marker brush has the wrong entity index";
    if (!brushes.insert(b).second) return "a marker brush is also listed elsewhere";
    if (auto e = check_faces(b, faces); !e.empty()) return e;
  }

  std::set<const brush_t*> selected;
  const brushlist* n = blist;
  if (n == nullptr) return "the selection list has no head node";
  for (; n->brush != nullptr; n = n->next) {
    if (brushes.count(n->brush) == 0) return "the selection holds a brush that is not in the map";
    if (!selected.insert(n->brush).second) return "a brush is selected twice";
    if (n->next == nullptr) return "the selection list has no terminating node";
  }
  if (n != cbrushlist) return "cbrushlist is not the terminating node of the selection";
  if (hibr != nullptr && brushes.count(hibr) == 0) return "the current brush is not in the map";
  if (hilight != nullptr && faces.count(hilight) == 0) return "the highlighted face is not in the map";
  return {};
}
