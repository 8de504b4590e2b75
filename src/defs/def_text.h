// What the two definition readers share about their text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/text_cursor.h"
#include "defs/entity_defs.h"

// Lists a problem met at pos of a file's text, with its line (counted by
// lines, a cursor over the same text) and column; once the list is full it
// is only counted.
inline void note_problem(entity_defs& defs, const std::string& file, std::string_view text,
                         text_cursor& lines, std::size_t pos, std::string what) {
  if (defs.problems.size() >= MAX_LISTED_DEF_PROBLEMS) {
    ++defs.unlisted_problems;
    return;
  }
  std::size_t start = pos;
  while (start > 0 && text[start - 1] != '\n' && text[start - 1] != '\r') --start;
  defs.problems.push_back({file, lines.line_at(pos), static_cast<int>(pos - start) + 1, std::move(what)});
}
