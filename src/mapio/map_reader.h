// Reading a .map file into the map model. A read that succeeds replaces the
// model and puts the camera at (0, 0, 0); one that fails leaves both as they
// were. The reader never shows anything: the window shows the messages from
// what the report says.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/types.h"

// Problems listed one by one; more are only counted, so a garbled file does
// not bury the first ones.
constexpr int MAX_LISTED_PROBLEMS = 50;

struct load_problem {
  int line = 0;      // 1-based line of the text where it was met
  int column = 0;    // 1-based column on that line, in bytes
  std::string text;  // a sentence for the user
};

struct load_report {
  // Set when nothing was loaded: the file could not be read, it was refused
  // (not a map, too many point entities, something the editor cannot keep),
  // or memory ran out.
  std::string error;
  bool not_a_map = false;              // refused: no entity, or NULs before the first one
  int brush_entities = 0;              // the count of "finished loading %d models"
  int obsolete_pairs = 0;              // pairs met outside an entity's leading pairs
  int malformed_numbers = 0;           // number tokens read as 0
  bool complete = true;                // false when reading stopped before the end of the text
  std::vector<load_problem> problems;  // in file order, at most MAX_LISTED_PROBLEMS
  int unlisted_problems = 0;           // further problems beyond the list

  bool ok() const { return error.empty(); }
};

// Reads the file at path. A file that is not a map is refused with the error
// "<path> is not a map file". The brushes are rebuilt from their planes on
// `threads` threads, the reading one included; 0 takes the VELD_READ_THREADS
// environment variable, else one a core. The model and the report are the
// same whatever the number.
load_report read_map(const std::string& path, int threads = 0);

// Reads map text held in memory.
load_report read_map_text(std::string_view text, int threads = 0);

// Adds the map text to the open map, as a paste does: the brushes of its
// world join the world, its other entities come after the world and its
// point entities after the others, each keeping its pairs. The camera stays.
// On success `added` holds every brush added, markers included. Text that
// does not read whole as a map, or point entities more than the table has
// room for, change nothing and the report says why.
load_report merge_map_text(std::string_view text, std::vector<brush_t*>& added);
