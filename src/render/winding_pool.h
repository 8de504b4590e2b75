// The fragment pool: the windings the display BSP's splits make, taken from
// blocks that grow to the largest frame and are then reused frame after frame.
// The drawing surface owns the blocks (it frees them when it goes).
#pragma once

#include "model/types.h"

constexpr int POOL_BLOCK = 500;  // windings per pool block

extern windinglist* windlist;   // first block of the pool
extern windinglist* cwindlist;  // block fragments are being handed out from

// Hands out a pool winding, adding a block when the frame has used them all.
// Each one counts in numtlsurf.
winding* getnextwinding();

// Gives back the winding getnextwinding handed out last, for the next call.
void unget_winding();

// Starts a frame's use of the pool from its first block, creating that block
// if there is none yet.
void reset_winding_pool();

// Releases every pool block; the next reset_winding_pool starts a new pool.
void free_winding_pool();
