// Raw export: the faces of the selected brushes as bare triangles for other
// tools, one line of nine whole numbers per face.
#pragma once

#include <string>

#include "model/types.h"

// One line per face of every selected brush whose `valid` is set, in
// selection and face order: the first three points, each coordinate rounded
// half up relative to centre, each number followed by a space. Empty when
// nothing is selected.
std::string raw_text(const vertex_t& centre);

// Writes raw_text(centre) to path, replacing the file only once all of it is
// written. Returns "" on success, else the reason.
std::string write_raw(const std::string& path, const vertex_t& centre);
