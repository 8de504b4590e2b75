// From brush faces to view-space polygons: preparing a face for the current
// camera, the facing test and the clip to the fixed view frustum, matching
// picked vertices back to face points, and the overhead-rectangle test.
#pragma once

#include "model/types.h"
#include "render/render_state.h"

constexpr float FACING_EPSILON = 0.001f;  // the camera must be this far in front of a face
constexpr float CLIP_ON_PLANE = 0.1f;     // a point this close to a clip plane counts as on it
constexpr float CLIP_PARALLEL = 1e-7f;    // an edge this parallel to a clip plane is not cut
constexpr int NUM_FRUSTUM_PLANES = 5;

// The five fixed planes of the view frustum in view space, in clipping order
// (near, left, right, top, bottom). Each is a winding holding one point of the
// plane and its outward normal.
extern const winding* const frustum_planes[NUM_FRUSTUM_PLANES];

// Fills w from the face's world polygon with the current camera.
void rotate_surface(surf* surface, winding* w);

// 1 when the face is to be drawn: the camera is in front of it and some of w,
// the face's polygon from rotate_surface, survives the frustum clip, which is
// left in w. Stores the face's plane distance from the camera (makenormal).
int draw_surface(surf* surface, winding* w);
// Its two halves: the facing test, which stores the plane distance and needs
// no rotate_surface, and the clip of w to the frustum (1 when some is left).
bool faces_camera(surf* surface);
int clip_to_frustum(winding* w);

// Clips surface in place to the inner side of the plane through plane's first
// point with plane's normal. Returns 1 when the polygon lies outside, -1 when
// inside, 0 when it spans the plane or the clip was abandoned (a side would
// need more than MAX_POINTS points; surface is then left as it was).
short draw_surf_side(const winding* plane, winding* surface);

// Clips w to the frustum as draw_surface clips a face, except that where an
// edge is cut the point is the same whichever way w runs along the edge, so
// pieces of a face that share edges stay joined. False when w lies outside.
bool clip_to_frustum_evenly(winding* w);

// Sets closest_point to the point of w's face whose view-space image is p
// (within 0.001 per axis), or to null when no point matches.
void find_original_vertex(const winding* w, const vertex_t* p);

// The overhead-view rectangle in map units: x1 and x2 from its left and right
// sides, y1 and y2 from its top and bottom (so y2 < y1 when it is drawn
// downwards). Only what lies strictly between them is inside.
struct overhead_area {
  float x1, x2, y1, y2;
};
overhead_area overhead_world(const select_rect& r);

// Marks the face and its brush visible when one of its points lies strictly
// inside the overhead-view rectangle r (image pixels, 10 map units each).
void surface_in_rect(surf* s, const select_rect* r);
