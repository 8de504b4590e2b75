// Program-wide state of the 3D view: the frame counters shown in the status
// lines and the overhead-view rectangle. The display switches are view
// options (model/view_options.h).
#pragma once

#include "model/types.h"

// A rectangle in overhead-view image pixels; right and bottom are exclusive
// edges, so the width is right - left.
struct select_rect {
  int left = -1, top = -1, right = -1, bottom = -1;
  bool operator==(const select_rect&) const = default;
};

extern int numsurfabs;     // faces examined in the last frame
extern int numdrawn;       // faces accepted in the last frame
extern int numtlsurf;      // fragments handed out by the pool in the last frame
extern select_rect Srect;  // overhead-view rectangle; left -1 means none

// Every value above back to its start-up value. The fragment pool is only
// rewound: its blocks belong to the drawing surface (see free_winding_pool).
void reset_render_state();
