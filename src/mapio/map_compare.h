// Two maps compared by what they mean rather than by their bytes: entities
// and their pairs, brushes matched by their planes, and what the file says of
// every face. A map saved and read again compares equal to the map it came
// from.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "model/types.h"

struct face_record {
  bool has_plane = false;  // false when the three points lie on one line
  double normal[3] = {0, 0, 0};
  double dist = 0;
  double points[3][3] = {};  // the three points the plane goes through
  std::string texname;
  float values[5] = {0, 0, 0, 0, 0};  // offsets, rotation, scales
  bool has_axes = false;
  float axes[2][3] = {};
  std::string extra;
};

struct brush_record {
  std::vector<face_record> faces;
};

struct entity_record {
  bool point = false;
  std::vector<std::pair<std::string, std::string>> pairs;
  vertex_t origin;  // point entities only
  std::vector<brush_record> brushes;
};

struct map_record {
  std::vector<entity_record> entities;
};

// The map in the model: brush entities first, then point entities, each in
// list order, as the writer puts them. Entities the writer leaves out are
// left out here too.
map_record record_model();

// Every difference from a to b, one line each; empty when they mean the same.
std::vector<std::string> compare_maps(const map_record& a, const map_record& b);
