// A face as both file readers make it: three points from the file, which also
// stay as the points it was read with, a texture name and a display colour.
#pragma once

#include <string_view>

#include "model/types.h"

// Appends the face to b through *tail and returns it; texture values and
// the numbers read (surf::read) are the caller's to set.
surf* append_file_face(brush_t* b, surf**& tail, const vec3 p[3], std::string_view texture);
