// Plan views: the map drawn flat along one world axis (top, front or side),
// over a grid in map units, and the brushes found under a point of such a view.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <vector>

#include "model/types.h"

// Which way a plan view looks: top down -z at x/y, front along +y at x/z,
// side along -x at y/z.
enum class plan_axis { top, front, side };

constexpr double PLAN_ZOOM_MIN = 1.0 / 64;  // pixels per map unit
constexpr double PLAN_ZOOM_MAX = 16;
constexpr int GRID_STRONG_EVERY = 8;  // every 8th grid line is drawn stronger
constexpr int GRID_MIN_SPACING = 4;   // grid lines closer than this many pixels are left out

// Colours of the grid and of the brushes. The selection and the current
// brush are marked as the 3D view marks them.
constexpr QRgb GRID_LINE = qRgb(228, 228, 228);
constexpr QRgb GRID_STRONG = qRgb(184, 184, 184);
constexpr QRgb GRID_AXIS = qRgb(120, 120, 120);
constexpr QRgb BRUSH_LINE = qRgb(0, 64, 64);
constexpr QRgb ENTITY_LINE = qRgb(255, 0, 0);
constexpr QRgb SELECTED_LINE = qRgb(255, 255, 0);
constexpr QRgb CURRENT_LINE = qRgb(255, 0, 255);

// How one plan view shows the map: the world point at the image centre, given
// along the view's right and up axes, and the scale.
struct plan_camera {
  plan_axis axis = plan_axis::top;
  double centre_u = 0, centre_v = 0;
  double zoom = 0.5;  // pixels per map unit
  int width = 640, height = 480;
};

// The world axes (0 x, 1 y, 2 z) that run right and up in the view, and the
// one it looks along.
int right_axis(plan_axis a);
int up_axis(plan_axis a);
int depth_axis(plan_axis a);
// How near the eye a point is along the view axis: larger is nearer.
float nearness(plan_axis a, const vertex_t& p);

// The image position of the view's world coordinates (u right, v up), of a
// world point, and the view's (right, up) world
// coordinates at an image position.
QPointF view_pixel(const plan_camera& c, double u, double v);
QPointF plan_pixel(const plan_camera& c, const vertex_t& p);
QPointF plan_world(const plan_camera& c, QPointF pixel);
// Multiplies the zoom by factor, within the limits, keeping the world point
// under pixel where it is.
void zoom_about(plan_camera& c, QPointF pixel, double factor);

// Every brush a plan view shows: the brushes of the brush entities and the
// marker boxes of the point entities still in the map, but for hidden ones.
std::vector<brush_t*> plan_brushes();

// The brushes whose outline passes within a few pixels of pixel or whose area
// covers it, the one reaching nearest the eye first (ties in map order).
std::vector<brush_t*> brushes_at(const plan_camera& c, QPointF pixel);

// One frame of a plan view into image (RGB32, the camera's size): the grid of
// `grid` units, brush outlines, marker boxes, the selection, the current
// brush, the 3D camera, the overhead view's rectangle and, when rubber is
// given, the box being drawn (in the view's world coordinates).
void draw_plan(QImage& image, const plan_camera& c, int grid, const QRectF* rubber);
