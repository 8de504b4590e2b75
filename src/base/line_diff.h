// Which lines of one text differ from another: the fewest lines to take out
// of a and put in from b, as runs. A line is its text with its line break
// ("\n", "\r\n" or a lone "\r"), so a changed line break is a changed line.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// Lines [a_begin, a_end) of a give way to lines [b_begin, b_end) of b,
// counted from 0; either run may be empty.
struct line_hunk {
  std::size_t a_begin = 0, a_end = 0;
  std::size_t b_begin = 0, b_end = 0;
  bool operator==(const line_hunk&) const = default;
};

// The lines of text, each with its line break.
std::vector<std::string_view> split_lines(std::string_view text);

// The runs that differ, in order. Where more than max_edits lines would have
// to change, the stretch between the alike lines at both ends is given as
// one run rather than searched further.
std::vector<line_hunk> line_hunks(std::string_view a, std::string_view b, std::size_t max_edits = 2000);
