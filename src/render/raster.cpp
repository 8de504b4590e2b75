#include "render/raster.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

#include "render/line_steps.h"

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

// How a run of pixels x0 .. x1 of row y is painted: in one colour, or from a
// texture.
struct solid_run {
  std::uint32_t c;
  void operator()(std::uint32_t* row, int, int x0, int x1) const { std::fill(row + x0, row + x1 + 1, c); }
};

// A polygon's texture mapping, given or worked out when its first pixel is
// drawn: behind the nearer faces most fragments of a frame show no pixel.
class mapping_source {
 public:
  explicit mapping_source(const texture_mapping& ready) : ready_(&ready) {}
  explicit mapping_source(const std::function<texture_mapping()>& make) : make_(&make) {}
  const texture_mapping& get() {
    if (ready_ == nullptr) {
      made_ = (*make_)();
      ready_ = &made_;
    }
    return *ready_;
  }

 private:
  const texture_mapping* ready_ = nullptr;
  const std::function<texture_mapping()>* make_ = nullptr;
  texture_mapping made_;
};

// Texture coordinates are worked out exactly (a division) at the start of a
// run, every TEXTURE_STEP pixels along it and at its last pixel, and stepped
// linearly in between. Across so few pixels the perspective curve is close to
// its chord: a pixel lands at most a texel off the exact one, and the ends of
// every run are exact, so neighbouring runs and faces meet without seams.
constexpr int TEXTURE_STEP = 16;
// Coordinates beyond this many texels only come from a plane seen edge-on;
// they are held here so the fixed-point steps below cannot overflow.
constexpr double TEXEL_LIMIT = 1e12;

// floor(x) for |x| well inside the range of long long, without a call.
inline long long floor_to_int(double x) {
  const auto i = static_cast<long long>(x);
  return static_cast<double>(i) > x ? i - 1 : i;
}

struct textured_run {
  mapping_source& source;

  // Exact texel coordinates at the centre of pixel x of a row whose linear
  // values at x = 0 are s0, t0 and d0.
  static void exact(const texture_mapping& m, double s0, double t0, double d0, int x, double& u, double& v) {
    const double cx = x + 0.5;
    const double d = d0 + m.depth.dx * cx;
    // Where the plane turns edge-on the quotient runs away; any texel will do.
    const double inv = d != 0 ? 1 / d : 0;
    u = std::clamp((s0 + m.s.dx * cx) * inv, -TEXEL_LIMIT, TEXEL_LIMIT);
    v = std::clamp((t0 + m.t.dx * cx) * inv, -TEXEL_LIMIT, TEXEL_LIMIT);
    if (std::isnan(u)) u = 0;
    if (std::isnan(v)) v = 0;
  }

  void operator()(std::uint32_t* row, int y, int x0, int x1) const {
    const texture_mapping& m = source.get();
    const texture_image& tex = *m.texture;
    const double cy = y + 0.5;
    const double s0 = m.s.at + m.s.dy * cy, t0 = m.t.at + m.t.dy * cy, d0 = m.depth.at + m.depth.dy * cy;
    const unsigned shade = m.shade;
    const long long w = tex.width, h = tex.height;
    const bool wrap_by_mask = (w & (w - 1)) == 0 && (h & (h - 1)) == 0;
    const auto wrap = [wrap_by_mask](long long i, long long size) {
      return wrap_by_mask ? i & (size - 1) : ((i % size) + size) % size;
    };
    double u0, v0;
    exact(m, s0, t0, d0, x0, u0, v0);
    for (int xa = x0; xa <= x1;) {
      const int xb = std::min(xa + TEXTURE_STEP, x1);
      double u1 = u0, v1 = v0;
      if (xb > xa) exact(m, s0, t0, d0, xb, u1, v1);
      // In 16.16 fixed point; TEXEL_LIMIT keeps the sums below in 64 bits.
      const int steps = xb - xa;
      long long fu = floor_to_int(u0 * 65536);
      long long fv = floor_to_int(v0 * 65536);
      const long long du = steps > 0 ? static_cast<long long>((u1 - u0) * 65536 / steps) : 0;
      const long long dv = steps > 0 ? static_cast<long long>((v1 - v0) * 65536 / steps) : 0;
      // The segment's last pixel is the next one's first, but for the run's end.
      const int last = xb == x1 ? xb : xb - 1;
      if (wrap_by_mask && shade == SHADE_FULL) {
        // The common case, kept free of every test.
        const texel* texels = tex.texels.data();
        for (int x = xa; x <= last; ++x) {
          row[x] = 0xff000000u | texels[((fv >> 16) & (h - 1)) * w + ((fu >> 16) & (w - 1))];
          fu += du;
          fv += dv;
        }
      } else {
        for (int x = xa; x <= last; ++x) {
          std::uint32_t c = tex.at(static_cast<int>(wrap(fu >> 16, w)), static_cast<int>(wrap(fv >> 16, h)));
          if (shade != SHADE_FULL) c = shaded(c, shade);
          row[x] = 0xff000000u | c;
          fu += du;
          fv += dv;
        }
      }
      xa = last + 1;
      u0 = u1;
      v0 = v1;
    }
  }
};

// Where the pixels of one polygon go: straight into the image, or through a
// coverage mask that lets only not-yet-drawn pixels through. Callers pass
// only pixels inside the image.
template <class Run>
struct direct_sink {
  const raster_target& t;
  Run run;

  void span(int y, int x0, int x1) const {
    run(t.bits + static_cast<std::ptrdiff_t>(y) * t.stride, y + t.top, x0, x1);
  }
  void plot(int x, int y) const { span(y, x, x); }
};

template <class Run>
struct masked_sink {
  const raster_target& t;
  coverage_mask& m;
  Run run;

  void span(int y, int x0, int x1) const {
    std::uint32_t* row = t.bits + static_cast<std::ptrdiff_t>(y) * t.stride;
    std::uint64_t* cover = m.row(y + t.top);
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
        run(row, y + t.top, w * 64 + a, w * 64 + a + len - 1);
        if (a + len >= 64) break;
        open &= ~0ULL << (a + len);
      }
    }
  }
  void plot(int x, int y) const {
    std::uint64_t& word = m.row(y + t.top)[x >> 6];
    const std::uint64_t bit = 1ULL << (x & 63);
    if ((word & bit) != 0) return;
    word |= bit;
    run(t.bits + static_cast<std::ptrdiff_t>(y) * t.stride, y + t.top, x, x);
  }
};

// Outlines and segments go through the integer stepper of line_steps.h,
// which visits only pixels inside the image. A band's rows are counted from
// its top: the stepper works in whole pixels, so moving a polygon by whole
// rows moves its pixels by as many rows and changes nothing else, and the
// same holds for the fill below.
template <class Sink>
void outline_with(const raster_target& t, const QPoint* pts, int n, const Sink& out) {
  if (t.top == 0) {
    line_steps::step_outline(t.width, t.height, pts, n, [&out](int x, int y) { out.plot(x, y); });
    return;
  }
  if (n < 2) return;
  const QPoint shift(0, t.top);
  for (int i = 0; i < n; ++i) {
    line_steps::step_segment(t.width, t.height, pts[i] - shift, pts[i + 1 < n ? i + 1 : 0] - shift,
                             line_steps::ends::start_only, [&out](int x, int y) { out.plot(x, y); });
  }
}

template <class Sink>
void fill_with(const raster_target& t, const QPoint* pts, int n, const Sink& out) {
  if (n < 3 || t.width <= 0 || t.height <= 0) return;
  n = std::min(n, MAX_EDGES);
  // Row y is sampled along y + 0.5, so an edge from ay down to by (ay < by)
  // crosses rows ay .. by - 1; horizontal edges cross none. Each crossing is
  // kept in 16.16 fixed point, shifted right by half a pixel so that its
  // integer part is the first pixel whose centre lies beyond it. The slope
  // is truncated toward zero to 16 fractional bits, which settles the
  // centres an edge passes exactly through; on them, as everywhere, this
  // agrees with an aliased odd-even fill. The 16.16 rounding is chosen to
  // agree with Qt's raster engine: a QPainter fill of the same points covers
  // the same pixels.
  fill_edge edges[MAX_EDGES];
  int m = 0;
  int first = t.height, last = -1;
  for (int i = 0; i < n; ++i) {
    long long ax = held(pts[i].x()), ay = held(pts[i].y() - t.top);
    long long bx = held(pts[(i + 1) % n].x()), by = held(pts[(i + 1) % n].y() - t.top);
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

raster_target band_of(const raster_target& t, int first, int end) {
  first = std::clamp(first, 0, t.height);
  end = std::clamp(end, first, t.height);
  raster_target band = t;
  band.bits = t.bits + static_cast<std::ptrdiff_t>(first) * t.stride;
  band.height = end - first;
  band.top = t.top + first;
  return band;
}

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
  const direct_sink<solid_run> out{t, {opaque(colour)}};
  line_steps::step_segment(t.width, t.height, a, b, line_steps::ends::both,
                           [&out](int x, int y) { out.plot(x, y); });
}

void coverage_mask::reset(int w, int h) {
  width = std::max(w, 0);
  height = std::max(h, 0);
  words_per_row = (width + 63) / 64;
  bits.assign(static_cast<std::size_t>(words_per_row) * static_cast<std::size_t>(height), 0);
}

bool coverage_mask::covers(int x0, int y0, int x1, int y1) const {
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, width - 1);
  y1 = std::min(y1, height - 1);
  for (int y = y0; y <= y1; ++y) {
    const std::uint64_t* r = bits.data() + static_cast<std::ptrdiff_t>(y) * words_per_row;
    for (int w = x0 >> 6; w <= x1 >> 6; ++w) {
      const int lo = std::max(x0, w * 64) - w * 64;
      const int hi = std::min(x1, w * 64 + 63) - w * 64;
      const std::uint64_t want = (~0ULL >> (63 - hi)) & (~0ULL << lo);
      if ((r[w] & want) != want) return false;
    }
  }
  return true;
}

void fill_polygon(const raster_target& t, const QPoint* pts, int n, QRgb colour) {
  fill_with(t, pts, n, direct_sink<solid_run>{t, {opaque(colour)}});
}

void outline_polygon(const raster_target& t, const QPoint* pts, int n, QRgb colour) {
  outline_with(t, pts, n, direct_sink<solid_run>{t, {opaque(colour)}});
}

void fill_polygon(const raster_target& t, coverage_mask& m, const QPoint* pts, int n, QRgb colour) {
  fill_with(t, pts, n, masked_sink<solid_run>{t, m, {opaque(colour)}});
}

void outline_polygon(const raster_target& t, coverage_mask& m, const QPoint* pts, int n, QRgb colour) {
  outline_with(t, pts, n, masked_sink<solid_run>{t, m, {opaque(colour)}});
}

void fill_textured(const raster_target& t, coverage_mask* m, const QPoint* pts, int n,
                   const texture_mapping& map) {
  if (map.texture == nullptr || map.texture->width <= 0 || map.texture->height <= 0) return;
  mapping_source source{map};
  if (m != nullptr) {
    fill_with(t, pts, n, masked_sink<textured_run>{t, *m, {source}});
  } else {
    fill_with(t, pts, n, direct_sink<textured_run>{t, {source}});
  }
}

void fill_textured(const raster_target& t, coverage_mask& m, const QPoint* pts, int n,
                   const texture_image& texture, const std::function<texture_mapping()>& make) {
  if (texture.width <= 0 || texture.height <= 0) return;
  mapping_source source{make};
  fill_with(t, pts, n, masked_sink<textured_run>{t, m, {source}});
}

std::uint32_t shaded(std::uint32_t c, unsigned shade) {
  const auto part = [shade](std::uint32_t v) { return (v * shade) >> 8; };
  return (part((c >> 16) & 0xff) << 16) | (part((c >> 8) & 0xff) << 8) | part(c & 0xff);
}
