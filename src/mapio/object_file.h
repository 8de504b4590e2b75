// Object files (.vlp): a group of brushes with no entity around them, for
// reuse as a ready-made piece. Saved from the selection relative to the
// group's centre; merged back into the world entity at a given position.
#pragma once

#include <string>
#include <string_view>

#include "model/types.h"

// The selected brushes whose `valid` is set, one "{ ... }" block each, every
// point as a whole number relative to centre. Texture numbers are written as
// 0 0 0 1 1. Empty when nothing is selected.
std::string object_text(const vertex_t& centre);

// Writes object_text(centre) to path, replacing the file only once all of it
// is written. Returns "" on success, else the reason.
std::string write_object(const std::string& path, const vertex_t& centre);

struct object_report {
  std::string error;          // set when nothing was merged; the map is as it was
  int brushes = 0;            // brushes merged into the world entity
  int malformed_numbers = 0;  // number tokens read as 0
  int unclosed_brushes = 0;   // merged without a closing '}': not rebuilt, not selected
  int unbuilt_faces = 0;      // faces whose plane is not a number, left as read
  bool complete = true;       // false when the text ended inside a face, which was dropped

  bool ok() const { return error.empty(); }
  bool clean() const {
    return complete && malformed_numbers == 0 && unclosed_brushes == 0 && unbuilt_faces == 0;
  }
};

// Reads object text and merges its brushes, each point moved by offset, at the
// head of the world entity's brush list in the order they were read. The
// selection is replaced by the brushes that were closed. With no world entity
// nothing is read and the report carries the error.
object_report merge_object_text(std::string_view text, const vertex_t& offset);

// The same for the file at path; a file that cannot be read changes nothing.
object_report merge_object(const std::string& path, const vertex_t& offset);
