// Saves that keep the file's own text: what the mapper did not touch stays as
// it was read, byte for byte; what they changed is rewritten in its place.
#include "mapio/source_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/line_diff.h"
#include "base/whole_file.h"
#include "built_map.h"
#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "edit/transforms.h"
#include "mapio/map_compare.h"
#include "mapio/map_reader.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

std::vector<brush_t*> world_brushes() {
  std::vector<brush_t*> out;
  for (brush_t* b = hull->brush; b != nullptr; b = b->next) out.push_back(b);
  return out;
}

// One edit of a kind a mapper makes, and the bytes of the text read that it
// may change: the save must keep all before `first` and all from `last` on,
// and a delete nothing in between.
struct edit_case {
  const char* kind = "";
  std::size_t first = 0, last = 0;
};

edit_case random_edit(std::mt19937& rng) {
  const auto pick = [&](std::size_t n) { return static_cast<std::size_t>(rng() % n); };
  const std::vector<brush_t*> brushes = world_brushes();
  brush_t* b = brushes[pick(brushes.size())];
  switch (pick(5)) {
    case 0: {
      const vertex_t d{static_cast<float>(pick(9)) * 8 - 32, 16, static_cast<float>(pick(5)) - 2};
      move_brush(b, &d);
      return {"move", b->source.begin, b->source.end};
    }
    case 1: {
      vertex_t centre;
      find_center(b, &centre);
      const vertex_t turn{0, 0, 0.5f};
      rotate_brush(b, &centre, &turn);
      return {"rotate", b->source.begin, b->source.end};
    }
    case 2: {
      const edit_case edit{"delete", b->source.gap, b->source.end};
      delete_brush(b);
      return edit;
    }
    case 3: {
      const vertex_t lo{-8192, -8192, 4000}, hi{-8128, -8128, 4064};
      new_world_box(&lo, &hi);
      return {"new box", hull->brushes_end, hull->brushes_end};
    }
    default: {
      const bool point = numentity > 0 && pick(2) == 0;
      dentity_t* e = point ? &entities[pick(static_cast<std::size_t>(numentity))] : nullptr;
      keyval*& pairs = point ? e->header : hull->header;
      keyval** tail = &pairs;
      while (*tail != nullptr) tail = &(*tail)->next;
      *tail = new_keyval("_edited", "yes");
      if (point) return {"point key", e->source.begin, e->source.end};
      return {"world key", hull->source.begin, hull->pairs_end};
    }
  }
}

}  // namespace

// On e1m1 (or the built map without it), 200 random edits one at a time, each
// undone after: the save changes only the lines of what was edited, reads
// back as the edited map, and once undone gives the text read again.
TEST_F(ModelTest, AnEditChangesOnlyItsOwnLinesAndItsUndoNone) {
  const std::string real = map_path("e1m1.map");
  const std::string path = std::filesystem::exists(real) ? real : built_map_path();
  std::string text;
  ASSERT_EQ(read_whole_file(path, text), "");
  ASSERT_TRUE(read_map_text(text).complete);
  history_reset();
  ASSERT_EQ(map_text_keeping_layout(), text);

  std::mt19937 rng(1996);
  for (int round = 0; round < 200; ++round) {
    const edit_case edit = random_edit(rng);
    ASSERT_TRUE(history_record()) << edit.kind;
    const std::string saved = map_text_keeping_layout();
    const std::string_view before = std::string_view(text).substr(0, edit.first);
    const std::string_view after = std::string_view(text).substr(edit.last);
    EXPECT_TRUE(saved.starts_with(before) && saved.ends_with(after)) << edit.kind << " in round " << round;
    if (edit.kind == std::string_view("delete")) EXPECT_EQ(saved.size(), before.size() + after.size());
    // A version-control diff of a moved brush shows that brush alone.
    if (edit.kind == std::string_view("move")) EXPECT_EQ(line_hunks(text, saved).size(), 1U);
    if (round % 20 == 0) {
      const map_record edited = record_model();
      ASSERT_TRUE(read_map_text(saved).complete);
      const std::vector<std::string> differences = compare_maps(edited, record_model());
      EXPECT_TRUE(differences.empty()) << edit.kind << ": " << differences.front();
      ASSERT_TRUE(read_map_text(text).complete);
      history_reset();
    } else {
      ASSERT_TRUE(history_undo());
    }
    ASSERT_EQ(map_text_keeping_layout(), text) << edit.kind << " in round " << round;
  }
}

// Comments, blank lines, tabs and every kind of line break stay where they
// were; a deleted brush takes its comment along; an edited one is written in
// the editor's format, with the file's line break, after its comment; new
// ones come at the end of their entity and of the file.
TEST_F(ModelTest, CommentsStayWithTheirRecordsAndNewRecordsComeLast) {
  const std::string text =
      "// a map written by hand\r\n"
      "{\r\n\"classname\" \"worldspawn\"\r\n\"wad\"\t\"gfx.wad\"\r\n"
      "// the floor\r\n"
      "{\r\n( 0 0 0 ) ( 0 64 0 ) ( 64 0 0 ) FLOOR 0 0 0 1 1\r\n"
      "( 0 0 16 ) ( 64 0 16 ) ( 0 64 16 ) FLOOR 0 0 0 1 1\r\n"
      "( 0 0 0 ) ( 0 0 16 ) ( 0 64 0 ) FLOOR 0 0 0 1 1\r\n"
      "( 64 0 0 ) ( 64 64 0 ) ( 64 0 16 ) FLOOR 0 0 0 1 1\r\n"
      "( 0 0 0 ) ( 64 0 0 ) ( 0 0 16 ) FLOOR 0 0 0 1 1\r\n"
      "( 0 64 0 ) ( 0 64 16 ) ( 64 64 0 ) FLOOR 0 0 0 1 1\r\n}\r\n"
      "\t// a pillar\r\n"
      "\t{\r\n( 0 0 16 ) ( 0 8 16 ) ( 8 0 16 ) WALL 0 0 0 1 1\r\n"
      "( 0 0 80 ) ( 8 0 80 ) ( 0 8 80 ) WALL 0 0 0 1 1\r\n"
      "( 0 0 16 ) ( 0 0 80 ) ( 0 8 16 ) WALL 0 0 0 1 1\r\n"
      "( 8 0 16 ) ( 8 8 16 ) ( 8 0 80 ) WALL 0 0 0 1 1\r\n"
      "( 0 0 16 ) ( 8 0 16 ) ( 0 0 80 ) WALL 0 0 0 1 1\r\n"
      "( 0 8 16 ) ( 0 8 80 ) ( 8 8 16 ) WALL 0 0 0 1 1\r\n\t}\r\n"
      "}\n\n"
      "// the start\r"
      "{ \"classname\" \"info_player_start\" \"origin\" \"32 32 40\" }\r\n"
      "// the end\r\n";
  ASSERT_TRUE(read_map_text(text).complete);
  EXPECT_EQ(map_text_keeping_layout(), text);

  std::vector<brush_t*> brushes = world_brushes();
  ASSERT_EQ(brushes.size(), 2U);
  const vertex_t up{0, 0, 8};
  move_brush(brushes[1], &up);
  delete_brush(brushes[0]);
  const vertex_t lo{100, 100, 0}, hi{116, 116, 16};
  new_world_box(&lo, &hi);
  vertex_t at{50, 50, 50};
  entities[0].origin = at;
  at = {60, 60, 60};
  const int light = numentity++;
  entities[light].header = new_keyval("classname", "light");
  entities[light].origin = at;
  entities[light].valid = 1;

  // A paste is new, even where its text left a brush open.
  const std::string cube =
      "( 0 0 0 ) ( 0 1 0 ) ( 1 0 0 ) P 0 0 0 1 1\n( 0 0 1 ) ( 1 0 1 ) ( 0 1 1 ) P 0 0 0 1 1\n"
      "( 0 0 0 ) ( 0 0 1 ) ( 0 1 0 ) P 0 0 0 1 1\n( 1 0 0 ) ( 1 1 0 ) ( 1 0 1 ) P 0 0 0 1 1\n"
      "( 0 0 0 ) ( 1 0 0 ) ( 0 0 1 ) P 0 0 0 1 1\n( 0 1 0 ) ( 0 1 1 ) ( 1 1 0 ) P 0 0 0 1 1\n";
  std::vector<brush_t*> pasted;
  ASSERT_TRUE(
      merge_map_text("{\n\"classname\" \"worldspawn\"\n{\n" + cube + "{\n" + cube + "}\n}\n", pasted).ok());

  const std::string saved = map_text_keeping_layout();
  EXPECT_EQ(std::count(saved.begin(), saved.end(), 'P'), 12);
  const std::size_t pillar_at = saved.find("\t// a pillar\r\n{\r\n( ");
  EXPECT_NE(saved.find(" WALL 0.000000 0.000000 0.000000 1.000000 1.000000\r\n", pillar_at),
            std::string::npos);
  EXPECT_EQ(saved.find("// the floor"), std::string::npos);
  EXPECT_NE(pillar_at, std::string::npos) << saved;
  EXPECT_EQ(saved.substr(0, pillar_at),
            "// a map written by hand\r\n{\r\n\"classname\" \"worldspawn\"\r\n\"wad\"\t\"gfx.wad\"\r\n");
  const std::size_t box_at = saved.find("( 100 ", pillar_at);
  const std::size_t start_at = saved.find(
      "\n\n// the start\r{\r\n\"classname\" \"info_player_start\"\r\n\"origin\" \"50 50 50\"\r\n}\r\n// the "
      "end\r\n");
  EXPECT_LT(box_at, start_at);
  EXPECT_TRUE(
      saved.ends_with("// the end\r\n{\r\n\"classname\" \"light\"\r\n\"origin\" \"60 60 60\"\r\n}\r\n"))
      << saved;

  // The text saved reads back as the map edited.
  const map_record edited = record_model();
  ASSERT_TRUE(read_map_text(saved).complete);
  EXPECT_TRUE(compare_maps(edited, record_model()).empty());

  // With "fix brushes" off the brushes stay as read, and so does their text.
  options.fixb = 0;
  ASSERT_TRUE(read_map_text(text).complete);
  EXPECT_EQ(map_text_keeping_layout(), text);
  move_brush(world_brushes()[1], &up);
  const std::string moved = map_text_keeping_layout();
  EXPECT_TRUE(moved.starts_with(text.substr(0, text.find("\t{"))) &&
              moved.ends_with(text.substr(text.find("}\n\n"))));
  EXPECT_NE(moved, text);
}
