#include "render/display_bsp.h"

#include <algorithm>
#include <cmath>

#include "model/vector_math.h"
#include "render/clip_polygon.h"
#include "render/projection.h"
#include "render/winding_pool.h"

namespace {

// A convex polygon cut by a plane has at most one new point per edge, and a
// point near the plane goes to both sides, so a side never exceeds this.
constexpr int SPLIT_LIST_MAX = 2 * MAX_POINTS;

// Plain coordinates, so the lists on the stack cost nothing to set up.
struct split_point {
  float x, y, z;
};

// Never full: a side gets at most every point and one crossing per edge.
struct split_list {
  split_point p[SPLIT_LIST_MAX];
  int n = 0;

  bool add(const vertex_t& v) {
    p[n++] = {v.x, v.y, v.z};
    return true;
  }
  vertex_t at(int i) const { return {p[i].x, p[i].y, p[i].z}; }
};

void store_points(winding* w, const split_list& side) {
  for (int i = 0; i < side.n; ++i) w->world[i] = side.at(i);
  w->numworld = static_cast<signed char>(side.n);
}

void store_points(winding* w, const vertex_t* p, int n) {
  for (int i = 0; i < n; ++i) w->world[i] = p[i];
  w->numworld = static_cast<signed char>(n);
}

// What every fragment of a face carries over from the face.
struct face_fields {
  colour_t clr;
  vertex_t norm;
  surf* original;

  explicit face_fields(const winding* w) : clr(w->clr), norm(w->norm), original(w->original) {}
  void give(winding* w) const {
    w->clr = clr;
    w->norm = norm;
    w->original = original;
  }
};

// Stores one side of a split. `first` receives the side when it fits; a longer
// side is cut into a fan of pieces around its first point, the first piece in
// `first` and the others from the pool, chained through next. Returns first.
winding* store_side(const split_list& side, winding* first, const face_fields& face) {
  if (side.n <= MAX_POINTS) {
    store_points(first, side);
    first->next = nullptr;
    return first;
  }
  winding* piece = first;
  winding* last = nullptr;
  vertex_t fan[MAX_POINTS];
  fan[0] = side.at(0);
  for (int start = 1; start < side.n - 1;) {
    const int end = std::min(start + MAX_POINTS - 2, side.n - 1);
    int n = 1;
    for (int i = start; i <= end; ++i) fan[n++] = side.at(i);
    if (piece != first) face.give(piece);
    store_points(piece, fan, n);
    piece->next = nullptr;
    if (last != nullptr) last->next = piece;
    last = piece;
    start = end;
    if (start < side.n - 1) piece = getnextwinding();
  }
  return first;
}

}  // namespace

namespace {

// Distance of the eye (the view-space origin) from a node's plane, along the
// face's normal: above 0 the node is seen from behind.
float eye_distance(const winding* node) {
  const vertex_t& W = node->world[0];
  const vertex_t& N = node->norm;
  return -W.x * N.x + -W.y * N.y + -W.z * N.z;
}

// A fragment's own plane: its first point and the unit normal from its first
// three points. Differences are taken in double and stored as float, dot
// products are taken in double and used as float.
struct split_plane {
  vertex_t P, N;
  // Which side of the node is drawn after the node: the back one when the eye
  // sees the node's back. A fragment lying in the node's plane goes there.
  bool coplanar_to_back;

  float distance(const vertex_t& A) const {
    vertex_t rel;
    _VectorSubtract(&A, &P, &rel);
    return static_cast<float>(_DotProduct(&rel, &N));
  }
  vertex_t edge(const vertex_t& A, const vertex_t& B) const {
    vertex_t e;
    _VectorSubtract(&B, &A, &e);
    return e;
  }
  float toward(const vertex_t& A) const {
    vertex_t toP;
    _VectorSubtract(&P, &A, &toP);
    return static_cast<float>(_DotProduct(&toP, &N));
  }
  float along(const vertex_t& e) const { return static_cast<float>(_DotProduct(&N, &e)); }
};

split_plane plane_of(const winding* w) {
  split_plane pl{w->world[0], {}, eye_distance(w) > 0};
  vertex_t e1, e2;
  _VectorSubtract(&w->world[1], &w->world[0], &e1);
  _VectorSubtract(&w->world[2], &w->world[0], &e2);
  crossproduct(&e1, &e2, &pl.N);
  return pl;
}

void split_by(const split_plane& pl, winding* surface, winding** f, winding** b) {
  const int count = std::clamp(static_cast<int>(surface->numworld), 0, MAX_POINTS);
  float dist[MAX_POINTS];
  int in_front = 0, behind = 0;
  for (int i = 0; i < count; ++i) {
    dist[i] = pl.distance(surface->world[i]);
    in_front += dist[i] < -CLIP_ON_PLANE ? 1 : 0;
    behind += dist[i] > CLIP_ON_PLANE ? 1 : 0;
  }
  // A fragment lying in the plane would come out of the cut whole on both
  // sides. Only the copy drawn later could ever show: the earlier one is
  // painted over by the same polygon. So it goes, whole, to the side drawn
  // after the other.
  const int on_plane = count - in_front - behind;
  if (count >= 3 && count == surface->numworld && on_plane == count) {
    surface->next = nullptr;
    (pl.coplanar_to_back ? *b : *f) = surface;
    return;
  }
  // Nothing on one side and too little on the plane to make a part there: the
  // fragment passes whole to the other side, as it is. (Cutting it would give
  // the same points back.)
  if (count >= 3 && (on_plane == 0 || count == surface->numworld) && on_plane < 3 &&
      (in_front == 0 || behind == 0)) {
    surface->next = nullptr;
    (behind == 0 ? *f : *b) = surface;
    return;
  }

  split_list front, back;
  clip_polygon(surface->world, dist, count, pl, CLIP_ON_PLANE, SPLIT_PARALLEL, front, back);

  // Keep the face's fields before surface's points are replaced by the front.
  const face_fields face(surface);
  const bool has_front = front.n >= 3;
  if (has_front) *f = store_side(front, surface, face);
  if (back.n >= 3) {
    winding* part = has_front ? getnextwinding() : surface;
    face.give(part);
    *b = store_side(back, part, face);
  }
}

}  // namespace

void split_surf(const winding* plane, winding* surface, winding** f, winding** b) {
  split_by(plane_of(plane), surface, f, b);
}

namespace {

// Asks for w's points and link to be brought into the cache while the
// fragment before it is cut: the lists are walked once per node, and a
// fragment that waits on memory costs more than the cut.
void prefetch(const winding* w) {
  const auto* bytes = reinterpret_cast<const char*>(w);
  for (std::size_t at = 0; at < sizeof(winding); at += 64) __builtin_prefetch(bytes + at);
}

// Appends a part (one fragment, or a chain of fan pieces) to a child list.
void append_part(winding* part, winding*& head, winding*& tail) {
  while (part != nullptr) {
    winding* following = part->next;
    part->next = nullptr;
    part->front = nullptr;
    part->back = nullptr;
    if (tail == nullptr) {
      head = part;
    } else {
      tail->next = part;
    }
    tail = part;
    part = following;
  }
}

}  // namespace

// Nodes are built in the order a depth-first recursion would take (node, its
// front subtree, its back subtree), which decides which fragments the pool
// still has room for near its limit.
void display_bsp::build(winding* list) {
  if (list == nullptr) return;
  build_stack.clear();
  build_stack.push_back(list);
  while (!build_stack.empty()) {
    winding* node = build_stack.back();
    build_stack.pop_back();
    node->front = nullptr;
    node->back = nullptr;
    if (node->next == nullptr) continue;  // a leaf: no plane needed
    winding* front_tail = nullptr;
    winding* back_tail = nullptr;
    const split_plane plane = plane_of(node);
    for (winding* s = node->next; s != nullptr;) {
      winding* following = s->next;
      if (following != nullptr) prefetch(following);
      winding* f = nullptr;
      winding* b = nullptr;
      split_by(plane, s, &f, &b);
      append_part(f, node->front, front_tail);
      append_part(b, node->back, back_tail);
      s = following;
    }
    if (node->back != nullptr) build_stack.push_back(node->back);
    if (node->front != nullptr) build_stack.push_back(node->front);
  }
}

const std::vector<winding*>& display_bsp::back_to_front(winding* root) {
  order.clear();
  if (root == nullptr) return order;
  walk_stack.clear();
  walk_stack.push_back({root, false});
  while (!walk_stack.empty()) {
    const walk_step step = walk_stack.back();
    walk_stack.pop_back();
    winding* node = step.w;
    if (step.draw) {
      order.push_back(node);
      continue;
    }
    // Pushed in reverse of the order they are handled.
    if (eye_distance(node) > 0) {
      if (node->back != nullptr) walk_stack.push_back({node->back, false});
      if (node->front != nullptr) walk_stack.push_back({node->front, false});
    } else {
      if (node->front != nullptr) walk_stack.push_back({node->front, false});
      walk_stack.push_back({node, true});
      if (node->back != nullptr) walk_stack.push_back({node->back, false});
    }
  }
  return order;
}
