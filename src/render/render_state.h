// Program-wide state of the 3D view: display modes, the frame counters shown in
// the status lines and the overhead-view rectangle.
#pragma once

#include <string>

#include "model/types.h"

// A rectangle in overhead-view image pixels; right and bottom are exclusive
// edges, so the width is right - left.
struct select_rect {
  int left = -1, top = -1, right = -1, bottom = -1;
  bool operator==(const select_rect&) const = default;
};

extern int allsolid;         // fill face polygons instead of outlining them
extern int drawbsp;          // draw through the display BSP instead of in list order
extern int drawentity;       // include the marker boxes of point entities
extern int drawtextures;     // fill solid faces from their textures
extern int drawlight;        // shade solid faces by the way they face a fixed light
extern int numsurfabs;       // faces examined in the last frame
extern int numdrawn;         // faces accepted in the last frame
extern int numtlsurf;        // fragments handed out by the pool in the last frame
extern short testing_value;  // "testing" of the status line (the plain name is taken by GoogleTest)
extern int keydown;          // last key code, for the status line
extern int keyflags;         // flags of the last key, for the status line
extern select_rect Srect;    // overhead-view rectangle; left -1 means none
extern std::string cmdline;  // the argument string the program was started with

// Every value above back to its start-up value. The fragment pool is only
// rewound: its blocks belong to the drawing surface (see free_winding_pool).
void reset_render_state();
