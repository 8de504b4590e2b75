// veld-tool diff A B: what differs between two maps by meaning, one line each.
// Exits 0 when they are the same, 1 when they differ, 2 when either could not
// be read whole (or the arguments are wrong). With --text: the lines of the
// two texts that differ, each run named by the entities and brushes it lies
// in, as a save that keeps the file's layout would show them.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/line_diff.h"
#include "base/whole_file.h"
#include "mapio/map_compare.h"
#include "mapio/map_parser.h"
#include "mapio/map_reader.h"
#include "model/map_state.h"
#include "tool/load_summary.h"
#include "tool/tool_args.h"
#include "tool/tool_command.h"

namespace {

bool record_map(const std::string& path, map_record& out) {
  const load_report report = read_map(path);
  if (!report.ok()) {
    std::fprintf(stderr, "%s\n", report.error.c_str());
    return false;
  }
  print_problems(stderr, path.c_str(), report);
  const bool whole = report.complete;
  if (whole) {
    out = record_model();
  } else {
    std::fprintf(stderr, "%s was not read completely, so it cannot be compared\n", path.c_str());
  }
  release_map();
  return whole;
}

// An entity or brush of a map text and the lines it takes, from 0: [first, last).
struct text_item {
  std::size_t first = 0, last = 0;
  int entity = 0;
  int brush = -1;  // -1 for the entity itself
  std::string classname;
};

// The entities and brushes of a text in file order, each entity before its
// brushes; what the parser makes of text that is no map is as far as it got.
std::vector<text_item> text_items(const std::string& text) {
  load_report report;
  map_parser parser(text, report);
  std::vector<text_item> items;
  int entity = -1, brush = -1;
  std::size_t entity_item = 0;
  const auto line = [&](std::size_t at) { return static_cast<std::size_t>(parser.where(at).line - 1); };
  for (parsed_record r; parser.next(r);) {
    switch (r.kind) {
      case record_kind::entity:
        entity_item = items.size();
        items.push_back({line(r.at), line(r.at) + 1, ++entity, -1, ""});
        brush = -1;
        break;
      case record_kind::pair:
        if (r.pair.key == "classname") items[entity_item].classname = r.pair.value;
        break;
      case record_kind::brush:
        items.push_back({line(r.at), line(r.at) + 1, entity, ++brush, ""});
        break;
      case record_kind::brush_end:
        if (items.back().brush >= 0) items.back().last = line(r.at) + 1;
        break;
      case record_kind::entity_end:
        items[entity_item].last = line(r.at) + 1;
        break;
      default:
        break;
    }
  }
  return items;
}

// Beyond this many entities a run names only its first and last.
constexpr int LISTED_ENTITIES = 8;

// What the lines [first, last) of a text lie in: "entity 3 (light)", with
// ", brush 4" or ", brushes 4-6" where they touch brushes.
std::string place_of(const std::vector<text_item>& items, std::size_t first, std::size_t last) {
  const auto touches = [&](const text_item& i) {
    return i.first < std::max(last, first + 1) && first < i.last;
  };
  std::string out;
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (!touches(items[k])) continue;
    if (items[k].brush < 0) {
      out += (out.empty() ? "entity " : "; entity ") + std::to_string(items[k].entity) + " (" +
             items[k].classname + ")";
      continue;
    }
    std::size_t end = k;  // the run of touched brushes that starts here
    while (end + 1 < items.size() && items[end + 1].brush >= 0 && touches(items[end + 1])) ++end;
    out += end == k ? ", brush " + std::to_string(items[k].brush)
                    : ", brushes " + std::to_string(items[k].brush) + "-" + std::to_string(items[end].brush);
    k = end;
  }
  if (out.empty()) return "outside any entity";
  // A run over many entities is told by the first and last.
  if (std::count(out.begin(), out.end(), ';') >= LISTED_ENTITIES) {
    const auto first = std::find_if(items.begin(), items.end(), touches);
    const auto last = std::find_if(items.rbegin(), items.rend(), touches);
    return "entities " + std::to_string(first->entity) + "-" + std::to_string(last->entity);
  }
  return out;
}

std::string lines_text(char side, std::size_t first, std::size_t last) {
  if (first == last) return std::string(1, side) + " none (after line " + std::to_string(first) + ")";
  return std::string(1, side) + " lines " + std::to_string(first + 1) + "-" + std::to_string(last);
}

int diff_texts(const std::string& a_path, const std::string& b_path) {
  std::string a, b;
  for (const auto& [path, text] : {std::pair{&a_path, &a}, std::pair{&b_path, &b}}) {
    if (const std::string error = read_whole_file(*path, *text); !error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 2;
    }
  }
  const std::vector<text_item> a_items = text_items(a), b_items = text_items(b);
  const std::vector<line_hunk> hunks = line_hunks(a, b);
  for (const line_hunk& h : hunks) {
    const std::string where = h.a_begin < h.a_end ? place_of(a_items, h.a_begin, h.a_end)
                                                  : "in B " + place_of(b_items, h.b_begin, h.b_end);
    std::printf("%s, %s: %s\n", lines_text('A', h.a_begin, h.a_end).c_str(),
                lines_text('B', h.b_begin, h.b_end).c_str(), where.c_str());
  }
  return hunks.empty() ? 0 : 1;
}

}  // namespace

int diff_main(const std::vector<std::string>& options) {
  std::vector<std::string> args = options;
  const bool text = take_flag(args, "--text");
  if (!paths_only("diff", args, 2)) return EXIT_USAGE;
  if (text) return diff_texts(args[0], args[1]);
  map_record a, b;
  if (!record_map(args[0], a) || !record_map(args[1], b)) return 2;
  const std::vector<std::string> differences = compare_maps(a, b);
  for (const std::string& line : differences) std::printf("%s\n", line.c_str());
  return differences.empty() ? 0 : 1;
}
