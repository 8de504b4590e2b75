// The pixels of one-pixel lines on the integer grid: the steps behind
// outline_polygon and draw_segment, handed to a callback so that the tests
// can watch every pixel put down.
//
// Point (x, y) is the centre of pixel (x, y). A segment from a to b is
// stepped along its longer axis u (x when |dx| >= |dy|, else y), one pixel at
// each integer u from a's to b's. The other coordinate v is the ideal line's
// at that u, rounded to the nearest integer with halves going up (to the
// larger coordinate). The division is exact, in integers, and depends on the
// segment only, not on the way it is stepped: a -> b and b -> a give the same
// pixels. So every pixel's centre is within half a pixel of the segment
// along v (and so in the Chebyshev distance), there is one pixel per step
// along u, and the line is 8-connected.
//
// An outline is the segments pts[i] -> pts[i + 1], the last one back to
// pts[0]. Each puts down its pixels from its start point up to, not
// including, its end point, where the next segment starts. So a corner is put
// down once, by the segment leaving it, and the outline is closed. A segment
// of no length (a point repeated) puts down nothing, nor does an outline whose
// points all coincide. Two segments still meet away from their shared corner
// where the outline crosses itself or the sides of a sharp corner run within
// half a pixel of each other; such a pixel is put down by each of them (a
// coverage mask writes it once).
//
// Clipping is exact. Before stepping, the range of steps whose pixels lie in
// the image is worked out from the same rounding, in integers wide enough for
// any int coordinates; only those steps are visited. The pixels inside the
// image are those that stepping the whole segment would give, and nothing
// outside is ever visited.
#pragma once

#include <QPoint>
#include <algorithm>
#include <cstdlib>
#include <utility>

namespace line_steps {

// Holds the product of two coordinate differences, which int64 cannot.
__extension__ typedef __int128 wide_int;

// Up to this size, coordinates and image sides keep every product below in
// 64 bits; beyond it the clipping works in wide_int.
constexpr long long NARROW_LIMIT = 1LL << 28;

// floor(a / b) for b > 0.
template <class T>
T floor_div(T a, T b) {
  const T q = a / b;
  return a % b != 0 && a < 0 ? q - 1 : q;
}

// Narrows the steps klo .. khi to those whose v, v0 + floor((2 k dv + du) /
// (2 du)), lies in 0 .. vlimit. dv is not 0.
template <class T>
void clip_minor(long long v0, long long du, long long dv, long long vlimit, long long& klo, long long& khi) {
  // 0 <= v <= vlimit  <=>  c <= 2 k dv < d
  const T c = static_cast<T>(du) * (-2 * static_cast<T>(v0) - 1);
  const T d = static_cast<T>(du) * (2 * (static_cast<T>(vlimit) - v0) + 1);
  const T a = 2 * static_cast<T>(dv);
  T lo, hi;
  if (a > 0) {
    lo = -floor_div<T>(-c, a);      // ceil(c / a)
    hi = -floor_div<T>(-d, a) - 1;  // ceil(d / a) - 1
  } else {
    lo = floor_div<T>(-d, -a) + 1;
    hi = floor_div<T>(-c, -a);
  }
  if (lo > static_cast<T>(klo)) klo = lo > static_cast<T>(khi) ? khi + 1 : static_cast<long long>(lo);
  if (hi < static_cast<T>(khi)) khi = hi < static_cast<T>(klo) ? klo - 1 : static_cast<long long>(hi);
}

// v at step k as v0 + q with remainder r: 2 k dv + du = q (2 du) + r,
// 0 <= r < 2 du.
template <class T>
void state_at(long long k, long long du, long long dv, long long& q, long long& r) {
  const T num = 2 * static_cast<T>(k) * dv + du;
  const T two_du = 2 * static_cast<T>(du);
  const T fq = floor_div<T>(num, two_du);
  q = static_cast<long long>(fq);
  r = static_cast<long long>(num - fq * two_du);
}

enum class ends { start_only, both };

// The pixels of segment a - b inside a width x height image, in order from the
// end with the smaller u. With ends::start_only, b's own pixel is left out.
template <class Plot>
void step_segment(int width, int height, QPoint a, QPoint b, ends e, Plot&& plot) {
  if (width <= 0 || height <= 0) return;
  const long long dx = static_cast<long long>(b.x()) - a.x();
  const long long dy = static_cast<long long>(b.y()) - a.y();
  if (dx == 0 && dy == 0) {
    if (e == ends::both && a.x() >= 0 && a.y() >= 0 && a.x() < width && a.y() < height) plot(a.x(), a.y());
    return;
  }
  const bool steep = std::abs(dy) > std::abs(dx);
  const long long ulimit = (steep ? height : width) - 1LL;
  const long long vlimit = (steep ? width : height) - 1LL;
  long long au = steep ? a.y() : a.x(), av = steep ? a.x() : a.y();
  long long bu = steep ? b.y() : b.x(), bv = steep ? b.x() : b.y();
  if (std::max(au, bu) < 0 || std::min(au, bu) > ulimit || std::max(av, bv) < 0 ||
      std::min(av, bv) > vlimit) {
    return;
  }
  // From here on the segment runs from (au, av) to larger u; b's pixel is
  // step 0 when that swapped the ends.
  const bool swapped = bu < au;
  if (swapped) {
    std::swap(au, bu);
    std::swap(av, bv);
  }
  const long long du = bu - au, dv = bv - av;
  long long klo = e == ends::start_only && swapped ? 1 : 0;
  long long khi = e == ends::start_only && !swapped ? du - 1 : du;
  klo = std::max(klo, -au);
  khi = std::min(khi, ulimit - au);
  const bool narrow =
      std::max({std::abs(au), std::abs(bu), std::abs(av), std::abs(bv), ulimit, vlimit}) <= NARROW_LIMIT;
  // With both ends' v inside, every v between is too.
  if (dv != 0 && (std::min(av, bv) < 0 || std::max(av, bv) > vlimit)) {
    if (narrow) {
      clip_minor<long long>(av, du, dv, vlimit, klo, khi);
    } else {
      clip_minor<wide_int>(av, du, dv, vlimit, klo, khi);
    }
  }
  if (klo > khi) return;

  // v at the first step klo is av + q, with 2 klo dv + du = q (2 du) + r and
  // 0 <= r < 2 du: at step 0, q = 0 and r = du; step 1 is one step on from
  // there; later steps are worked out directly.
  const long long two_du = 2 * du, two_dv = 2 * dv;
  long long q = 0, r = du;
  if (klo == 1) {
    r += two_dv;
    if (r >= two_du) {
      r -= two_du;
      q = 1;
    } else if (r < 0) {
      r += two_du;
      q = -1;
    }
  } else if (klo > 1) {
    if (narrow) {
      state_at<long long>(klo, du, dv, q, r);
    } else {
      state_at<wide_int>(klo, du, dv, q, r);
    }
  }
  // Everything visited is inside the image, so it fits in int.
  const int first = static_cast<int>(au + klo), last = static_cast<int>(au + khi);
  const int v = static_cast<int>(av + q);
  const auto run = [&](auto put) {
    int w = v;
    long long rest = r;
    if (two_dv >= 0) {
      for (int u = first; u <= last; ++u) {
        put(u, w);
        rest += two_dv;
        if (rest >= two_du) {
          rest -= two_du;
          ++w;
        }
      }
    } else {
      for (int u = first; u <= last; ++u) {
        put(u, w);
        rest += two_dv;
        if (rest < 0) {
          rest += two_du;
          --w;
        }
      }
    }
  };
  if (steep) {
    run([&plot](int u, int w) { plot(w, u); });
  } else {
    run([&plot](int u, int w) { plot(u, w); });
  }
}

// The closed outline of pts[0 .. n - 1] inside a width x height image.
template <class Plot>
void step_outline(int width, int height, const QPoint* pts, int n, Plot&& plot) {
  if (n < 2) return;
  for (int i = 0; i < n; ++i)
    step_segment(width, height, pts[i], pts[i + 1 < n ? i + 1 : 0], ends::start_only, plot);
}

}  // namespace line_steps
