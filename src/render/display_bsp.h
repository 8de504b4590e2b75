// The display BSP: a tree of view-space fragments, built afresh every frame,
// whose walk draws farther polygons before nearer ones. Extra fragments come
// from a pool of blocks that grows to the largest frame and is then reused.
#pragma once

#include "model/types.h"

constexpr int POOL_BLOCK = 500;          // windings per pool block
constexpr int POOL_FRAME_LIMIT = 20000;  // fragments a frame may take beyond this are dropped
constexpr double SPLIT_PARALLEL = 1e-9;  // an edge this parallel to a split plane is not cut

// Splits surface by the plane of the first three points of `plane` into the
// part on the front (negative) side, stored through f, and the part on the
// back side, stored through b; a part that is not produced leaves its pointer
// as the caller set it. The front part is surface itself. A part that would
// need more than MAX_POINTS points comes as a fan of smaller pieces chained
// through `next`, the first piece being the one stored; pieces the pool
// cannot supply are dropped, like any fragment beyond the pool's limit.
void split_surf(const winding* plane, winding* surface, winding** f, winding** b);

// Hands out a pool winding, or null once the frame has had more than
// POOL_FRAME_LIMIT of them.
winding* getnextwinding();

// Starts a frame's use of the pool from its first block, creating that block
// if there is none yet.
void reset_winding_pool();

// Releases every pool block; the next reset_winding_pool starts a new pool.
void free_winding_pool();
