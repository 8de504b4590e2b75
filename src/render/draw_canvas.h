// The drawing state of the 3D view and the operations that draw one frame into
// its 800 x 600 off-screen image. The editor's drawing window derives from this
// class and adds the timer and the copy to the screen; the tool and the tests
// draw frames with it directly, without a display.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <array>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "model/colour.h"
#include "model/types.h"
#include "model/view_defaults.h"
#include "render/band_worker.h"
#include "render/display_bsp.h"
#include "render/frame_list.h"
#include "render/raster.h"
#include "render/world_bsp.h"

constexpr int VIEW_WIDTH = 800;
constexpr int VIEW_HEIGHT = 600;

// What the status lines show of the window that owns the view, beyond the
// camera, the map and the frame's own counts. The window keeps them up to
// date; the drawing only prints them.
struct status_values {
  short testing_value = -75;  // "testing": the S and A keys step it
  int keydown = 0;            // last key code
  int keyflags = 0;           // flags of the last key
  std::string cmdline;        // the argument string the program was started with

  bool operator==(const status_values&) const = default;
};

class TDrawCanvas {
 public:
  TDrawCanvas();
  ~TDrawCanvas();
  TDrawCanvas(const TDrawCanvas&) = delete;
  TDrawCanvas& operator=(const TDrawCanvas&) = delete;

  // One whole frame into winbmp: faces, outlines, cross-hair, status lines,
  // the memory load read afresh.
  void EvDraw();
  // The same with the memory load as it stands.
  void draw_frame();

  // Projects temp to the screen and draws it: with usecolor in its own colour,
  // otherwise in the current pen; filled when solid is set, else outlined.
  // Picks the face and vertex under the mouse point unless a drag is on.
  void makepoly(winding* temp, int usecolor, int solid);

  // Outlines, in the current pen, the faces of brush that survive the facing
  // test and the frustum clip; only while "fix brushes" is on.
  void draw_brush(brush_t* brush);
  // Outlines a face of the face selection in the current pen, crossed from
  // its first corner, when it survives the facing test and the clip.
  void draw_selected_face(surf* s);

  // Draws the display BSP rooted at root (built by display_bsp::build) back
  // to front, projecting and picking as makepoly does.
  void draw_tree(winding* root);

  // The frame's faces in painter's order through the world tree, brought up
  // to date with the map first (during a drag an out-of-date tree is not
  // built again: the frame sorts its own fragments); what draw_frame draws of
  // them in ordered mode.
  void draw_ordered();

  // The three status lines as the next frame would write them.
  std::array<std::string, 3> status_lines() const;

  // Selects a new solid pen of width 1 (the fill brush is left alone).
  void select_pen(colour_t c) { Pen = c; }

  QImage winbmp;                    // the off-screen 800 x 600 image
  QPainter window;                  // text and clearing into winbmp, for the whole life of the canvas
  float view = START_FOCAL_LENGTH;  // focal length in pixels
  short xss = START_CENTRE_X, yss = START_CENTRE_Y;  // screen position of the view centre
  float vd = START_ZOOM;                             // zoom after the perspective division
  colour_t Pen = make_rgb(0, 64, 64);                // colour of the pen last selected (width 1, solid)
  colour_t Brush = make_rgb(255, 255, 0);            // colour of the fill brush last selected
  bool DragDC = false;                               // true while a mouse drag is in progress
  bool brushes_moving = false;                       // a plan view is dragging brushes
  int candraw = 0;                                   // non-zero while there is a map to draw
  QPoint Point{-10000, -10000};                      // latest mouse position; far off until the mouse is seen
  QSize clientsize{VIEW_WIDTH, VIEW_HEIGHT};         // client area; only this much is cleared
  unsigned long memory = 0;                          // memory load in per cent, for the status line
  status_values status;                              // the rest of the status lines
  std::function<unsigned long()> memory_status;      // when set, refreshes `memory` every frame
  // The texture of a name, for textured drawing; unset, every face shows the
  // checkerboard of a missing texture.
  std::function<const texture_image&(const std::string&)> texture_of;
  // Bands of rows the face polygons are drawn in, side by side on their own
  // threads (1 or 2); the picture is the same either way. Two gain on a
  // machine with a core to spare and lose where other work holds the cores,
  // waiting for the second thread to be run, so one is the default.
  int bands = 1;

 private:
  // Screen points of temp into pts (room for MAX_POINTS), picking the face
  // and vertex under the mouse as makepoly does; returns how many.
  int project(winding* temp, QPoint* pts);
  // Only the screen points, nothing picked.
  int project_points(const winding* temp, QPoint* pts) const;
  // Whether the mouse point is inside the polygon by at least margin (in the
  // cross products of its edges); a negative margin takes in its edges.
  bool mouse_inside(const QPoint* pts, int n, float margin) const;

  // The frame's face polygons: each is projected and picked in drawing order
  // (as makepoly with usecolor 1 would), and draw_queue then puts them all
  // down, filled when solid is set, with the picture drawing them in that
  // order would give.
  void queue_poly(winding* temp);
  void draw_queue(int solid);

  void put_pixel(int x, int y, colour_t c);
  void put_text(int x, int y, const std::string& text);
  void draw_status();

  face_windings frame_windings;  // the frame list's polygons
  int text_ascent = 0;
  display_bsp tree;
  world_bsp world;                     // the ordered view's tree, kept between frames
  std::vector<surf*> pick_candidates;  // faces of the ordered frame's pieces the mouse touches
  struct queued_polygon {
    std::size_t first;  // into queued_points
    int count;
    colour_t clr;
    const winding* w;
  };
  // Fills, within band, one queued polygon: textured, shaded or in its colour.
  void fill_queued(const raster_target& band, const queued_polygon& q);
  struct bounded_polygon {
    std::size_t index;   // into queued
    int x0, y0, x1, y1;  // bounds of its points
  };
  std::vector<queued_polygon> queued;  // these too keep their room between frames
  std::vector<QPoint> queued_points;
  std::vector<std::int32_t> seen;              // hash slots of queued polygons already drawn, or -1
  std::vector<bounded_polygon> nearest_first;  // what draw_queue puts down, in that order
  coverage_mask cover;
  band_worker worker;        // draws the lower band of rows
  std::mutex texture_guard;  // texture_of is called from both bands
};
