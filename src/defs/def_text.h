// What the two definition readers share about their text.
#pragma once

#include <cstddef>
#include <string>

#include "base/text_cursor.h"
#include "defs/entity_defs.h"

// Lists a problem met at pos of a file's text, with its line and column
// (counted by lines, a cursor over the same text); once the list is full it
// is only counted.
inline void note_problem(entity_defs& defs, const std::string& file, text_cursor& lines, std::size_t pos,
                         std::string what) {
  if (defs.problems.size() >= MAX_LISTED_DEF_PROBLEMS) {
    ++defs.unlisted_problems;
    return;
  }
  const text_place at = lines.place_at(pos);
  defs.problems.push_back({file, at.line, at.column, std::move(what)});
}
