// File/saveobject, File/openobject and File/ExportRaw driven through the menu
// of the real window.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "app_fixture.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model_fixture.h"

namespace {

using ObjectFiles = AppTest;

int lines_in(const std::string& text) {
  int n = 0;
  for (const char c : text) n += c == '\n' ? 1 : 0;
  return n;
}

// A map of one 128-unit cube centred at (0, 0, 0).
std::string cube_map() {
  const std::string path = temp_dir() + "/cube.map";
  write_file(path,
             "{\n\"classname\" \"worldspawn\"\n{\n"
             "( -64 -64 -64 ) ( 64 -64 -64 ) ( 64 64 -64 ) GROUND1 0 0 0 1 1\n"
             "( -64 -64 64 ) ( 64 -64 64 ) ( 64 -64 -64 ) GROUND1 0 0 0 1 1\n"
             "( -64 64 64 ) ( -64 -64 64 ) ( -64 -64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 64 64 64 ) ( -64 64 64 ) ( -64 64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 64 64 64 ) ( 64 64 -64 ) ( 64 -64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 64 64 64 ) ( 64 -64 64 ) ( -64 -64 64 ) GROUND1 0 0 0 1 1\n}\n}\n");
  return path;
}

}  // namespace

TEST_F(ObjectFiles, SaveMergeAndExportThroughTheMenu) {
  const std::string map = cube_map();
  const std::string object = temp_dir() + "/piece.vlp";
  open_map(map);
  ASSERT_NE(hull, nullptr);
  brush_t* cube = hull->brush;
  insert_brush_in_list(cube);

  fake.file_answers.push_back(object);
  trigger(CM_OBJECTSAVE);
  ASSERT_FALSE(fake.file_dialogs.empty());
  EXPECT_EQ(fake.file_dialogs.back().kind, file_dialog_kind::save);
  EXPECT_EQ(fake.file_dialogs.back().filter, "Veld Object Files (*.vlp)|*.vlp|");
  EXPECT_EQ(fake.file_dialogs.back().default_ext, "vlp");
  const std::string saved = read_file(object);
  EXPECT_EQ(lines_in(saved), 8);
  EXPECT_NE(saved.find("( -64 -64 -64 ) ( 64 -64 -64 ) ( 64 64 -64 ) GROUND1 0 0 0 1 1\n"), std::string::npos)
      << saved;
  EXPECT_EQ(win->timer().period(), TIMER_AFTER_DIALOG);

  const std::string raw = temp_dir() + "/piece.raw";
  fake.file_answers.push_back(raw);
  trigger(CM_EXPORTRAW);
  EXPECT_EQ(fake.file_dialogs.back().filter, "Veld Object Files (*.vlp)|*.vlp|");
  const std::string exported = read_file(raw);
  EXPECT_EQ(lines_in(exported), 6);
  EXPECT_EQ(exported.substr(0, exported.find('\n') + 1), "-64 -64 -64 64 -64 -64 64 64 -64 \n");

  origin = vertex_t{0, 1000, 0};
  const std::size_t boxes_before = fake.boxes.size();
  fake.file_answers.push_back(object);
  trigger(CM_FILEOPENOBJECT);
  ASSERT_EQ(fake.boxes.size(), boxes_before + 1);
  EXPECT_EQ(fake.boxes.back().text, "finished loading object");
  EXPECT_EQ(fake.boxes.back().caption, "loading...");
  EXPECT_EQ(win->document.caption(), "VELD: A QUAKE Editor  " + map);
  ASSERT_EQ(count_brushes(hull), 2);
  brush_t* merged = hull->brush;
  EXPECT_EQ(merged->next, cube);
  EXPECT_EQ(blist->brush, merged);
  EXPECT_EQ(blist->next->brush, nullptr);
  EXPECT_EQ(merged->fsurf->point[0].y, 1000 - 64);
  EXPECT_EQ(merged->fsurf->numpoints, 4);
  EXPECT_EQ(win->candraw, 1);
  EXPECT_EQ(win->timer().period(), TIMER_AFTER_DIALOG);
  ticks(2);  // the merged map draws
}

TEST_F(ObjectFiles, FailuresAreShownAndChangeNothing) {
  open_map(cube_map());
  ASSERT_NE(hull, nullptr);
  brush_t* cube = hull->brush;
  insert_brush_in_list(cube);
  const std::string missing = temp_dir() + "/no such folder/piece.vlp";

  fake.boxes.clear();
  fake.file_answers.push_back(missing);
  trigger(CM_FILEOPENOBJECT);
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_NE(fake.boxes[0].text.find(missing), std::string::npos) << fake.boxes[0].text;
  EXPECT_EQ(count_brushes(hull), 1);
  EXPECT_EQ(blist->brush, cube);

  fake.file_answers.push_back(missing);
  trigger(CM_OBJECTSAVE);
  fake.file_answers.push_back(missing);
  trigger(CM_EXPORTRAW);
  ASSERT_EQ(fake.boxes.size(), 3u);
  EXPECT_EQ(fake.boxes[1].text.substr(0, 26), "The object was not saved.\n");
  EXPECT_EQ(fake.boxes[2].text.substr(0, 28), "The export was not written.\n");
  for (int i = 1; i < 3; ++i) {
    EXPECT_EQ(fake.boxes[i].caption, "save failed");
    EXPECT_NE(fake.boxes[i].text.find(missing), std::string::npos) << fake.boxes[i].text;
  }

  // A cut object is merged as far as it goes, and the loss is shown.
  const std::string cut = temp_dir() + "/cut.vlp";
  write_file(cut, "{ ( 0 0 0 ) ( 0 1 0 ) ( 0 0 1 ) A 0 0 0 1 1 } { ( 0 0 0 ) ( 1");
  fake.file_answers.push_back(cut);
  trigger(CM_FILEOPENOBJECT);
  ASSERT_EQ(fake.boxes.size(), 5u);
  EXPECT_EQ(fake.boxes[3].text, "finished loading object");
  EXPECT_NE(fake.boxes[4].text.find("the file ends inside a face"), std::string::npos) << fake.boxes[4].text;
  EXPECT_NE(fake.boxes[4].text.find("1 brush(es) without a closing '}'"), std::string::npos);
  EXPECT_EQ(count_brushes(hull), 3);
}

TEST_F(ObjectFiles, MergingWithNoWorldShowsWhyAndLeavesNoMap) {
  EXPECT_FALSE(enabled(CM_FILEOPENOBJECT));
  const std::string object = temp_dir() + "/piece.vlp";
  write_file(object, "{ ( 0 0 0 ) ( 0 1 0 ) ( 0 0 1 ) A 0 0 0 1 1 }");
  win->document.FileOData.file_name = object;
  win->document.OpenObject();
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_NE(fake.boxes[0].text.find("no world entity"), std::string::npos);
  EXPECT_EQ(hull, nullptr);
  EXPECT_EQ(win->candraw, 0);
}
