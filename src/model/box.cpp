#include "model/box.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"
#include "model/view_options.h"

namespace {

// Corner picks of the six faces, in list order; each row gives p0, p1, p2 as
// (x, y, z) signs. The order makes every normal point into the box.
constexpr int FACE_CORNERS[6][3][3] = {
    {{-1, -1, -1}, {+1, -1, -1}, {+1, +1, -1}},  // bottom, +z
    {{-1, -1, +1}, {+1, -1, +1}, {+1, -1, -1}},  // y- side, +y
    {{-1, +1, +1}, {-1, -1, +1}, {-1, -1, -1}},  // x- side, +x
    {{+1, +1, +1}, {-1, +1, +1}, {-1, +1, -1}},  // y+ side, -y
    {{+1, +1, +1}, {+1, +1, -1}, {+1, -1, -1}},  // x+ side, -x
    {{+1, +1, +1}, {+1, -1, +1}, {-1, -1, +1}},  // top, -z
};

// The corners of each face's polygon, in list order, as fixbrush leaves
// them on a box, as the signs of the half sizes along x, y and z.
constexpr int SIDE_CORNERS[6][4][3] = {
    {{-1, -1, -1}, {+1, -1, -1}, {+1, +1, -1}, {-1, +1, -1}},
    {{+1, -1, +1}, {+1, -1, -1}, {-1, -1, -1}, {-1, -1, +1}},
    {{-1, -1, +1}, {-1, -1, -1}, {-1, +1, -1}, {-1, +1, +1}},
    {{-1, +1, +1}, {-1, +1, -1}, {+1, +1, -1}, {+1, +1, +1}},
    {{+1, +1, +1}, {+1, +1, -1}, {+1, -1, -1}, {+1, -1, +1}},
    {{+1, -1, +1}, {-1, -1, +1}, {-1, +1, +1}, {+1, +1, +1}},
};

// Where fixbrush computes a box's corners exactly: every coordinate a whole
// number of eighths, well inside the square it starts each face from, and
// every side at least a unit long. Each crossing it computes then comes out
// as the corner itself once stored as a float.
bool corners_come_out_exact(const vertex_t& lo, const vertex_t& hi) {
  constexpr float REACH = BASE_HALF_SIZE - 192.0f;
  for (int i = 0; i < 3; ++i) {
    for (const float c : {lo[i], hi[i]}) {
      if (!(std::fabs(c) <= REACH) || c * 8.0f != std::trunc(c * 8.0f)) return false;
    }
    if (!(hi[i] - lo[i] >= 1.0f)) return false;
  }
  return true;
}

}  // namespace

void rebuild_box(brush_t* b) {
  const surf* last = b->fsurf;
  while (last->next != nullptr) last = last->next;
  const vertex_t lo = b->fsurf->point[0], hi = last->point[0];
  if (options.fixb == 0 || !corners_come_out_exact(lo, hi)) {
    fixbrush(b);
    return;
  }
  int side = 0;
  for (surf* s = b->fsurf; s != nullptr; s = s->next, ++side) {
    makenormal(s, vertex_t{});
    for (int i = 0; i < 4; ++i) {
      for (int k = 0; k < 3; ++k) s->point[i][k] = SIDE_CORNERS[side][i][k] < 0 ? lo[k] : hi[k];
    }
    s->numpoints = 4;
  }
}

brush_t* new_box(const vertex_t* o, short length, short width, short height, const std::string& texture,
                 bool built) {
  const float half[3] = {width * 0.5f, length * 0.5f, height * 0.5f};
  const float centre[3] = {o->x, o->y, o->z};
  auto* b = new brush_t;
  b->numsurfaces = 6;
  surf** tail = &b->fsurf;
  for (const auto& corners : FACE_CORNERS) {
    auto* s = new surf;
    s->texname = texture;
    s->brush = b;
    s->numpoints = 3;
    for (int p = 0; p < 3; ++p) {
      s->point[p].x = centre[0] + static_cast<float>(corners[p][0]) * half[0];
      s->point[p].y = centre[1] + static_cast<float>(corners[p][1]) * half[1];
      s->point[p].z = centre[2] + static_cast<float>(corners[p][2]) * half[2];
    }
    s->scale[0] = s->scale[1] = 1.0f;
    s->vis = 1;
    s->clr = random_colour();
    *tail = s;
    tail = &s->next;
  }
  if (built) rebuild_box(b);
  b->vis = 1;
  b->valid = 1;
  return b;
}

std::unordered_map<std::string, marker_shape> marker_shapes;

brush_t* new_marker(std::string_view classname, const vertex_t& o, bool built) {
  std::string key(classname);
  for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto found = marker_shapes.find(key);
  if (found == marker_shapes.end())
    return new_box(&o, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, DEFAULT_TEXTURE, built);
  const marker_shape& m = found->second;
  const auto side = [](float lo, float hi) {
    return static_cast<short>(std::clamp(std::lround(hi - lo), 1L, 32767L));
  };
  const vertex_t centre{o.x + (m.mins.x + m.maxs.x) / 2, o.y + (m.mins.y + m.maxs.y) / 2,
                        o.z + (m.mins.z + m.maxs.z) / 2};
  brush_t* b = new_box(&centre, side(m.mins.y, m.maxs.y), side(m.mins.x, m.maxs.x), side(m.mins.z, m.maxs.z),
                       DEFAULT_TEXTURE, built);
  if (m.coloured) {
    for (surf* s = b->fsurf; s != nullptr; s = s->next) s->clr = m.colour;
  }
  return b;
}

void reshape_markers() {
  for (int i = 0; i < numentity; ++i) {
    dentity_t& e = entities[i];
    if (e.brush == nullptr) continue;
    std::string classname;
    for (const keyval* kv = e.header; kv != nullptr; kv = kv->next) {
      if (kv->key != nullptr && std::string_view(kv->key) == "classname" && kv->value != nullptr)
        classname = kv->value;
    }
    brush_t* fresh = new_marker(classname, e.origin);
    // The faces go: nothing may point into them.
    if (hilight != nullptr && hilight->brush == e.brush) hilight = nullptr;
    if (thi != nullptr && thi->brush == e.brush) thi = nullptr;
    std::swap(e.brush->fsurf, fresh->fsurf);
    std::swap(e.brush->numsurfaces, fresh->numsurfaces);
    for (surf* s = e.brush->fsurf; s != nullptr; s = s->next) s->brush = e.brush;
    free_brush(fresh);
  }
}
