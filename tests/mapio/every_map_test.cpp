// Every map there is, in every dialect, read and written back: what is read
// again means the same, and the original maps are saved exactly as they
// always were. The real maps come from outside the project; the map the tests
// build is read wherever they are not.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/whole_file.h"
#include "built_map.h"
#include "mapio/map_compare.h"
#include "mapio/map_parser.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "mapio/source_layout.h"
#include "model/colour.h"
#include "model_fixture.h"

namespace {

namespace fs = std::filesystem;

std::uint64_t fingerprint(const std::string& text) {
  std::uint64_t h = 0xcbf29ce484222325ULL;  // FNV-1a
  for (const char c : text) {
    h ^= static_cast<unsigned char>(c);
    h *= 0x100000001b3ULL;
  }
  return h;
}

// The saves of the original maps, byte for byte as every earlier version
// wrote them: size and fingerprint.
const std::map<std::string, std::pair<std::size_t, std::uint64_t>> original_saves = {
    {"dm1.map", {330653, 0x6a545e1387090094ULL}},  {"dm3.map", {466868, 0x962fc544e58bf262ULL}},
    {"e1m1.map", {831241, 0x7fa0ed8a838e6084ULL}}, {"e1m2.map", {729695, 0x794f60901b8523b1ULL}},
    {"e1m3.map", {794048, 0x36c63da6eb039a42ULL}}, {"e2m2.map", {809785, 0x6f71656cdaabe5baULL}},
    {"e4m3.map", {670601, 0x2a058bd03fb536ccULL}}, {"start.map", {829163, 0x8d57f346ce309928ULL}},
};

// The built map, then the maps of each folder of real maps; a folder that is
// not there stands in for its maps, so that its case is skipped by name.
std::vector<std::string> every_map() {
  std::vector<std::string> paths;
  for (const char* folder : {"", "wild"}) {
    const fs::path dir = *folder != '\0' ? fs::path(VELD_MAPS_DIR) / folder : fs::path(VELD_MAPS_DIR);
    if (!fs::is_directory(dir)) {
      paths.push_back(dir.string());
      continue;
    }
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().extension() == ".map") paths.push_back(entry.path().string());
    }
  }
  std::sort(paths.begin(), paths.end());
  paths.insert(paths.begin(), BUILT_MAP);
  return paths;
}

std::string resolved(const std::string& path) { return path == BUILT_MAP ? built_map_path() : path; }

// Everything the model holds after a read, as bytes: every face's points,
// plane, texture fields and colour, every brush, pair and entity.
std::string model_bytes() {
  std::string out;
  auto put = [&out](const auto& v) { out.append(reinterpret_cast<const char*>(&v), sizeof v); };
  auto put_text = [&](const std::string& t) {
    put(t.size());
    out += t;
  };
  auto put_pairs = [&](const keyval* kv) {
    for (; kv != nullptr; kv = kv->next) {
      put_text(kv->key);
      put_text(kv->value);
    }
    put('|');
  };
  auto put_brush = [&](const brush_t* b) {
    put(b->valid);
    put(b->vis);
    put(b->entity);
    put(b->numsurfaces);
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      put(s->numpoints);
      for (int i = 0; i < s->numpoints; ++i) put(s->point[i]);
      for (const auto& field : {s->norm, s->filepoint[0], s->filepoint[1], s->filepoint[2]}) put(field);
      for (const float field : {s->dist, s->sofs, s->tofs, s->flips, s->scale[0], s->scale[1]})
        put(field);
      for (const int field : {s->hasfilepoints, s->hasaxes, s->vis, s->solid}) put(field);
      put(s->texaxis);
      put(s->clr);
      put_text(s->texname);
      put_text(s->extra);
    }
    put('|');
  };
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    put_pairs(h->header);
    put(h->keepempty);
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) put_brush(b);
  }
  for (int i = 0; i < numentity; ++i) {
    put_pairs(entities[i].header);
    put(entities[i].origin);
    put(entities[i].valid);
    if (entities[i].brush != nullptr) put_brush(entities[i].brush);
  }
  put(map_dialect);
  return out;
}

std::string report_text(const load_report& r) {
  std::string out = r.error + "|" + std::to_string(r.brush_entities) + " " +
                    std::to_string(r.obsolete_pairs) + " " + std::to_string(r.malformed_numbers) + " " +
                    std::to_string(r.complete) + " " + std::to_string(r.unlisted_problems) + "\n";
  for (const load_problem& p : r.problems) out += std::to_string(p.line) + ": " + p.text + "\n";
  return out;
}

// The plane points of every face of every brush in a map text, at the
// precision the text gives them.
using face_points = std::vector<vec3>;  // three a face
std::vector<face_points> brush_points(const std::string& text) {
  load_report report;
  map_parser parser(text, report);
  std::vector<face_points> brushes;
  for (parsed_record r; parser.next(r);) {
    if (r.kind == record_kind::brush) brushes.emplace_back();
    if (r.kind == record_kind::face)
      brushes.back().insert(brushes.back().end(), r.face.point, r.face.point + 3);
  }
  return brushes;
}

// How many written faces are on no plane their brush was read with: each
// must have the very points of a read face, or be whole numbers within the
// writer's tolerance of one's plane, facing its way.
int moved_planes(const std::string& read_text, const std::string& written_text) {
  const std::vector<face_points> read = brush_points(read_text), written = brush_points(written_text);
  if (read.size() != written.size()) return -1;
  int moved = 0;
  for (std::size_t b = 0; b < read.size(); ++b) {
    for (std::size_t w = 0; w < written[b].size(); w += 3) {
      const vec3* p = &written[b][w];
      const bool whole = std::all_of(p, p + 3, [](const vec3& v) {
        return v.x == std::floor(v.x) && v.y == std::floor(v.y) && v.z == std::floor(v.z);
      });
      bool kept = false;
      for (std::size_t r = 0; r < read[b].size() && !kept; r += 3) {
        const vec3* q = &read[b][r];
        if (std::equal(p, p + 3, q)) kept = true;
        const vec3 n = normalized(cross(q[1] - q[0], q[2] - q[0]));
        if (!whole || dot(n, cross(p[1] - p[0], p[2] - p[0])) <= 0) continue;
        kept = std::all_of(
            p, p + 3, [&](const vec3& v) { return std::fabs(dot(n, v - q[0])) <= WRITTEN_PLANE_TOLERANCE; });
      }
      moved += kept ? 0 : 1;
    }
  }
  return moved;
}

class EveryMap : public ModelTest, public ::testing::WithParamInterface<std::string> {};

}  // namespace

TEST_P(EveryMap, ComesBackWholeOrIsRefused) {
  const std::string path = resolved(GetParam());
  SKIP_WITHOUT(path);
  const load_report first = read_map(path);
  if (!first.ok()) {
    // Refused maps say what they hold that cannot be kept, and where.
    EXPECT_NE(first.error.find("on line"), std::string::npos) << first.error;
    return;
  }
  ASSERT_TRUE(first.complete) << GetParam();
  EXPECT_MODEL_OK();
  const int dialect = map_dialect;
  const map_record before = record_model();
  const std::string text = map_text();

  const auto original = original_saves.find(fs::path(GetParam()).filename().string());
  if (original != original_saves.end()) {
    EXPECT_EQ(text.size(), original->second.first);
    EXPECT_EQ(fingerprint(text), original->second.second);
  }

  // No plane moves but by the whole-number rule.
  std::string read_text;
  ASSERT_EQ(read_whole_file(path, read_text), "");
  EXPECT_EQ(moved_planes(read_text, text), 0);
  // Saved keeping the file's layout, the file comes back byte for byte.
  EXPECT_TRUE(map_text_keeping_layout() == read_text);

  const load_report second = read_map_text(text);
  ASSERT_TRUE(second.ok() && second.complete);
  EXPECT_EQ(second.problems.size(), first.problems.size());
  EXPECT_EQ(map_dialect, dialect);
  const std::vector<std::string> differences = compare_maps(before, record_model());
  EXPECT_TRUE(differences.empty()) << differences.size() << " differences, the first: " << differences[0];
  // A second save changes nothing more.
  EXPECT_EQ(map_text(), text);
}

INSTANTIATE_TEST_SUITE_P(Maps, EveryMap, ::testing::ValuesIn(every_map()), [](const auto& info) {
  std::string name =
      fs::path(info.param).parent_path().filename().string() + "_" + fs::path(info.param).stem().string();
  for (char& c : name) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) c = '_';
  }
  return name;
});

// Brushes are rebuilt on several threads while the text is read; the model
// and the report must not depend on how many. Every test map, and a map of
// many brushes whose problems (planes that are not a number, malformed
// numbers) run past the listed ones, where the report is also checked
// against the problems written into it, in file order.
TEST_F(ModelTest, EveryMapReadsTheSameOnOneThreadAndOnSeveral) {
  std::string made = "{\n\"classname\" \"worldspawn\"\n";
  std::vector<std::pair<int, std::string>> expected;  // line and the start of each problem
  int line = 3;
  for (int k = 0; k < 700; ++k) {
    const int brush_line = line;
    const std::string x = std::to_string(k * 80);
    const std::string x2 = std::to_string(k * 80 + 64);
    made += "{\n";
    ++line;
    const bool unbuilt = k % 7 == 3, malformed = k % 11 == 5;
    made += unbuilt ? "( -3e38 0 0 ) ( 3e38 0 0 ) ( 0 3e38 0 ) T 0 0 0 1 1\n"
                    : "( " + x + " 0 0 ) ( " + x + " 64 0 ) ( " + x + " 0 64 ) T 0 0 0 1 1\n";
    made += "( " + x2 + " 0 0 ) ( " + x2 + " 0 64 ) ( " + x2 + " 64 0 ) T 0 0 0 1 1\n";
    made += "( " + x + " 0 0 ) ( " + x + " 0 64 ) ( " + x2 + " 0 0 ) T 0 0 0 1 1\n";
    made += std::string("( ") + x + " 64 0 ) ( " + x2 + " 64 0 ) ( " + x + " 64 64 ) T " +
            (malformed ? "x" : "0") + " 0 0 1 1\n";
    made += "( " + x + " 0 0 ) ( " + x2 + " 0 0 ) ( " + x + " 64 0 ) T 0 0 0 1 1\n";
    made += "( " + x + " 0 64 ) ( " + x + " 64 64 ) ( " + x2 + " 0 64 ) T 0 0 0 1 1\n}\n";
    if (malformed) expected.emplace_back(brush_line + 4, "the number \"x\"");
    if (unbuilt) expected.emplace_back(brush_line, "1 face(s)");
    line += 7;
  }
  made += "}\n";
  const std::string made_path = ::testing::TempDir() + "many_brushes.map";
  std::ofstream(made_path, std::ios::binary) << made;

  std::vector<std::string> paths = every_map();
  paths.push_back(made_path);
  for (const std::string& name : paths) {
    const std::string path = resolved(name);
    if (!fs::is_regular_file(path)) continue;  // a folder of real maps that is not there
    SCOPED_TRACE(path);
    std::string bytes[3], reports[3];
    const int threads[3] = {1, 2, 5};
    for (int i = 0; i < 3; ++i) {
      veld_srand(1);
      const load_report r = read_map(path, threads[i]);
      bytes[i] = model_bytes();
      reports[i] = report_text(r);
      release_map();
    }
    EXPECT_TRUE(bytes[0] == bytes[1] && bytes[0] == bytes[2]);
    EXPECT_EQ(reports[0], reports[1]);
    EXPECT_EQ(reports[0], reports[2]);
  }

  const load_report r = read_map(made_path, 3);
  ASSERT_EQ(static_cast<int>(r.problems.size()), MAX_LISTED_PROBLEMS);
  EXPECT_EQ(r.problems.size() + static_cast<std::size_t>(r.unlisted_problems), expected.size());
  for (int i = 0; i < MAX_LISTED_PROBLEMS; ++i) {
    EXPECT_EQ(r.problems[i].line, expected[i].first) << i;
    EXPECT_TRUE(r.problems[i].text.starts_with(expected[i].second)) << r.problems[i].text;
  }
}
