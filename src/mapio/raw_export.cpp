#include "mapio/raw_export.h"

#include <cmath>
#include <utility>

#include "base/number_text.h"
#include "mapio/atomic_file.h"
#include "model/map_state.h"

std::string raw_text(const vertex_t& centre) {
  std::string out;
  for (const brushlist* n = blist; n->brush != nullptr; n = n->next) {
    if (n->brush->valid == 0) continue;
    for (const surf* s = n->brush->fsurf; s != nullptr; s = s->next) {
      // A face of more corners goes out as the triangle of its first three.
      for (int i = 0; i < 3; ++i) {
        const vertex_t& p = s->point[i];
        for (const auto& [v, c] : {std::pair{p.x, centre.x}, {p.y, centre.y}, {p.z, centre.z}}) {
          append_fixed(out, std::floor((static_cast<double>(v) + 0.5) - c), 0);
          out += ' ';
        }
      }
      out += '\n';
    }
  }
  return out;
}

std::string write_raw(const std::string& path, const vertex_t& centre) {
  return write_file_atomically(path, raw_text(centre));
}
