#include "render/plan_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/camera.h"
#include "model/map_state.h"
#include "render/projection.h"
#include "render/raster.h"
#include "render/render_state.h"

namespace {

constexpr QRgb BACKGROUND = qRgb(255, 255, 255);
constexpr QRgb CAMERA_MARK = qRgb(0, 0, 255);
constexpr QRgb OVERHEAD_LINE = qRgb(0, 160, 255);
constexpr QRgb RUBBER_LINE = qRgb(0, 160, 0);

constexpr int CAMERA_LINE_LENGTH = 20;        // pixels of the camera's viewing direction
constexpr double PICK_DISTANCE = 3;           // pixels from an outline that still pick it
constexpr std::size_t FACE_HEAD_BYTES = 320;  // a face's fields up to its link
constexpr double FLAT_AREA = 0.01;            // square map units: a face seen edge-on has no area

// Pixel positions are held well inside int so any zoom is safe; the
// rasteriser clips exactly whatever it is given.
constexpr double PIXEL_LIMIT = 1 << 29;

int pixel(double v) {
  if (!(std::fabs(v) <= PIXEL_LIMIT))
    return v > 0 ? static_cast<int>(PIXEL_LIMIT) : -static_cast<int>(PIXEL_LIMIT);
  return static_cast<int>(std::floor(v + 0.5));
}
QPoint pixel_point(QPointF p) { return {pixel(p.x()), pixel(p.y())}; }

float coordinate(const vertex_t& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// The outlines of b's faces in a view whose right and up are the world
// coordinates R and U. A face seen edge-on is left out: it draws nothing its
// neighbours do not, since each of its edges is either shared with a face
// seen from the front or back, or runs along the view axis and shows as a
// point.
template <float vertex_t::*R, float vertex_t::*U>
void outline_faces(const raster_target& t, const plan_camera& c, const brush_t* b, QRgb colour) {
  const double x0 = c.width / 2.0 - c.centre_u * c.zoom, y0 = c.height / 2.0 + c.centre_v * c.zoom;
  QPoint pts[MAX_POINTS];
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    // Faces lie far apart in memory: ask for the next one's points, count
    // and link while this one is drawn.
    if (s->next != nullptr) {
      const char* next = reinterpret_cast<const char*>(s->next);
      for (std::size_t at = 0; at < FACE_HEAD_BYTES; at += 64) __builtin_prefetch(next + at);
    }
    const int n = std::min<int>(s->numpoints, MAX_POINTS);
    if (n < 3) continue;
    double area = 0;  // twice the face's signed area as seen
    const vertex_t* prev = &s->point[n - 1];
    int left = std::numeric_limits<int>::max(), right = std::numeric_limits<int>::min();
    int top = left, bottom = right;
    for (int i = 0; i < n; ++i) {
      const vertex_t& p = s->point[i];
      area += static_cast<double>(prev->*R) * (p.*U) - static_cast<double>(p.*R) * (prev->*U);
      prev = &p;
      pts[i] = QPoint(pixel(x0 + (p.*R) * c.zoom), pixel(y0 - (p.*U) * c.zoom));
      left = std::min(left, pts[i].x());
      right = std::max(right, pts[i].x());
      top = std::min(top, pts[i].y());
      bottom = std::max(bottom, pts[i].y());
    }
    if (std::fabs(area) < 2 * FLAT_AREA) continue;
    if (right < 0 || bottom < 0 || left >= t.width || top >= t.height) continue;
    if (left == right && top == bottom) {
      put_pixel(t, left, top, colour);  // the whole face within one pixel
    } else {
      outline_polygon(t, pts, n, colour);
    }
  }
}

void outline_brush(const raster_target& t, const plan_camera& c, const brush_t* b, QRgb colour) {
  switch (c.axis) {
    case plan_axis::top:
      outline_faces<&vertex_t::x, &vertex_t::y>(t, c, b, colour);
      break;
    case plan_axis::front:
      outline_faces<&vertex_t::x, &vertex_t::z>(t, c, b, colour);
      break;
    case plan_axis::side:
      outline_faces<&vertex_t::y, &vertex_t::z>(t, c, b, colour);
      break;
  }
}

// The grid lines between lo and hi along one image direction, of one kind:
// pixel_of maps a world coordinate to its image row or column. Lines that
// would fall closer than GRID_MIN_SPACING are left out: first the plain ones,
// then the strong ones too. The axis always shows.
enum class grid_kind { plain, strong, axis };

template <class PixelOf, class Line>
void grid_lines(grid_kind kind, double lo, double hi, int grid, double zoom, PixelOf pixel_of, Line line) {
  if (kind == grid_kind::axis) {
    if (lo <= 0 && 0 <= hi) line(pixel_of(0), GRID_AXIS);
    return;
  }
  const long long strong = static_cast<long long>(grid) * GRID_STRONG_EVERY;
  const long long step = kind == grid_kind::plain ? grid : strong;
  if (step * zoom < GRID_MIN_SPACING) return;
  // However far the view was panned, the line numbers stay well inside range.
  const double far = 1e12;
  const auto first = static_cast<long long>(std::ceil(std::clamp(lo, -far, far) / static_cast<double>(step)));
  const auto last = static_cast<long long>(std::floor(std::clamp(hi, -far, far) / static_cast<double>(step)));
  for (long long k = first; k <= last; ++k) {
    const long long w = k * step;
    if (w == 0 || (kind == grid_kind::plain && w % strong == 0)) continue;
    line(pixel_of(static_cast<double>(w)), kind == grid_kind::plain ? GRID_LINE : GRID_STRONG);
  }
}

// Plain lines first, strong ones over them and the axes over everything, so
// that where lines cross the stronger one shows.
void draw_grid(const raster_target& t, const plan_camera& c, int grid) {
  const QPointF low = plan_world(c, QPointF(0, c.height));
  const QPointF high = plan_world(c, QPointF(c.width, 0));
  const int w = t.width, h = t.height;
  for (grid_kind kind : {grid_kind::plain, grid_kind::strong, grid_kind::axis}) {
    grid_lines(
        kind, low.x(), high.x(), grid, c.zoom, [&](double u) { return pixel(view_pixel(c, u, 0).x()); },
        [&](int x, QRgb colour) { draw_segment(t, QPoint(x, 0), QPoint(x, h - 1), colour); });
    grid_lines(
        kind, low.y(), high.y(), grid, c.zoom, [&](double v) { return pixel(view_pixel(c, 0, v).y()); },
        [&](int y, QRgb colour) { draw_segment(t, QPoint(0, y), QPoint(w - 1, y), colour); });
  }
}

// The 3D camera: a dot with a line towards where it looks.
void draw_camera(const raster_target& t, const plan_camera& c) {
  const QPoint at = pixel_point(plan_pixel(c, origin));
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) put_pixel(t, at.x() + dx, at.y() + dy, CAMERA_MARK);
  }
  // The world direction that the 3D view shows straight ahead: the rotation
  // is orthonormal, so it is the depth row of the images of the world axes.
  const vertex_t saved = origin;
  origin = vertex_t{};
  vertex_t ahead, image;
  for (int axis = 0; axis < 3; ++axis) {
    vertex_t unit;
    (axis == 0 ? unit.x : axis == 1 ? unit.y : unit.z) = 1;
    rotate_vertex(&unit, &image);
    (axis == 0 ? ahead.x : axis == 1 ? ahead.y : ahead.z) = image.y;
  }
  origin = saved;
  const double du = coordinate(ahead, right_axis(c.axis)), dv = coordinate(ahead, up_axis(c.axis));
  const double len = std::hypot(du, dv);
  if (len < 1e-6) return;  // looking straight along the view axis
  const QPoint tip(pixel(at.x() + du / len * CAMERA_LINE_LENGTH),
                   pixel(at.y() - dv / len * CAMERA_LINE_LENGTH));
  draw_segment(t, at, tip, CAMERA_MARK);
}

// The overhead view's rectangle, where it limits what the 3D view draws: in
// the top view as drawn, in the others as the span of its side that they see.
void draw_overhead(const raster_target& t, const plan_camera& c) {
  if (Srect.left == -1) return;
  const overhead_area a = overhead_world(Srect);
  const QPointF p1 = plan_pixel(c, vertex_t{a.x1, a.y1, 0});
  const QPointF p2 = plan_pixel(c, vertex_t{a.x2, a.y2, 0});
  if (c.axis == plan_axis::top) {
    const QPoint corners[4] = {pixel_point(p1), QPoint(pixel(p2.x()), pixel(p1.y())), pixel_point(p2),
                               QPoint(pixel(p1.x()), pixel(p2.y()))};
    outline_polygon(t, corners, 4, OVERHEAD_LINE);
    return;
  }
  for (double x : {p1.x(), p2.x()})
    draw_segment(t, QPoint(pixel(x), 0), QPoint(pixel(x), t.height - 1), OVERHEAD_LINE);
}

// Distance from p to the segment a-b, in pixels.
double segment_distance(QPointF p, QPointF a, QPointF b) {
  const QPointF ab = b - a, ap = p - a;
  const double len2 = QPointF::dotProduct(ab, ab);
  const double t = len2 > 0 ? std::clamp(QPointF::dotProduct(ap, ab) / len2, 0.0, 1.0) : 0.0;
  const QPointF d = ap - t * ab;
  return std::hypot(d.x(), d.y());
}

// Whether p is inside the polygon pts (either winding) or near its outline.
bool face_at(const QPointF* pts, int n, QPointF p) {
  bool inside = false;
  for (int i = 0, j = n - 1; i < n; j = i++) {
    if (segment_distance(p, pts[j], pts[i]) <= PICK_DISTANCE) return true;
    if ((pts[i].y() > p.y()) != (pts[j].y() > p.y()) &&
        p.x() < (pts[j].x() - pts[i].x()) * (p.y() - pts[i].y()) / (pts[j].y() - pts[i].y()) + pts[i].x()) {
      inside = !inside;
    }
  }
  return inside;
}

bool brush_at(const plan_camera& c, const brush_t* b, QPointF p) {
  // Most brushes are nowhere near: their bounds say so before any face does.
  const QPointF w = plan_world(c, p);
  const double slack = PICK_DISTANCE / c.zoom;
  const int ru = right_axis(c.axis), uv = up_axis(c.axis);
  double lo_u = INFINITY, hi_u = -INFINITY, lo_v = INFINITY, hi_v = -INFINITY;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) {
      lo_u = std::min<double>(lo_u, coordinate(s->point[i], ru));
      hi_u = std::max<double>(hi_u, coordinate(s->point[i], ru));
      lo_v = std::min<double>(lo_v, coordinate(s->point[i], uv));
      hi_v = std::max<double>(hi_v, coordinate(s->point[i], uv));
    }
  }
  if (w.x() < lo_u - slack || w.x() > hi_u + slack || w.y() < lo_v - slack || w.y() > hi_v + slack)
    return false;
  QPointF pts[MAX_POINTS];
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (s->numpoints < 2) continue;
    const int n = std::min<int>(s->numpoints, MAX_POINTS);
    for (int i = 0; i < n; ++i) pts[i] = plan_pixel(c, s->point[i]);
    if (face_at(pts, n, p)) return true;
  }
  return false;
}

float nearest_reach(plan_axis a, const brush_t* b) {
  float best = -std::numeric_limits<float>::infinity();
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) best = std::max(best, nearness(a, s->point[i]));
  }
  return best;
}

}  // namespace

int right_axis(plan_axis a) { return a == plan_axis::side ? 1 : 0; }
int up_axis(plan_axis a) { return a == plan_axis::top ? 1 : 2; }
int depth_axis(plan_axis a) { return a == plan_axis::top ? 2 : a == plan_axis::front ? 1 : 0; }

float nearness(plan_axis a, const vertex_t& p) {
  // Top looks down -z, side along -x: the eye is on the positive side. Front
  // looks along +y: the eye is on the negative side.
  return a == plan_axis::front ? -p.y : coordinate(p, depth_axis(a));
}

QPointF view_pixel(const plan_camera& c, double u, double v) {
  return {c.width / 2.0 + (u - c.centre_u) * c.zoom, c.height / 2.0 - (v - c.centre_v) * c.zoom};
}

QPointF plan_pixel(const plan_camera& c, const vertex_t& p) {
  return view_pixel(c, coordinate(p, right_axis(c.axis)), coordinate(p, up_axis(c.axis)));
}

QPointF plan_world(const plan_camera& c, QPointF pixel) {
  return {c.centre_u + (pixel.x() - c.width / 2.0) / c.zoom,
          c.centre_v - (pixel.y() - c.height / 2.0) / c.zoom};
}

void zoom_about(plan_camera& c, QPointF pixel, double factor) {
  const QPointF fixed = plan_world(c, pixel);
  c.zoom = std::clamp(c.zoom * factor, PLAN_ZOOM_MIN, PLAN_ZOOM_MAX);
  // Put the world point back under the pixel at the new scale.
  c.centre_u = fixed.x() - (pixel.x() - c.width / 2.0) / c.zoom;
  c.centre_v = fixed.y() + (pixel.y() - c.height / 2.0) / c.zoom;
}

std::vector<brush_t*> plan_brushes() {
  std::vector<brush_t*> all;
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (b->hidden == 0) all.push_back(b);
    }
  }
  for (int i = 0; i < numentity; ++i) {
    brush_t* b = entities[i].brush;
    if (entities[i].valid != 0 && b != nullptr && b->valid != 0 && b->hidden == 0) all.push_back(b);
  }
  return all;
}

std::vector<brush_t*> brushes_at(const plan_camera& c, QPointF pixel) {
  struct found {
    brush_t* b;
    float reach;
  };
  std::vector<found> hits;
  for (brush_t* b : plan_brushes()) {
    if (brush_at(c, b, pixel)) hits.push_back({b, nearest_reach(c.axis, b)});
  }
  std::stable_sort(hits.begin(), hits.end(),
                   [](const found& x, const found& y) { return x.reach > y.reach; });
  std::vector<brush_t*> out;
  out.reserve(hits.size());
  for (const found& f : hits) out.push_back(f.b);
  return out;
}

void draw_plan(QImage& image, const plan_camera& c, int grid, const QRectF* rubber) {
  image.fill(BACKGROUND);
  const raster_target t(image);
  draw_grid(t, c, grid);
  for (hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      if (b->hidden == 0) outline_brush(t, c, b, BRUSH_LINE);
    }
  }
  for (int i = 0; i < numentity; ++i) {
    const brush_t* b = entities[i].brush;
    if (entities[i].valid != 0 && b != nullptr && b->valid != 0 && b->hidden == 0)
      outline_brush(t, c, b, ENTITY_LINE);
  }
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next)
    outline_brush(t, c, n->brush, SELECTED_LINE);
  if (hibr != nullptr) outline_brush(t, c, hibr, CURRENT_LINE);
  draw_overhead(t, c);
  draw_camera(t, c);
  if (rubber != nullptr) {
    const QPointF a = view_pixel(c, rubber->left(), rubber->top());
    const QPointF b = view_pixel(c, rubber->right(), rubber->bottom());
    const QPoint corners[4] = {pixel_point(a), QPoint(pixel(b.x()), pixel(a.y())), pixel_point(b),
                               QPoint(pixel(a.x()), pixel(b.y()))};
    outline_polygon(t, corners, 4, RUBBER_LINE);
  }
}
