// Every map of the test data, in every dialect, read and written back: what
// is read again means the same, and the original maps are saved exactly as
// they always were.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "mapio/map_compare.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
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

std::vector<std::string> every_map() {
  std::vector<std::string> paths;
  for (const char* folder : {"", "wild"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(VELD_MAPS_DIR) / folder)) {
      if (entry.path().extension() == ".map") paths.push_back(entry.path().string());
    }
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

class EveryMap : public ModelTest, public ::testing::WithParamInterface<std::string> {};

}  // namespace

TEST_P(EveryMap, ComesBackWholeOrIsRefused) {
  const load_report first = read_map(GetParam());
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
