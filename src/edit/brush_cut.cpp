#include "edit/brush_cut.h"

#include <algorithm>
#include <utility>

#include "model/face_fields.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/vector_math.h"

namespace {

bool listed_in_entity(const brush_t* b) {
  if (b == nullptr || b->hull == nullptr) return false;
  for (const brush_t* x = b->hull->brush; x != nullptr; x = x->next) {
    if (x == b) return true;
  }
  return false;
}

// A face of a piece: the given polygon on the plane of `from`, with its
// texture. Its display colour stays 0; only caps get a colour of their own.
surf* piece_face(const surf* from, const vertex_t* points, int count) {
  auto* s = new surf;
  // The plane is unchanged, so the points it was read with still describe it.
  copy_face_fields(*s, *from);
  std::copy_n(points, count, s->point.room(count));
  s->numpoints = static_cast<signed char>(count);
  s->vis = 1;
  s->norm = from->norm;
  s->dist = from->dist;
  return s;
}

// One piece while it is being gathered.
struct piece {
  surf* head = nullptr;
  surf** link = &head;
  surf* last = nullptr;
  int count = 0;

  void take(surf* s) {
    *link = s;
    link = &s->next;
    last = s;
    ++count;
  }
  void discard() {
    free_faces(head);
    head = nullptr;
  }
};

// The face in the cutting plane that closes a piece. `reversed` turns it to
// face the front piece; its texture comes from the piece's last face.
void add_cap(piece& pc, const surf* p, bool reversed) {
  surf* cap = piece_face(pc.last, p->point.data(), 3);
  cap->norm = p->norm;
  cap->dist = p->dist;
  cap->hasfilepoints = p->hasfilepoints;
  for (int i = 0; i < 3; ++i) cap->filepoint[i] = p->filepoint[i];
  if (reversed) {
    std::swap(cap->point[0], cap->point[2]);
    std::swap(cap->filepoint[0], cap->filepoint[2]);
    cap->norm = vertex_t{-p->norm.x, -p->norm.y, -p->norm.z};
    cap->dist = -p->dist;
  }
  cap->clr = random_colour();
  pc.take(cap);
}

// Which sides of p's plane a face reaches beyond the tolerance: the front
// (away from p's brush) or the back. Neither means it lies in the plane.
struct sides {
  bool front = false;
  bool back = false;
};

sides classify(const surf* p, const surf* s) {
  sides out;
  for (int i = 0; i < s->numpoints; ++i) {
    vertex_t rel;
    _VectorSubtract(&s->point[i], &p->point[0], &rel);
    const double d = _DotProduct(&rel, &p->norm);
    if (d <= -ON_PLANE_EPSILON) out.front = true;
    if (d > ON_PLANE_EPSILON) out.back = true;
  }
  return out;
}

// Whether the face, by the order of its points, faces the way p does.
bool faces_same_way(const surf* p, const surf* s) {
  vertex_t e1, e2, n;
  _VectorSubtract(&s->point[1], &s->point[0], &e1);
  _VectorSubtract(&s->point[2], &s->point[0], &e2);
  CrossProduct(&e1, &e2, &n);
  return _DotProduct(&n, &p->norm) > 0;
}

brush_t* make_brush(const brush_t* cut, piece& pc) {
  auto* nb = new brush_t(*cut);
  nb->fsurf = pc.head;
  nb->numsurfaces = static_cast<short>(pc.count);
  for (surf* s = nb->fsurf; s != nullptr; s = s->next) s->brush = nb;
  nb->next = cut->hull->brush;
  cut->hull->brush = nb;
  fixbrush(nb);
  return nb;
}

}  // namespace

bool split_brush(const surf* p, brush_t* brush, brush_t** f, brush_t** b) {
  *f = nullptr;
  *b = nullptr;
  if (p == nullptr || !listed_in_entity(brush)) return false;
  fixbrush(brush);

  piece front, back;
  for (const surf* s = brush->fsurf; s != nullptr; s = s->next) {
    // Fewer than three points: the plane bounds nothing of this brush (a
    // redundant plane), so neither piece needs it.
    if (s->numpoints < 3) continue;
    const sides where = classify(p, s);
    if (where.front && where.back) {
      surf fpart, bpart;
      fpart.numpoints = bpart.numpoints = -1;  // left so when the cut gives up
      create_surf_from_base(p, s, &fpart, &bpart);
      // A side may come out with fewer than three points (a vertex on the
      // plane goes to the back list only) or the cut may need more corners
      // than a face holds. The plane still bounds that piece, so it keeps the
      // whole face and rebuilding trims it.
      front.take(fpart.numpoints >= 3 ? piece_face(s, fpart.point.data(), fpart.numpoints)
                                      : piece_face(s, s->point.data(), s->numpoints));
      back.take(bpart.numpoints >= 3 ? piece_face(s, bpart.point.data(), bpart.numpoints)
                                     : piece_face(s, s->point.data(), s->numpoints));
    } else if (where.front) {
      front.take(piece_face(s, s->point.data(), s->numpoints));
    } else if (where.back) {
      back.take(piece_face(s, s->point.data(), s->numpoints));
    } else if (faces_same_way(p, s)) {
      back.take(piece_face(s, s->point.data(), s->numpoints));  // in the plane, facing the back
    } else {
      front.take(piece_face(s, s->point.data(), s->numpoints));  // in the plane, facing the front
    }
  }

  const bool capped = front.count >= 3 && back.count >= 3;
  if (front.count >= 3) {
    if (capped) add_cap(front, p, true);
    *f = make_brush(brush, front);
  } else {
    front.discard();
  }
  if (back.count >= 3) {
    if (capped) add_cap(back, p, false);
    *b = make_brush(brush, back);
  } else {
    back.discard();
  }
  delete_brush(brush);
  return true;
}

bool subtract_brush(brush_t* b1, const brush_t* b2) {
  if (b2 == nullptr || b1 == b2 || !listed_in_entity(b1)) return false;
  brush_t* rest = b1;
  for (const surf* s = b2->fsurf; s != nullptr && rest != nullptr; s = s->next) {
    brush_t* outside = nullptr;
    brush_t* inside = nullptr;
    split_brush(s, rest, &outside, &inside);
    rest = inside;
  }
  if (rest != nullptr) delete_brush(rest);
  return true;
}

bool delete_brush(brush_t* b) {
  if (!listed_in_entity(b)) return false;
  remove_brush_from_list(b);
  free_brush(b);
  return true;
}
