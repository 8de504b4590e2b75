// Filled polygons and one-pixel outlines drawn straight into a 32-bit image.
// The ordered view draws tens of thousands of small fragments a frame, far
// more than a general-purpose painter can take at the redraw rate. The fill
// covers the pixels an aliased odd-even fill covers; outlines and segments
// are stepped on the integer grid by the rule in line_steps.h, which keeps
// within a pixel of what a width-1 cosmetic pen draws.
#pragma once

#include <QImage>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <vector>

#include "textures/texture_image.h"

// Where the rasteriser writes: the pixels of an RGB32 or ARGB32 image. Every
// call clips to width x height, so any coordinates are safe.
struct raster_target {
  std::uint32_t* bits = nullptr;  // the target's first row
  int stride = 0;                 // in pixels
  int width = 0;
  int height = 0;
  // The row of the whole image the target starts at: a band of rows of an
  // image takes points, masks and texture rows in the whole image's terms.
  int top = 0;

  raster_target() = default;
  explicit raster_target(QImage& image);
};

// Rows first .. end - 1 of t (held to t's rows). Filling and outlining each
// band of an image puts down exactly the pixels that drawing the whole image
// would, so bands can be drawn side by side.
raster_target band_of(const raster_target& t, int first, int end);

// The pixels whose centres lie inside the polygon by the alternate rule: a
// centre is inside when a ray from it crosses the outline an odd number of
// times. Edges are followed in 16.16 fixed point sampling pixel centres, so a
// centre that an edge passes exactly through is decided by that arithmetic.
// Fewer than three points cover nothing; at most 64 points are taken.
void fill_polygon(const raster_target& t, const QPoint* pts, int n, QRgb colour);

// The closed outline pts[0] -> ... -> pts[n - 1] -> pts[0], one pixel wide:
// each segment puts down its start pixel and not its end pixel, where the
// next one starts (see line_steps.h). One point draws nothing, two draw the
// segment between them, and points that all coincide draw nothing.
void outline_polygon(const raster_target& t, const QPoint* pts, int n, QRgb colour);

// One segment, both end pixels included, stepped as in line_steps.h.
void draw_segment(const raster_target& t, QPoint a, QPoint b, QRgb colour);

// A single pixel, ignored outside the image.
void put_pixel(const raster_target& t, int x, int y, QRgb colour);

// One bit per pixel: which pixels have been drawn since the last reset.
// Drawing through it puts down only pixels not drawn yet and marks them, so
// polygons drawn nearest first give the picture that drawing them farthest
// first gives, with every pixel written once.
class coverage_mask {
 public:
  // Clears every bit for an image of this size; grows, never shrinks.
  void reset(int width, int height);
  std::uint64_t* row(int y) { return bits.data() + static_cast<std::ptrdiff_t>(y) * words_per_row; }
  // True when every pixel of the rectangle x0 .. x1, y0 .. y1 (inclusive)
  // that lies in the image of the last reset is drawn: nothing put down
  // through the mask there could show.
  bool covers(int x0, int y0, int x1, int y1) const;

 private:
  int words_per_row = 0;
  int width = 0, height = 0;
  std::vector<std::uint64_t> bits;
};

// As above, but only into pixels m has clear, which are then set. m must
// have been reset for t's size.
void fill_polygon(const raster_target& t, coverage_mask& m, const QPoint* pts, int n, QRgb colour);
void outline_polygon(const raster_target& t, coverage_mask& m, const QPoint* pts, int n, QRgb colour);

// A value linear across the screen: at + dx * x + dy * y, at pixel centres.
struct screen_linear {
  double at = 0, dx = 0, dy = 0;
};

constexpr unsigned SHADE_FULL = 256;  // brightness in 256ths

// How a polygon's pixels take their texels: the texture coordinates (in
// texels) are s / depth and t / depth, all three linear across the screen;
// the texel is the one under the coordinates, the texture repeating.
struct texture_mapping {
  screen_linear s, t, depth;
  const texture_image* texture = nullptr;
  unsigned shade = SHADE_FULL;
};

// Fills as fill_polygon does, each pixel from the texture, through m when it
// is given.
void fill_textured(const raster_target& t, coverage_mask* m, const QPoint* pts, int n,
                   const texture_mapping& map);
// The same through m, with the mapping of texture made only when a pixel is
// still open: most fragments of a frame are hidden by nearer ones.
void fill_textured(const raster_target& t, coverage_mask& m, const QPoint* pts, int n,
                   const texture_image& texture, const std::function<texture_mapping()>& make);

// A colour (0xRRGGBB) at shade 256ths of its brightness.
std::uint32_t shaded(std::uint32_t c, unsigned shade);
