// veld-tool check MAP [--defs FILE...]: what a compiler or the game would
// trip over, each with its line: entities of classes the definitions do not
// know, values their key's type refuses, targets no targetname answers, a map
// without a player start, and point entities inside a world brush. Reads the
// map's records, not the model, so every finding keeps its line. Exits 0 when
// nothing is listed, 1 when something is, 2 when the map or a definition file
// cannot be read.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "base/whole_file.h"
#include "defs/entity_defs.h"
#include "mapio/map_parser.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

struct entity_seen {
  int line = 0;
  std::string classname;
  std::vector<std::pair<parsed_pair, int>> pairs;  // with their lines
  bool point = false;
  vertex_t origin;
};

// A brush as its planes, each through three points with its normal into the
// brush.
struct brush_planes {
  std::vector<std::pair<vec3, vec3>> planes;  // a point and the normal

  bool holds(const vertex_t& p) const {
    if (planes.size() < 4) return false;
    for (const auto& [at, n] : planes) {
      if (dot(to_double(p) - at, n) <= 0.01) return false;  // on or outside this face
    }
    return true;
  }
};

struct map_seen {
  std::vector<entity_seen> entities;
  std::vector<brush_planes> world;  // the brushes of the first entity
};

bool read_records(const std::string& path, map_seen& out) {
  std::string text;
  if (const std::string error = read_whole_file(path, text); !error.empty()) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  load_report report;
  map_parser parser(text, report);
  parsed_record r;
  while (parser.next(r)) {
    switch (r.kind) {
      case record_kind::entity:
        out.entities.push_back({parser.where(r.at).line, "", {}, false, {}});
        break;
      case record_kind::pair:
        if (r.pair.key == "classname") out.entities.back().classname = r.pair.value;
        if (r.pair.origin) {
          out.entities.back().point = true;
          out.entities.back().origin = r.pair.point;
        }
        out.entities.back().pairs.push_back({r.pair, parser.where(r.at).line});
        break;
      case record_kind::brush:
        if (out.entities.size() == 1) out.world.emplace_back();
        break;
      case record_kind::face:
        if (out.entities.size() == 1) {
          const vec3 p0 = r.face.point[0];
          const vec3 n = normalized(cross(r.face.point[1] - p0, r.face.point[2] - p0));
          out.world.back().planes.push_back({p0, n});
        }
        break;
      default:
        break;
    }
  }
  if (parser.refused()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return false;
  }
  return true;
}

bool whole_number(const std::string& v) {
  std::size_t i = v.starts_with('-') ? 1 : 0;
  if (i == v.size()) return false;
  for (; i < v.size(); ++i) {
    if (v[i] < '0' || v[i] > '9') return false;
  }
  return true;
}

bool a_number(const std::string& v) {
  bool malformed = false;
  number_from_text(v, &malformed);
  return !v.empty() && !malformed;
}

// Why the key's type refuses value, or "" when it takes it.
std::string refusal(const class_key& k, const std::string& value) {
  switch (k.kind) {
    case key_kind::integer:
    case key_kind::flags:
      return whole_number(value) ? "" : "is not a whole number";
    case key_kind::real:
      return a_number(value) ? "" : "is not a number";
    default:
      return "";
  }
}

}  // namespace

int check_main(const std::vector<std::string>& args) {
  std::vector<std::string> maps, def_files;
  bool in_defs = false;
  for (const std::string& arg : args) {
    if (arg == "--defs") {
      in_defs = true;
    } else if (is_option(arg)) {
      std::fprintf(stderr, "veld-tool check: unknown option \"%s\"\n", arg.c_str());
      return EXIT_USAGE;
    } else {
      (in_defs ? def_files : maps).push_back(arg);
    }
  }
  if (maps.size() != 1 || (in_defs && def_files.empty())) return EXIT_USAGE;

  entity_defs chosen;
  for (const std::string& path : def_files) {
    if (const std::string error = read_definition_file(path, chosen); !error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
  }
  resolve_bases(chosen);
  const entity_defs& defs = def_files.empty() ? builtin_defs() : chosen;

  map_seen map;
  if (!read_records(maps[0], map)) return 2;

  std::set<std::string> names;
  for (const entity_seen& e : map.entities) {
    for (const auto& [p, line] : e.pairs) {
      if (p.key == "targetname") names.insert(p.value);
    }
  }
  std::vector<std::pair<int, std::string>> found;
  const auto tell = [&found](int line, const std::string& what) { found.emplace_back(line, what); };
  bool player_start = false;
  for (const entity_seen& e : map.entities) {
    player_start = player_start || e.classname == "info_player_start";
    const entity_class* c = defs.find(e.classname);
    if (c == nullptr && e.classname != "worldspawn")
      tell(e.line, "the class \"" + e.classname + "\" is not defined");
    for (const auto& [p, line] : e.pairs) {
      if ((p.key == "target" || p.key == "killtarget") && !p.value.empty() && names.count(p.value) == 0)
        tell(line, p.key + " \"" + p.value + "\" matches no targetname");
      if (c == nullptr) continue;
      for (const class_key& k : c->keys) {
        if (k.name != p.key) continue;
        const std::string why = refusal(k, p.value);
        if (!why.empty()) tell(line, p.key + " \"" + p.value + "\" " + why);
      }
    }
    if (!e.point) continue;
    for (const brush_planes& b : map.world) {
      if (!b.holds(e.origin)) continue;
      tell(e.line, "the " + e.classname + " stands inside a world brush");
      break;
    }
  }
  std::stable_sort(found.begin(), found.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  for (const auto& [line, what] : found) std::printf("%d: %s\n", line, what.c_str());
  if (!player_start) std::printf("the map has no info_player_start\n");
  return found.empty() && player_start ? 0 : 1;
}
