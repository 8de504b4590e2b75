// The polygon fill and outline drawn straight into the image: the fill's
// agreement with QPainter's aliased fill, the outline's stepping rules and
// nearness to QPainter's, clipping, far-off and degenerate input, the
// alternate fill rule, and drawing nearest first through a coverage mask.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "render/line_steps.h"
#include "render/raster.h"

namespace {

const QRgb WHITE = qRgb(255, 255, 255);
const QRgb INK = qRgb(30, 60, 90);

QImage blank(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(WHITE);
  return img;
}

// QPainter's aliased drawing, which the frame used before: a polygon filled
// by the alternate rule with no pen, or the closed polyline in a width-1
// cosmetic pen.
QImage painter_drawing(int w, int h, const std::vector<QPoint>& pts, bool solid) {
  QImage img = blank(w, h);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  if (solid) {
    p.setPen(Qt::NoPen);
    p.setBrush(QBrush(QColor(INK), Qt::SolidPattern));
    p.drawPolygon(pts.data(), static_cast<int>(pts.size()), Qt::OddEvenFill);
  } else {
    QPen pen(QColor(INK), 1, Qt::SolidLine);
    pen.setCosmetic(true);
    p.setPen(pen);
    std::vector<QPoint> closed = pts;
    closed.push_back(pts.front());
    p.drawPolyline(closed.data(), static_cast<int>(closed.size()));
  }
  return img;
}

QImage raster_drawing(int w, int h, const std::vector<QPoint>& pts, bool solid) {
  QImage img = blank(w, h);
  const raster_target t(img);
  const int n = static_cast<int>(pts.size());
  if (solid) {
    fill_polygon(t, pts.data(), n, INK);
  } else {
    outline_polygon(t, pts.data(), n, INK);
  }
  return img;
}

int differing(const QImage& a, const QImage& b) {
  int d = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) d += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return d;
}

int count_ink(const QImage& img) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y) {
    for (int x = 0; x < img.width(); ++x) n += img.pixel(x, y) != WHITE ? 1 : 0;
  }
  return n;
}

// How many of a's ink pixels have ink of b at most one pixel away in x and y.
int near_ink(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      if (a.pixel(x, y) == WHITE) continue;
      bool near = false;
      for (int j = std::max(y - 1, 0); j <= std::min(y + 1, b.height() - 1) && !near; ++j) {
        for (int i = std::max(x - 1, 0); i <= std::min(x + 1, b.width() - 1) && !near; ++i) {
          near = b.pixel(i, j) != WHITE;
        }
      }
      n += near ? 1 : 0;
    }
  }
  return n;
}

// Random polygons around and across a small image: convex ones, as the
// frame's fragments are, and star-like ones that are concave or cross
// themselves, reaching up to three image sizes off its edges.
std::vector<QPoint> random_polygon(std::mt19937& rng, int round, int w, int h) {
  const int n = 3 + static_cast<int>(rng() % 8);
  const bool convex = round % 2 == 0;
  const int reach = round % 3 == 0 ? 3 * w : 50;
  std::vector<double> angle(static_cast<std::size_t>(n));
  for (double& a : angle) a = std::uniform_real_distribution<double>(0, 6.2832)(rng);
  if (convex) std::sort(angle.begin(), angle.end());
  const double r = std::uniform_int_distribution<int>(2, reach)(rng);
  const double cx = std::uniform_int_distribution<int>(-20, w + 20)(rng);
  const double cy = std::uniform_int_distribution<int>(-20, h + 20)(rng);
  std::vector<QPoint> pts;
  for (const double a : angle) {
    const double k = convex ? 1.0 : std::uniform_real_distribution<double>(0.2, 1.0)(rng);
    pts.emplace_back(static_cast<int>(cx + r * k * std::cos(a)), static_cast<int>(cy + r * k * std::sin(a)));
  }
  return pts;
}

TEST(Raster, FillMatchesThePainterPixelForPixel) {
  std::mt19937 rng(7);
  constexpr int W = 120, H = 90;
  int drawn = 0;
  for (int round = 0; round < 240; ++round) {
    const std::vector<QPoint> pts = random_polygon(rng, round, W, H);
    const QImage want = painter_drawing(W, H, pts, true);
    drawn += count_ink(want);
    ASSERT_EQ(differing(want, raster_drawing(W, H, pts, true)), 0) << "round " << round;
  }
  EXPECT_GT(drawn, 100000);  // the rounds did draw something
}

TEST(Raster, OutlinesKeepWithinAPixelOfThePainters) {
  // Outlines follow their own stepping rule, so they are not the painter's
  // pixel for pixel; but nearly every pixel of either has one of the other
  // next to it.
  std::mt19937 rng(7);
  constexpr int W = 120, H = 90;
  int ours = 0, ours_near = 0, theirs = 0, theirs_near = 0;
  for (int round = 0; round < 240; ++round) {
    const std::vector<QPoint> pts = random_polygon(rng, round, W, H);
    const QImage want = painter_drawing(W, H, pts, false);
    const QImage got = raster_drawing(W, H, pts, false);
    ours += count_ink(got);
    ours_near += near_ink(got, want);
    theirs += count_ink(want);
    theirs_near += near_ink(want, got);
  }
  EXPECT_GT(ours, 10000);
  EXPECT_GE(ours_near, 0.98 * ours) << ours_near << " of " << ours;
  EXPECT_GE(theirs_near, 0.98 * theirs) << theirs_near << " of " << theirs;
}

TEST(Raster, ShortAndDegeneratePolygons) {
  constexpr int W = 40, H = 30;
  const std::vector<std::vector<QPoint>> cases = {
      {{10, 10}},                          // one point: nothing at all
      {{5, 5}, {30, 12}},                  // two points: the segment between them
      {{5, 5}, {15, 10}, {25, 15}},        // collinear: no area, just its outline
      {{8, 8}, {8, 8}, {8, 8}},            // all at one place
      {{5, 20}, {20, 20}, {35, 20}},       // flat
      {{3, 3}, {3, 25}, {3, 3}, {3, 25}},  // back and forth over one line
  };
  for (const auto& pts : cases) {
    const QImage want = painter_drawing(W, H, pts, false), got = raster_drawing(W, H, pts, false);
    EXPECT_EQ(differing(painter_drawing(W, H, pts, true), raster_drawing(W, H, pts, true)), 0)
        << pts.size() << " points from (" << pts[0].x() << ", " << pts[0].y() << ")";
    EXPECT_EQ(near_ink(got, want), count_ink(got)) << pts.size() << " points from (" << pts[0].x() << ")";
    EXPECT_EQ(near_ink(want, got), count_ink(want)) << pts.size() << " points from (" << pts[0].x() << ")";
  }
  EXPECT_EQ(count_ink(raster_drawing(W, H, {{10, 10}}, false)), 0);
  EXPECT_EQ(count_ink(raster_drawing(W, H, {{8, 8}, {8, 8}, {8, 8}}, false)), 0);
  const QImage seg = raster_drawing(W, H, {{5, 5}, {30, 12}}, false);
  EXPECT_EQ(count_ink(seg), 26);  // one pixel per column, both ends included
  EXPECT_EQ(seg.pixel(5, 5), INK);
  EXPECT_EQ(seg.pixel(30, 12), INK);
  EXPECT_EQ(count_ink(raster_drawing(W, H, {{5, 20}, {20, 20}, {35, 20}}, false)), 31);
  // Nothing, not even a crash, for no points.
  QImage none = blank(W, H);
  fill_polygon(raster_target(none), nullptr, 0, INK);
  outline_polygon(raster_target(none), nullptr, 0, INK);
  EXPECT_EQ(count_ink(none), 0);
}

TEST(Raster, AlternateRuleLeavesCrossedAndNotchedAreasOpen) {
  constexpr int W = 60, H = 60;
  // A five-pointed star drawn in one stroke: its centre is crossed twice.
  const std::vector<QPoint> star = {{30, 2}, {47, 55}, {2, 21}, {58, 21}, {13, 55}};
  const QImage s = raster_drawing(W, H, star, true);
  EXPECT_EQ(s.pixel(30, 30), WHITE);
  EXPECT_EQ(s.pixel(30, 10), INK);  // a point of the star
  // A U: the notch between the arms stays open.
  const std::vector<QPoint> u = {{5, 5}, {20, 5}, {20, 40}, {40, 40}, {40, 5}, {55, 5}, {55, 55}, {5, 55}};
  const QImage c = raster_drawing(W, H, u, true);
  EXPECT_EQ(c.pixel(30, 20), WHITE);
  EXPECT_EQ(c.pixel(10, 20), INK);
  EXPECT_EQ(c.pixel(50, 20), INK);
  EXPECT_EQ(c.pixel(30, 50), INK);
}

// A target that is the middle of a larger image, so anything written past
// its edges shows in the frame around it.
struct framed {
  QImage img = blank(60, 50);
  raster_target t;
  framed() : t(img) {
    t.bits += 10 * t.stride + 10;
    t.width = 40;
    t.height = 30;
  }
  bool frame_untouched() const {
    for (int y = 0; y < img.height(); ++y) {
      for (int x = 0; x < img.width(); ++x) {
        const bool inside = x >= 10 && x < 50 && y >= 10 && y < 40;
        if (!inside && img.pixel(x, y) != WHITE) return false;
      }
    }
    return true;
  }
  int inside_ink() const {
    int n = 0;
    for (int y = 10; y < 40; ++y) {
      for (int x = 10; x < 50; ++x) n += img.pixel(x, y) != WHITE ? 1 : 0;
    }
    return n;
  }
};

TEST(Raster, ClipsToTheTargetAtEveryEdgeAndTakesFarOffCoordinates) {
  {
    // Reaching past all four edges: every pixel of the target, none beyond.
    framed f;
    const QPoint big[] = {{-5, -5}, {45, -5}, {45, 35}, {-5, 35}};
    fill_polygon(f.t, big, 4, INK);
    outline_polygon(f.t, big, 4, INK);
    EXPECT_TRUE(f.frame_untouched());
    EXPECT_EQ(f.inside_ink(), 40 * 30);
  }
  {
    // Coordinates near the ends of int: a huge triangle still covers the
    // whole target and a far-reaching line still lands on its row.
    framed f;
    const QPoint tri[] = {{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
    fill_polygon(f.t, tri, 3, INK);
    EXPECT_TRUE(f.frame_untouched());
    EXPECT_EQ(f.inside_ink(), 40 * 30);

    framed g;
    draw_segment(g.t, QPoint(-2000000000, 12), QPoint(2000000000, 12), INK);
    const QPoint down[] = {{20, -2000000000}, {20, 2000000000}};
    outline_polygon(g.t, down, 2, INK);
    EXPECT_TRUE(g.frame_untouched());
    EXPECT_EQ(g.inside_ink(), 40 + 30 - 1);
    EXPECT_EQ(g.img.pixel(10 + 39, 10 + 12), INK);
    EXPECT_EQ(g.img.pixel(10 + 20, 10 + 29), INK);

    // From one end of int to the other: the diagonal lands on (i, i), and a
    // line rising one pixel over the whole range, its half-way point at
    // x = 20, steps up there.
    constexpr int LO = std::numeric_limits<int>::min(), HI = std::numeric_limits<int>::max();
    framed d;
    const QPoint wide[] = {{LO, LO}, {HI, HI}, {LO, HI}};
    outline_polygon(d.t, wide, 3, INK);
    draw_segment(d.t, QPoint(LO + 41, 5), QPoint(HI, 6), INK);
    EXPECT_TRUE(d.frame_untouched());
    EXPECT_EQ(d.inside_ink(), 30 + 40 - 1);  // (5, 5) is on both
    for (int i = 0; i < 30; ++i) EXPECT_EQ(d.img.pixel(10 + i, 10 + i), INK) << i;
    EXPECT_EQ(d.img.pixel(10 + 19, 10 + 5), INK);
    EXPECT_EQ(d.img.pixel(10 + 20, 10 + 6), INK);
  }
  {
    // Wholly outside: nothing.
    framed f;
    const QPoint off[] = {{-50, 5}, {-10, 5}, {-10, 25}, {-50, 25}};
    fill_polygon(f.t, off, 4, INK);
    outline_polygon(f.t, off, 4, INK);
    put_pixel(f.t, 40, 0, INK);
    put_pixel(f.t, -1, 0, INK);
    EXPECT_TRUE(f.frame_untouched());
    EXPECT_EQ(f.inside_ink(), 0);
  }
}

TEST(Raster, CoverageMaskDrawsNearestFirstAsFarthestFirstWould) {
  constexpr int W = 50, H = 40;
  const QRgb far = qRgb(200, 0, 0), near = qRgb(0, 0, 200);
  const QPoint a[] = {{2, 2}, {40, 4}, {30, 35}};
  const QPoint b[] = {{10, 10}, {48, 12}, {45, 38}, {5, 30}};
  QImage painted = blank(W, H);
  const raster_target pt(painted);
  fill_polygon(pt, a, 3, far);
  outline_polygon(pt, a, 3, far);
  fill_polygon(pt, b, 4, near);
  outline_polygon(pt, b, 4, near);

  QImage masked = blank(W, H);
  const raster_target mt(masked);
  coverage_mask m;
  m.reset(W, H);
  fill_polygon(mt, m, b, 4, near);
  outline_polygon(mt, m, b, 4, near);
  fill_polygon(mt, m, a, 3, far);
  outline_polygon(mt, m, a, 3, far);
  EXPECT_EQ(differing(painted, masked), 0);
  EXPECT_EQ(masked.pixel(30, 20), near);
  EXPECT_EQ(masked.pixel(10, 5), far);

  // After a reset everything may be drawn again.
  m.reset(W, H);
  fill_polygon(mt, m, a, 3, far);
  EXPECT_EQ(masked.pixel(30, 20), far);
}

TEST(Raster, CoversSaysWhetherEveryPixelOfARectangleIsDrawn) {
  constexpr int W = 150, H = 20;
  QImage image = blank(W, H);
  const raster_target t(image);
  coverage_mask m;
  m.reset(W, H);
  EXPECT_FALSE(m.covers(0, 0, 0, 0));
  // Across word boundaries: columns 10 .. 139 of rows 2 .. 12.
  const QPoint box[] = {{10, 2}, {140, 2}, {140, 13}, {10, 13}};
  fill_polygon(t, m, box, 4, qRgb(1, 2, 3));
  EXPECT_TRUE(m.covers(10, 2, 139, 12));
  EXPECT_TRUE(m.covers(63, 5, 64, 6));
  EXPECT_FALSE(m.covers(9, 2, 139, 12));
  EXPECT_FALSE(m.covers(10, 2, 140, 12));
  EXPECT_FALSE(m.covers(10, 1, 139, 12));
  // What lies outside the image cannot be drawn into, so it does not count.
  const QPoint all[] = {{0, 0}, {W, 0}, {W, H}, {0, H}};
  fill_polygon(t, m, all, 4, qRgb(1, 2, 3));
  EXPECT_TRUE(m.covers(-50, -50, W + 50, H + 50));
}

// Texel (s, t) of a texture w x h coloured so that its colour names it.
texture_image coded(int w, int h) {
  texture_image tex;
  tex.width = w;
  tex.height = h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) tex.texels.push_back(qRgb(x, y, 9));
  }
  return tex;
}

TEST(Raster, TexturedSpansStayWithinATexelOfThePerspectiveMapping) {
  // A plane leaning away steeply, so that the texture coordinates curve
  // across every run; one texture whose sides are powers of two and one whose
  // sides are not.
  constexpr int W = 300, H = 200;
  const QPoint quad[] = {{5, 3}, {290, 20}, {280, 190}, {12, 170}};
  for (const auto& [tw, th] : {std::pair{64, 32}, std::pair{48, 40}}) {
    SCOPED_TRACE(tw);
    const texture_image tex = coded(tw, th);
    texture_mapping map;
    map.texture = &tex;
    map.s = {-40, 1.3, 0.2};
    map.t = {25, -0.1, 0.9};
    map.depth = {1, 0.004, 0.0015};
    QImage image = blank(W, H);
    fill_textured(raster_target(image), nullptr, quad, 4, map);
    int checked = 0, exact_ends = 0, ends = 0;
    for (int y = 0; y < H; ++y) {
      int first = -1, last = -1;
      for (int x = 0; x < W; ++x) {
        const QRgb c = image.pixel(x, y);
        if (c == qRgb(255, 255, 255)) continue;
        if (first < 0) first = x;
        last = x;
        const double cx = x + 0.5, cy = y + 0.5;
        const double d = map.depth.at + map.depth.dx * cx + map.depth.dy * cy;
        const double s = (map.s.at + map.s.dx * cx + map.s.dy * cy) / d;
        const double t = (map.t.at + map.t.dx * cx + map.t.dy * cy) / d;
        // How far the texel drawn is from the exact one, around the repeat.
        const auto off = [](int got, double want, int size) {
          const int exact = ((static_cast<int>(std::floor(want)) % size) + size) % size;
          const int diff = std::abs(got - exact);
          return std::min(diff, size - diff);
        };
        const int ds = off(qRed(c), s, tw), dt = off(qGreen(c), t, th);
        ASSERT_LE(std::max(ds, dt), 1) << x << "," << y;
        ++checked;
        if (x == first) exact_ends += ds == 0 && dt == 0 ? 1 : 0;
      }
      if (last >= 0) {
        ++ends;
        const QRgb c = image.pixel(last, y);
        const double cx = last + 0.5, cy = y + 0.5;
        const double d = map.depth.at + map.depth.dx * cx + map.depth.dy * cy;
        const int s = static_cast<int>(std::floor((map.s.at + map.s.dx * cx + map.s.dy * cy) / d));
        const int t = static_cast<int>(std::floor((map.t.at + map.t.dx * cx + map.t.dy * cy) / d));
        exact_ends += qRed(c) == ((s % tw) + tw) % tw && qGreen(c) == ((t % th) + th) % th ? 1 : 0;
      }
    }
    EXPECT_GT(checked, 40000);
    // Both ends of every run are worked out exactly (a value a hair from a
    // texel's edge may still fall either way).
    EXPECT_GE(exact_ends, 2 * ends - 4);
  }
}

// Every pixel an outline puts down, counted, and any put down outside the
// image.
struct visits {
  int w, h;
  std::vector<int> count;
  int outside = 0;
  long long total = 0;

  visits(int width, int height, const std::vector<QPoint>& pts) : w(width), h(height), count(w * h, 0) {
    line_steps::step_outline(w, h, pts.data(), static_cast<int>(pts.size()), [this](int x, int y) {
      ++total;
      if (x < 0 || y < 0 || x >= w || y >= h) {
        ++outside;
      } else {
        ++count[y * w + x];
      }
    });
  }
  int at(int x, int y) const { return count[y * w + x]; }
};

// Whether the centre of pixel (x, y) is within r of segment a - b in both x
// and y: whether the segment meets the square of half-side r around it.
bool within(int x, int y, QPoint a, QPoint b, double r) {
  const double ax = a.x(), ay = a.y(), dx = static_cast<double>(b.x()) - ax,
               dy = static_cast<double>(b.y()) - ay;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - (x - r), (x + r) - ax, ay - (y - r), (y + r) - ay};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else if (p[i] < 0) {
      t0 = std::max(t0, q[i] / p[i]);
    } else {
      t1 = std::min(t1, q[i] / p[i]);
    }
  }
  return t0 <= t1;
}

TEST(LineSteps, OutlinesFollowTheirSegmentsOnePixelPerStep) {
  // The rules of line_steps.h on random polygons: those of the other tests,
  // and spiky ones with points out to a billion and the ends of int.
  //  - Every pixel is inside the image and its centre within half a pixel,
  //    in x and y, of a segment.
  //  - A segment puts down one pixel per step along its longer axis and none
  //    at its end point, so a pixel is put down at most once for each segment
  //    passing within half a pixel of it, less those ending there: once on a
  //    plain stretch or corner, twice only where the outline crosses or
  //    comes back on itself.
  //  - Wholly inside the image, the pixels number the steps, and those
  //    along each segment join its start to its end, 8-connected: the
  //    outline is closed.
  std::mt19937 rng(11);
  constexpr int W = 120, H = 90;
  constexpr double HALF = 0.5 + 1e-5;
  int inside_polygons = 0, twice = 0;
  for (int round = 0; round < 400; ++round) {
    std::vector<QPoint> pts = random_polygon(rng, round, W, H);
    if (round % 4 == 3) {
      for (QPoint& p : pts) {
        if (rng() % 3 != 0) continue;
        const double a = std::uniform_real_distribution<double>(0, 6.2832)(rng);
        const double far = rng() % 2 == 0 ? 1e9 : 3e9;  // past the ends of int
        const auto held = [](double v) {
          return static_cast<int>(std::clamp(v, -2147483648.0, 2147483647.0));
        };
        p = QPoint(held(p.x() + far * std::cos(a)), held(p.y() + far * std::sin(a)));
      }
    }
    if (round % 5 == 0) pts.insert(pts.begin() + 1, pts[1]);  // a point repeated
    const int n = static_cast<int>(pts.size());
    const visits v(W, H, pts);
    ASSERT_EQ(v.outside, 0) << "round " << round;
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        if (v.at(x, y) == 0) continue;
        int near = 0, ends = 0;
        for (int i = 0; i < n; ++i) {
          const QPoint a = pts[i], b = pts[(i + 1) % n];
          near += within(x, y, a, b, HALF) ? 1 : 0;
          ends += a != b && b == QPoint(x, y) ? 1 : 0;
        }
        ASSERT_GT(near, 0) << "round " << round << " pixel " << x << ", " << y;
        ASSERT_LE(v.at(x, y), near - ends) << "round " << round << " pixel " << x << ", " << y;
        twice += v.at(x, y) > 1 ? 1 : 0;
      }
    }

    const bool inside = std::all_of(
        pts.begin(), pts.end(), [](QPoint p) { return p.x() >= 0 && p.y() >= 0 && p.x() < W && p.y() < H; });
    if (!inside) continue;
    ++inside_polygons;
    long long steps = 0;
    for (int i = 0; i < n; ++i) {
      const QPoint d = pts[(i + 1) % n] - pts[i];
      steps += std::max(std::abs(d.x()), std::abs(d.y()));
    }
    EXPECT_EQ(v.total, steps) << "round " << round;
    for (int i = 0; i < n; ++i) {
      const QPoint a = pts[i], b = pts[(i + 1) % n];
      // Flood from a through drawn pixels near this segment.
      std::vector<char> reached(W * H, 0);
      std::vector<QPoint> todo = {a};
      reached[a.y() * W + a.x()] = 1;
      while (!todo.empty()) {
        const QPoint p = todo.back();
        todo.pop_back();
        for (int j = -1; j <= 1; ++j) {
          for (int k = -1; k <= 1; ++k) {
            const int x = p.x() + k, y = p.y() + j;
            if (x < 0 || y < 0 || x >= W || y >= H || reached[y * W + x] != 0 || v.at(x, y) == 0) continue;
            if (!within(x, y, a, b, HALF)) continue;
            reached[y * W + x] = 1;
            todo.emplace_back(x, y);
          }
        }
      }
      ASSERT_TRUE(v.at(a.x(), a.y()) > 0 || a == b) << "round " << round << " corner " << i;
      ASSERT_EQ(reached[b.y() * W + b.x()], 1) << "round " << round << " segment " << i;
    }
  }
  EXPECT_GT(inside_polygons, 40);
  EXPECT_GT(twice, 0);  // some outlines did cross themselves
}

TEST(LineSteps, ClippingKeepsThePixelsInside) {
  std::mt19937 rng(5);
  constexpr int W = 120, H = 90;
  // Polygons reaching off the image put down, inside it, what they put down
  // in a larger image that holds them whole, shifted to match.
  constexpr int OFF = 400;
  for (int round = 0; round < 200; ++round) {
    const std::vector<QPoint> pts = random_polygon(rng, round, W, H);
    std::vector<QPoint> shifted;
    for (const QPoint& p : pts) shifted.push_back(p + QPoint(OFF, OFF));
    const visits small(W, H, pts);
    std::vector<int> large(W * H, 0);
    line_steps::step_outline(W + 2 * OFF, H + 2 * OFF, shifted.data(), static_cast<int>(shifted.size()),
                             [&large](int x, int y) {
                               x -= OFF;
                               y -= OFF;
                               if (x >= 0 && y >= 0 && x < W && y < H) ++large[y * W + x];
                             });
    int differ = 0;
    for (int i = 0; i < W * H; ++i) differ += small.count[i] != large[i] ? 1 : 0;
    ASSERT_EQ(differ, 0) << "round " << round;
  }
  // A segment from far off along a line through integer points puts down,
  // inside the image, the pixels of the short piece of that line across it.
  for (int round = 0; round < 200; ++round) {
    const QPoint at(std::uniform_int_distribution<int>(0, W - 1)(rng),
                    std::uniform_int_distribution<int>(0, H - 1)(rng));
    QPoint d(std::uniform_int_distribution<int>(-40, 40)(rng),
             std::uniform_int_distribution<int>(-40, 40)(rng));
    if (d.isNull()) d = QPoint(1, 0);
    const int span = std::max(std::abs(d.x()), std::abs(d.y()));
    const int reach = std::numeric_limits<int>::max() / span - 200;
    const int before = std::uniform_int_distribution<int>(reach / 2, reach)(rng);
    const int after = std::uniform_int_distribution<int>(reach / 2, reach)(rng);
    const int piece = (W + H) / span + 2;
    QImage far = blank(W, H), near = blank(W, H);
    draw_segment(raster_target(far), at - before * d, at + after * d, INK);
    draw_segment(raster_target(near), at - piece * d, at + piece * d, INK);
    ASSERT_EQ(differing(far, near), 0) << "round " << round;
    ASSERT_GT(count_ink(near), 0);
  }
}

}  // namespace
