#include "render/raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr int MAX_EDGES = 64;  // points of a polygon beyond this many are ignored

// One non-horizontal polygon edge as the fill walks down its rows.
struct fill_edge {
  int top, bottom;  // rows top .. bottom - 1, already clipped to the image
  long long x;      // crossing at the current row, 16.16
  long long slope;  // change of x per row, 16.16
};

// Coordinates are held to this range so the fixed-point sums below cannot
// overflow; a polygon reaching further is already far outside the image.
constexpr int COORD_LIMIT = 1 << 21;
inline int held(int v) { return std::clamp(v, -COORD_LIMIT, COORD_LIMIT); }

inline std::uint32_t opaque(QRgb c) { return 0xff000000u | c; }

// Where the pixels of one polygon go: straight into the image, or through a
// coverage mask that lets only not-yet-drawn pixels through. Callers pass
// only pixels inside the image.
struct direct_sink {
  const raster_target& t;
  std::uint32_t c;

  void span(int y, int x0, int x1) const {
    std::uint32_t* row = t.bits + static_cast<std::ptrdiff_t>(y) * t.stride;
    std::fill(row + x0, row + x1 + 1, c);
  }
  void plot(int x, int y) const { t.bits[static_cast<std::ptrdiff_t>(y) * t.stride + x] = c; }
};

struct masked_sink {
  const raster_target& t;
  coverage_mask& m;
  std::uint32_t c;

  void span(int y, int x0, int x1) const {
    std::uint32_t* row = t.bits + static_cast<std::ptrdiff_t>(y) * t.stride;
    std::uint64_t* cover = m.row(y);
    for (int w = x0 >> 6; w <= x1 >> 6; ++w) {
      const int lo = std::max(x0, w * 64) - w * 64;
      const int hi = std::min(x1, w * 64 + 63) - w * 64;
      const std::uint64_t want = (~0ULL >> (63 - hi)) & (~0ULL << lo);
      std::uint64_t open = want & ~cover[w];
      if (open == 0) continue;
      cover[w] |= open;
      // Runs of open pixels; a wholly open word is one run.
      while (open != 0) {
        const int a = std::countr_zero(open);
        const int len = std::countr_one(open >> a);
        std::fill(row + w * 64 + a, row + w * 64 + a + len, c);
        if (a + len >= 64) break;
        open &= ~0ULL << (a + len);
      }
    }
  }
  void plot(int x, int y) const {
    std::uint64_t& word = m.row(y)[x >> 6];
    const std::uint64_t bit = 1ULL << (x & 63);
    if ((word & bit) != 0) return;
    word |= bit;
    t.bits[static_cast<std::ptrdiff_t>(y) * t.stride + x] = c;
  }
};

// Outlines are stepped one pixel at a time along each segment's longer axis
// (its "major" axis u; the other coordinate is v, kept in 16.16 fixed point
// and sampled half a step ahead when it grows). Within a connected outline a
// segment covers the half-open range from its lower to its higher major
// coordinate, and the joints are settled as the painter we replace settles
// them: a pixel where the outline doubles back on the same axis is added,
// a repeated pixel is skipped, and a gap of more than one pixel, or a
// diagonal step between two nearly axis-aligned segments, is closed by one
// more step. That keeps outlines one pixel thin and closed, and the same
// pixels as before.
enum step_dir { NO_DIR = 0, DOWN = 1, UP = 2, RIGHT = 4, LEFT = 8 };
constexpr int VERTICAL = DOWN | UP;
constexpr int HORIZONTAL = RIGHT | LEFT;
constexpr int CAP_BEGIN = 1, CAP_END = 2;
constexpr long long NO_PIXEL = std::numeric_limits<long long>::min();

struct pixel {
  long long x = NO_PIXEL, y = NO_PIXEL;
};

// What one outline remembers from its previous segment.
struct outline_state {
  pixel last;
  int dir = NO_DIR;
  bool aligned = false;
};

// One segment in stepping terms.
struct stepping {
  bool steep;    // u is y
  bool swapped;  // stepped from b back to a
  int dir;
  long long u1, u2;  // major coordinates of the ends in 1/64 pixel, u1 < u2
  long long v;       // minor coordinate at u1 in 16.16
  long long inc;     // minor change per major step in 16.16
};

// Clips a segment to the image plus a one-pixel margin (two on the far
// sides), in floating point so huge coordinates cannot overflow the fixed
// point that follows. False when nothing is left. end_cut tells that b was
// moved, which cuts the segment off from the next one.
bool clip_segment(const raster_target& t, double& x1, double& y1, double& x2, double& y2, bool& end_cut) {
  end_cut = false;
  const double lo[2] = {-1.0, -1.0};
  const double hi[2] = {t.width + 1.0, t.height + 1.0};
  double* p1[2] = {&x1, &y1};
  double* p2[2] = {&x2, &y2};
  for (int axis = 0; axis < 2; ++axis) {
    const int other = 1 - axis;
    double& a = *p1[axis];
    double& b = *p2[axis];
    double& oa = *p1[other];
    double& ob = *p2[other];
    for (const double edge : {lo[axis], hi[axis]}) {
      const bool low = edge == lo[axis];
      if (low ? a < edge : a > edge) {
        if (low ? b <= edge : b >= edge) return false;
        oa += (ob - oa) / (b - a) * (edge - a);
        a = edge;
      }
      if (low ? b < edge : b > edge) {
        end_cut = true;
        ob += (ob - oa) / (b - a) * (edge - b);
        b = edge;
      }
    }
  }
  return true;
}

// In 26.6 fixed point, truncated toward zero, like the painter we replace.
inline long long fixed26(double v) { return static_cast<long long>(v * 64.0); }

bool make_stepping(double x1, double y1, double x2, double y2, stepping& s) {
  const long long ax = fixed26(x1), ay = fixed26(y1), bx = fixed26(x2), by = fixed26(y2);
  s.steep = std::abs(bx - ax) < std::abs(by - ay);
  long long u0 = s.steep ? ay : ax, v0 = s.steep ? ax : ay;
  long long u1 = s.steep ? by : bx, v1 = s.steep ? bx : by;
  if (u0 == u1) return false;  // no length along either axis
  s.swapped = u0 > u1;
  if (s.swapped) {
    std::swap(u0, u1);
    std::swap(v0, v1);
  }
  s.dir = s.steep ? (s.swapped ? UP : DOWN) : (s.swapped ? LEFT : RIGHT);
  s.inc = ((v1 - v0) * 65536) / (u1 - u0);  // truncated, as fixed-point division is
  s.u1 = u0;
  s.u2 = u1;
  s.v = v0 * 1024;
  return true;
}

pixel at(const stepping& s, long long u, long long v) {
  return s.steep ? pixel{v >> 16, u} : pixel{u, v >> 16};
}

long long major_of(const stepping& s, const pixel& p) { return s.steep ? p.y : p.x; }

// First and last pixel of the steps [u, ue) in drawing order.
void ends(const stepping& s, long long u, long long ue, long long v, pixel& first, pixel& last) {
  first = at(s, u, v);
  last = at(s, ue - 1, v + (ue - u - 1) * s.inc);
  if (s.swapped) std::swap(first, last);
}

template <class Sink>
void stroke(const raster_target& t, outline_state& st, QPoint a, QPoint b, int caps, const Sink& out) {
  double x1 = a.x(), y1 = a.y(), x2 = b.x(), y2 = b.y();
  bool end_cut = false;
  if (!clip_segment(t, x1, y1, x2, y2, end_cut)) {
    st.last = pixel{};
    return;
  }
  if (end_cut) st.last = pixel{};
  stepping s;
  if (!make_stepping(x1, y1, x2, y2, s)) return;
  if (s.swapped) caps = ((caps & CAP_BEGIN) << 1) | ((caps & CAP_END) >> 1);
  // Doubling back along the same axis: the turning pixel belongs to this segment.
  if ((st.dir ^ (s.steep ? VERTICAL : HORIZONTAL)) == s.dir) caps |= s.swapped ? CAP_END : CAP_BEGIN;
  long long u1 = s.u1, u2 = s.u2, v = s.v;
  if ((caps & CAP_BEGIN) != 0) {
    u1 -= 32;
    v -= s.inc >> 1;
  }
  if ((caps & CAP_END) != 0) u2 += 32;
  long long u = (u1 + 32) >> 6;
  long long ue = (u2 + 32) >> 6;
  if ((caps & CAP_BEGIN) != 0 && major_of(s, st.last) == u + 1) ++u;
  if (u == ue) return;
  v += ((u * 64 + (s.inc > 0 ? 32 : 0) - u1) * s.inc) >> 6;

  pixel first, last;
  ends(s, u, ue, v, first, last);
  const bool aligned = std::abs(s.inc) < (1 << 14);
  if (st.last.x != NO_PIXEL) {
    const long long gx = std::abs(st.last.x - first.x), gy = std::abs(st.last.y - first.y);
    if (gx == 0 && gy == 0) {
      if (s.swapped) {
        --ue;
      } else {
        ++u;
        v += s.inc;
      }
    } else if (st.dir != s.dir && ((aligned && st.aligned && gx != 0 && gy != 0) || gx > 1 || gy > 1)) {
      if (s.swapped) {
        ++ue;
      } else {
        --u;
        v -= s.inc;
      }
    } else if (st.dir == s.dir && gx <= 1 && gy > 1) {
      v += s.inc >> 1;
      pixel f2, l2;
      ends(s, u, ue, v, f2, l2);
      last = l2;
    }
  }
  st.dir = s.dir;
  st.aligned = aligned;
  st.last = last;
  // A segment always puts down at least one pixel, even when its only
  // pixel was the previous segment's last (the step after it is taken).
  if (ue <= u) ue = u + 1;

  // Only the steps inside the image are visited.
  const long long ulimit = s.steep ? t.height - 1 : t.width - 1;
  const long long vlimit = s.steep ? t.width - 1 : t.height - 1;
  const long long from = std::max(u, 0LL);
  const long long to = std::min(ue - 1, ulimit);
  v += (from - u) * s.inc;
  for (long long k = from; k <= to; ++k, v += s.inc) {
    const long long p = v >> 16;  // floor, also for negative values
    if (p < 0 || p > vlimit) continue;
    out.plot(static_cast<int>(s.steep ? p : k), static_cast<int>(s.steep ? k : p));
  }
}

template <class Sink>
void outline_with(const raster_target& t, const QPoint* pts, int n, const Sink& out) {
  if (n < 2) return;
  // The outline starts as if its closing segment had just been drawn, so the
  // first joint is settled like every other.
  outline_state st;
  {
    double x1 = pts[n - 1].x(), y1 = pts[n - 1].y(), x2 = pts[0].x(), y2 = pts[0].y();
    bool end_cut = false;
    stepping s;
    if (clip_segment(t, x1, y1, x2, y2, end_cut) && make_stepping(x1, y1, x2, y2, s)) {
      const long long u = (s.u1 + 32) >> 6, ue = (s.u2 + 32) >> 6;
      const long long v = s.v + (((u * 64 + (s.inc > 0 ? 32 : 0) - s.u1) * s.inc) >> 6);
      pixel first;
      ends(s, u, ue, v, first, st.last);
      st.dir = s.dir;
      st.aligned = std::abs(s.inc) < (1 << 14);
    }
  }
  for (int i = 0; i < n; ++i) stroke(t, st, pts[i], pts[(i + 1) % n], 0, out);
}

template <class Sink>
void fill_with(const raster_target& t, const QPoint* pts, int n, const Sink& out) {
  if (n < 3 || t.width <= 0 || t.height <= 0) return;
  n = std::min(n, MAX_EDGES);
  // Row y is sampled along y + 0.5, so an edge from ay down to by (ay < by)
  // crosses rows ay .. by - 1; horizontal edges cross none. Each crossing is
  // kept in 16.16 fixed point, shifted right by half a pixel so that its
  // integer part is the first pixel whose centre lies beyond it. The slope
  // is truncated to 16 fractional bits as the painter we replace does, so
  // the two agree on the centres an edge passes exactly through.
  fill_edge edges[MAX_EDGES];
  int m = 0;
  int first = t.height, last = -1;
  for (int i = 0; i < n; ++i) {
    long long ax = held(pts[i].x()), ay = held(pts[i].y());
    long long bx = held(pts[(i + 1) % n].x()), by = held(pts[(i + 1) % n].y());
    if (ay == by) continue;
    if (ay > by) {
      std::swap(ax, bx);
      std::swap(ay, by);
    }
    fill_edge& e = edges[m];
    e.top = static_cast<int>(std::max(ay, 0LL));
    e.bottom = static_cast<int>(std::min(by, static_cast<long long>(t.height)));
    if (e.top >= e.bottom) continue;
    e.slope = static_cast<long long>(static_cast<double>(bx - ax) / static_cast<double>(by - ay) * 65536.0);
    e.x = ax * 65536 + 32768 + ((e.slope * (2 * (e.top - ay) + 1)) >> 1);
    first = std::min(first, e.top);
    last = std::max(last, e.bottom - 1);
    ++m;
  }
  long long cross[MAX_EDGES];
  for (int y = first; y <= last; ++y) {
    int k = 0;
    for (int i = 0; i < m; ++i) {
      fill_edge& e = edges[i];
      if (y < e.top || y >= e.bottom) continue;
      const long long x = e.x;
      e.x += e.slope;
      // Insertion sort: a convex fragment has two crossings, a face at most 16.
      int j = k++;
      while (j > 0 && cross[j - 1] > x) {
        cross[j] = cross[j - 1];
        --j;
      }
      cross[j] = x;
    }
    // Odd-even: pixels from each odd crossing up to, not including, the next.
    for (int j = 0; j + 1 < k; j += 2) {
      const long long l = std::max(cross[j] >> 16, 0LL);
      const long long r = std::min((cross[j + 1] >> 16) - 1, t.width - 1LL);
      if (l <= r) out.span(y, static_cast<int>(l), static_cast<int>(r));
    }
  }
}

}  // namespace

raster_target::raster_target(QImage& image)
    : bits(reinterpret_cast<std::uint32_t*>(image.bits())),
      stride(static_cast<int>(image.bytesPerLine() / 4)),
      width(image.width()),
      height(image.height()) {}

void put_pixel(const raster_target& t, int x, int y, QRgb colour) {
  if (x < 0 || y < 0 || x >= t.width || y >= t.height) return;
  t.bits[static_cast<std::ptrdiff_t>(y) * t.stride + x] = opaque(colour);
}

void draw_segment(const raster_target& t, QPoint a, QPoint b, QRgb colour) {
  if (a == b) {
    put_pixel(t, a.x(), a.y(), colour);
    return;
  }
  outline_state st;
  stroke(t, st, a, b, CAP_BEGIN | CAP_END, direct_sink{t, opaque(colour)});
}

void coverage_mask::reset(int width, int height) {
  words_per_row = (std::max(width, 0) + 63) / 64;
  bits.assign(static_cast<std::size_t>(words_per_row) * static_cast<std::size_t>(std::max(height, 0)), 0);
}

void fill_polygon(const raster_target& t, const QPoint* pts, int n, QRgb colour) {
  fill_with(t, pts, n, direct_sink{t, opaque(colour)});
}

void outline_polygon(const raster_target& t, const QPoint* pts, int n, QRgb colour) {
  outline_with(t, pts, n, direct_sink{t, opaque(colour)});
}

void fill_polygon(const raster_target& t, coverage_mask& m, const QPoint* pts, int n, QRgb colour) {
  fill_with(t, pts, n, masked_sink{t, m, opaque(colour)});
}

void outline_polygon(const raster_target& t, coverage_mask& m, const QPoint* pts, int n, QRgb colour) {
  outline_with(t, pts, n, masked_sink{t, m, opaque(colour)});
}
