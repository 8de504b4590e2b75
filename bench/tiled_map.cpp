#include "tiled_map.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "base/number_text.h"
#include "map_cases.h"
#include "mapio/atomic_file.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"

namespace {

namespace fs = std::filesystem;

// One entity of the writer's text: its pair lines and its brush blocks.
struct entity_text {
  std::vector<std::string> pairs;
  std::vector<std::vector<std::string>> brushes;  // face lines of each brush
  bool point = false;
};

// The writer puts every brace, pair and face on a line of its own.
std::vector<entity_text> split_entities(const std::string& text) {
  std::vector<entity_text> out;
  std::istringstream in(text);
  int depth = 0;
  for (std::string line; std::getline(in, line);) {
    if (line == "{") {
      if (depth++ == 0) {
        out.emplace_back();
      } else {
        out.back().brushes.emplace_back();
      }
    } else if (line == "}") {
      --depth;
    } else if (depth == 1) {
      out.back().pairs.push_back(line);
      if (line.starts_with("\"origin\" ")) out.back().point = out.back().brushes.empty();
    } else if (depth == 2) {
      out.back().brushes.back().push_back(line);
    }
  }
  return out;
}

std::string number(double v) {
  std::string s;
  if (v == std::floor(v)) {
    append_fixed(s, v, 0);
  } else {
    append_shortest(s, static_cast<float>(v));
  }
  return s;
}

// x and y of every "( x y z )" in a face line, or of an origin pair, moved by (dx, dy).
std::string shifted(const std::string& line, double dx, double dy) {
  std::istringstream words(line);
  std::string out, word;
  int in_point = -1;  // the coordinate being read inside parentheses
  const bool origin = line.starts_with("\"origin\" ");
  if (origin) {
    std::istringstream value(line.substr(10, line.size() - 11));
    double xyz[3] = {0, 0, 0};
    for (double& v : xyz) {
      if (value >> word) v = number_from_text(word);
    }
    return "\"origin\" \"" + number(xyz[0] + dx) + " " + number(xyz[1] + dy) + " " + number(xyz[2]) + "\"";
  }
  while (words >> word) {
    if (!out.empty()) out += ' ';
    if (word == "(") {
      in_point = 0;
    } else if (word == ")") {
      in_point = -1;
    } else if (in_point >= 0) {
      const double v = number_from_text(word);
      word = number(in_point == 0 ? v + dx : in_point == 1 ? v + dy : v);
      ++in_point;
    }
    out += word;
  }
  return out;
}

std::string tiling_text(const std::string& text, int n) {
  const std::vector<entity_text> ents = split_entities(text);
  if (ents.empty()) return {};
  double lo[2] = {INFINITY, INFINITY}, hi[2] = {-INFINITY, -INFINITY};
  for (const entity_text& e : ents) {
    for (const auto& brush : e.brushes) {
      for (const std::string& face : brush) {
        std::istringstream words(face);
        std::string word;
        int in_point = -1;
        while (words >> word) {
          if (word == "(") {
            in_point = 0;
          } else if (word == ")") {
            in_point = -1;
          } else if (in_point == 0 || in_point == 1) {
            const double v = number_from_text(word);
            lo[in_point] = std::min(lo[in_point], v);
            hi[in_point] = std::max(hi[in_point], v);
            ++in_point;
          }
        }
      }
    }
  }
  const double span[2] = {std::floor(hi[0] - lo[0]) + 256, std::floor(hi[1] - lo[1]) + 256};

  std::string world = "{\n", rest;
  for (const std::string& p : ents[0].pairs) world += p + "\n";
  int points = 0;
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      const double dx = i * span[0], dy = j * span[1];
      for (std::size_t k = 0; k < ents.size(); ++k) {
        const entity_text& e = ents[k];
        if (e.point && points++ >= MAX_ENTITIES) continue;
        std::string& to = k == 0 ? world : rest;
        if (k != 0) {
          to += "{\n";
          for (const std::string& p : e.pairs) to += shifted(p, dx, dy) + "\n";
        }
        for (const auto& brush : e.brushes) {
          to += "{\n";
          for (const std::string& face : brush) to += shifted(face, dx, dy) + "\n";
          to += "}\n";
        }
        if (k != 0) to += "}\n";
      }
    }
  }
  return world + "}\n" + rest;
}

}  // namespace

std::string tiled_map(const std::string& path, int n) {
  static std::map<std::pair<std::string, int>, std::string> made;
  const auto key = std::make_pair(path, n);
  if (const auto found = made.find(key); found != made.end()) return found->second;
  if (!read_map(path).ok()) return {};
  const std::string text = map_text();
  release_map();
  const std::string out = (scratch_dir() / (fs::path(path).stem().string() + "_" + std::to_string(n) + "x" +
                                            std::to_string(n) + ".map"))
                              .string();
  if (!write_file_atomically(out, tiling_text(text, n)).empty()) return {};
  made[key] = out;
  return out;
}
