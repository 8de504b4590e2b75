// Which faces a frame draws: the frame list and the visible set chosen in the
// overhead view.
#pragma once

#include "model/types.h"

// Rebuilds the frame list headed by the w of surflist from every visible brush
// face that passes the facing test and the frustum clip, then the marker boxes
// of point entities while options.drawentity is on. With clip set, brush faces are
// taken without any test (marker boxes are still tested).
void draw_all(surf* surflist, int clip);

// Recomputes every brush's vis from the overhead-view rectangle Srect.
void find_visible_surfaces();
