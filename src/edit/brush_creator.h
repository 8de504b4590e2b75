// What the brush creator builds once its dialog has closed: a box ahead of the
// camera, or a room around it, starting a map from nothing when none is open.
#pragma once

enum class creator_outcome {
  built,         // the box or room is in the map
  cancelled,     // the dialog was not closed with OK; nothing changed
  out_of_range,  // a size, or a room size less its thickness, is not a number
                 // or not a box size (-32768..32767); nothing changed
};

// The sizes arrive as numbers already read from the dialog's fields; each is
// cut towards zero to a whole number. A room is the box of length x width x
// height around the camera less an inner box `thickness` smaller in every
// direction; with `hollow` the inner box is removed too, otherwise it stays as
// a solid brush. Without `room` a plain box is made 100 units ahead.
creator_outcome brush_creator_build(int ok, double length, double width, double height, double thickness,
                                    int room, int hollow);
