// The polygon fill and outline drawn straight into the image: agreement with
// QPainter's aliased drawing, clipping, far-off and degenerate input, the
// alternate fill rule, and drawing nearest first through a coverage mask.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <random>
#include <vector>

#include "render/raster.h"

namespace {

const QRgb WHITE = qRgb(255, 255, 255);
const QRgb INK = qRgb(30, 60, 90);

QImage blank(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(WHITE);
  return img;
}

// What the frame drew before: a width-1 cosmetic pen of the face colour,
// a filled polygon with the alternate rule, or a polyline back to the start.
QImage painter_drawing(int w, int h, const std::vector<QPoint>& pts, bool solid) {
  QImage img = blank(w, h);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing, false);
  QPen pen(QColor(INK), 1, Qt::SolidLine);
  pen.setCosmetic(true);
  p.setPen(pen);
  p.setBrush(QBrush(QColor(INK), Qt::SolidPattern));
  if (solid) {
    p.drawPolygon(pts.data(), static_cast<int>(pts.size()), Qt::OddEvenFill);
  } else {
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
  if (solid) fill_polygon(t, pts.data(), n, INK);
  outline_polygon(t, pts.data(), n, INK);
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

TEST(Raster, MatchesThePainterPixelForPixel) {
  // Random polygons around and across a small image: convex ones, as the
  // frame's fragments are, and star-like ones that are concave or cross
  // themselves, reaching up to three image sizes off its edges.
  std::mt19937 rng(7);
  constexpr int W = 120, H = 90;
  int drawn = 0;
  for (int round = 0; round < 240; ++round) {
    const int n = 3 + static_cast<int>(rng() % 8);
    const bool convex = round % 2 == 0;
    const int reach = round % 3 == 0 ? 3 * W : 50;
    std::vector<double> angle(static_cast<std::size_t>(n));
    for (double& a : angle) a = std::uniform_real_distribution<double>(0, 6.2832)(rng);
    if (convex) std::sort(angle.begin(), angle.end());
    const double r = std::uniform_int_distribution<int>(2, reach)(rng);
    const double cx = std::uniform_int_distribution<int>(-20, W + 20)(rng);
    const double cy = std::uniform_int_distribution<int>(-20, H + 20)(rng);
    std::vector<QPoint> pts;
    for (const double a : angle) {
      const double k = convex ? 1.0 : std::uniform_real_distribution<double>(0.2, 1.0)(rng);
      pts.emplace_back(static_cast<int>(cx + r * k * std::cos(a)),
                       static_cast<int>(cy + r * k * std::sin(a)));
    }
    for (const bool solid : {true, false}) {
      const QImage want = painter_drawing(W, H, pts, solid);
      drawn += count_ink(want);
      ASSERT_EQ(differing(want, raster_drawing(W, H, pts, solid)), 0)
          << "round " << round << (solid ? " filled" : " outline");
    }
  }
  EXPECT_GT(drawn, 100000);  // the rounds did draw something
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
    for (const bool solid : {true, false}) {
      EXPECT_EQ(differing(painter_drawing(W, H, pts, solid), raster_drawing(W, H, pts, solid)), 0)
          << pts.size() << " points from (" << pts[0].x() << ", " << pts[0].y() << ")";
    }
  }
  EXPECT_EQ(count_ink(raster_drawing(W, H, {{10, 10}}, true)), 0);
  const QImage seg = raster_drawing(W, H, {{5, 5}, {30, 12}}, true);
  EXPECT_EQ(count_ink(seg), 26);  // one pixel per column, both ends included
  EXPECT_EQ(seg.pixel(5, 5), INK);
  EXPECT_EQ(seg.pixel(30, 12), INK);
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

}  // namespace
