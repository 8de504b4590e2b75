// Cutting a convex view-space polygon by a plane, as the frustum clip and the
// display BSP both do it: a point within on_plane of the plane goes to both
// sides, and an edge running clear across adds the point where it crosses to
// both. The two differ in how they measure (float or double dot products), how
// parallel an edge may be before it is no longer cut, and how much their lists
// hold, so those come in as parameters; the pictures depend on every bit of
// that arithmetic.
#pragma once

#include <cmath>

#include "model/types.h"

// Measure is how one caller measures against its plane (a point P on it and
// its normal N):
//   m.distance(A)  signed distance of A, (A - P) . N
//   m.edge(A, B)   B - A
//   m.toward(A)    (P - A) . N
//   m.along(e)     N . e
// Side is a point list with bool add(const vertex_t&), false when it is full.
//
// dist[i] must be m.distance(pts[i]). Points with a distance above -on_plane
// go to positive, those below on_plane to negative, in polygon order with the
// crossings in between. A crossing lies toward(A) / along(edge) of the way
// along the edge, or at A itself when |along| is at most parallel. Returns
// false, the lists part-filled, as soon as a list is full.
//
// With Even set, a crossing is worked out from the lesser end of its edge (by
// x, then y, then z) instead of from A, so two polygons that share an edge,
// running along it in opposite directions, get the very same point: pieces
// of one surface cut apart elsewhere then meet without a crack.
template <bool Even = false, class Measure, class Tolerance, class Side>
bool clip_polygon(const vertex_t* pts, const float* dist, int count, const Measure& m, float on_plane,
                  Tolerance parallel, Side& negative, Side& positive) {
  for (int i = 0; i < count; ++i) {
    const int j = (i + 1) % count;
    const vertex_t& A = pts[i];
    const float a = dist[i];
    const float b = dist[j];
    if (a > -on_plane && !positive.add(A)) return false;
    if (a < on_plane && !negative.add(A)) return false;
    if ((a < -on_plane && b > on_plane) || (a > on_plane && b < -on_plane)) {
      const vertex_t& B = pts[j];
      const bool from_b = Even && (B.x < A.x || (B.x == A.x && (B.y < A.y || (B.y == A.y && B.z < A.z))));
      const vertex_t& F = from_b ? B : A;
      const vertex_t e = m.edge(F, from_b ? A : B);
      const float q = m.toward(F);
      const float r = m.along(e);
      const float t = std::fabs(r) <= parallel ? 0.0f : q / r;
      const vertex_t X{F.x + e.x * t, F.y + e.y * t, F.z + e.z * t};
      if (!positive.add(X) || !negative.add(X)) return false;
    }
  }
  return true;
}
