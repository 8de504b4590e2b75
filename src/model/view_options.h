// The switches of the views, in one record: how the 3D view draws, whether
// brushes are rebuilt from their planes, the axes the drags use, and the grid
// of the plan views. A new switch is one field here; the redraw decision and
// the reset take the record whole.
#pragma once

constexpr int GRID_SMALLEST = 1;  // map units; the grid is a power of two in between
constexpr int GRID_LARGEST = 256;
constexpr int GRID_START = 16;

struct view_options {
  int allsolid = 0;                     // fill face polygons instead of outlining them
  int drawbsp = 0;                      // draw through the display BSP instead of in list order
  int drawentity = 1;                   // include the marker boxes of point entities
  int fixb = 1;                         // "fix brushes": rebuild brushes from their planes
  int drawtextures = 0;                 // fill solid faces from their textures
  int drawlight = 0;                    // shade solid faces by the way they face a fixed light
  int dragx = 0, dragy = 0, dragz = 0;  // rotation-axis switches of the Dir menu
  int snap_to_grid = 1;                 // "Snap to grid": plan-view moves and new boxes land on the grid
  int snap_in_3d = 0;                   // the 3D view's drags and rotations snap too; only set from the menu
  int grid_size = GRID_START;           // map units between grid lines, shared by every plan view
  int show_each_pair = 1;               // OK in the entity dialogs shows a box for every pair it stores
  int clip_mode = 0;                    // plan-view clicks place the clip tool's points
  int vertex_mode = 0;                  // plan views show the corners of the one selected brush to drag

  bool operator==(const view_options&) const = default;
};

// The switches as they stand. A new window and every test start from
// view_options{}; opening or closing a map keeps them.
extern view_options options;
