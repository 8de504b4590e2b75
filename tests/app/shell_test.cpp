#include <gtest/gtest.h>

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/commands.h"
#include "app_fixture.h"
#include "built_map.h"
#include "mapio/map_writer.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "model/view_options.h"
#include "model_fixture.h"
#include "render/render_state.h"

namespace {

using Shell = AppTest;

// The box and a light above its floor.
const std::string SMALL_MAP = BOX_MAP + "{\n\"classname\" \"light\"\n\"origin\" \"0 0 32\"\n}\n";

bool is_face_colour(QRgb c) {
  for (int v : {qRed(c), qGreen(c), qBlue(c)}) {
    if (v % 10 != 0 || v > 140) return false;
  }
  return true;
}

}  // namespace

TEST_F(Shell, StartUpStatesOfTheCommands) {
  EXPECT_EQ(frame->windowTitle().toStdString(), "VELD: a QUAKE editor");
  for (int id : {CM_FILENEW, CM_FILEOPEN, CM_FILEEXIT}) EXPECT_TRUE(enabled(id)) << id;
  for (int id : {CM_FILECLOSE, CM_FILESAVE, CM_FILEOPENOBJECT, CM_OBJECTSAVE, CM_EXPORTRAW}) {
    EXPECT_FALSE(enabled(id)) << id;
  }
  for (int id : {CM_DIRX, CM_DIRY, CM_DIRZ, CM_SOLIDTOGGLE}) EXPECT_FALSE(checked(id)) << id;
  EXPECT_TRUE(checked(CM_ENTITYTOGGLE));
  EXPECT_TRUE(checked(CM_FIX));
  EXPECT_TRUE(win->timer().running());
  EXPECT_EQ(win->timer().period(), 10);
}

TEST_F(Shell, MenuTextsAndOrder) {
  std::vector<std::string> texts;
  for (QAction* popup : frame->menuBar()->actions()) {
    texts.push_back(popup->text().toStdString() + ":");
    for (QAction* item : popup->menu()->actions()) {
      if (item->isVisible()) texts.push_back(item->isSeparator() ? "-" : item->text().toStdString());
    }
  }
  const std::vector<std::string> want = {"&File:",
                                         "&new",
                                         "&open",
                                         "&close",
                                         "&save",
                                         "save &as...",
                                         "&openobject",
                                         "&saveobject",
                                         "&ExportRaw",
                                         "-",
                                         "-",
                                         "&exit",
                                         "&Edit:",
                                         "&Undo",
                                         "&Redo",
                                         "-",
                                         "&Clip tool (C)",
                                         "&Vertex editing (P)",
                                         "&Copy",
                                         "&Paste",
                                         "&Replace textures...",
                                         "&Duplicate",
                                         "&Dir:",
                                         "&X",
                                         "&Y",
                                         "&Z",
                                         "&Options:",
                                         "&draw entities",
                                         "&solid rendering",
                                         "&fix brushes",
                                         "&properties",
                                         "show &each pair",
                                         "-",
                                         "&Game folder...",
                                         "&textures (X)",
                                         "&light",
                                         "&Entity definitions...",
                                         "texture l&ock",
                                         "keep file &layout",
                                         "&View:",
                                         "&Top",
                                         "&Front",
                                         "&Side",
                                         "Tile",
                                         "&Entities",
                                         "Te&xtures",
                                         "Face &inspector",
                                         "&Four views",
                                         "-",
                                         "Snap to grid",
                                         "-",
                                         "Go to &player start",
                                         "&Centre on selection",
                                         "&Texture:",
                                         "&Apply texture",
                                         "&Select faces using texture",
                                         "-",
                                         "Shift s \u2212 1 texel",
                                         "Shift s + 1 texel",
                                         "Shift t \u2212 1 texel",
                                         "Shift t + 1 texel",
                                         "Shift s \u2212 1 grid step",
                                         "Shift s + 1 grid step",
                                         "Shift t \u2212 1 grid step",
                                         "Shift t + 1 grid step",
                                         "-",
                                         "Turn \u221215\u00b0",
                                         "Turn +15\u00b0",
                                         "-",
                                         "Scale s \u00d72",
                                         "Scale s \u00f72",
                                         "Scale t \u00d72",
                                         "Scale t \u00f72",
                                         "-",
                                         "&Fit",
                                         "Justify &left",
                                         "Justify &right",
                                         "Justify &top",
                                         "Justify &bottom",
                                         "Justify &centre"};
  EXPECT_EQ(texts, want);
}

TEST_F(Shell, ControlBarGadgetsInOrder) {
  const QList<QAction*> items = frame->control_bar()->actions();
  ASSERT_EQ(items.size(), 9);
  auto* emblem = qobject_cast<QLabel*>(frame->control_bar()->widgetForAction(items[0]));
  ASSERT_NE(emblem, nullptr);
  EXPECT_FALSE(emblem->pixmap().isNull());
  EXPECT_EQ(frame->control_bar()->widgetForAction(items[1])->width(), 20);
  EXPECT_EQ(items[2], frame->action(CM_FILENEW));
  EXPECT_EQ(items[3], frame->action(CM_FILEOPEN));
  EXPECT_EQ(items[4], frame->action(CM_FILECLOSE));
  EXPECT_EQ(frame->control_bar()->widgetForAction(items[5])->width(), 6);
  EXPECT_EQ(items[6], frame->action(CM_DIRX));
  EXPECT_EQ(items[7], frame->action(CM_DIRY));
  EXPECT_EQ(items[8], frame->action(CM_DIRZ));
  EXPECT_EQ(frame->control_bar()->iconSize(), QSize(20, 20));

  // Each button has a 20 x 20 picture of its own, none the emblem's.
  std::vector<QImage> pictures{emblem->pixmap().toImage().convertToFormat(QImage::Format_ARGB32)};
  for (const int i : {2, 3, 4, 6, 7, 8}) {
    const QList<QSize> sizes = items[i]->icon().availableSizes();
    ASSERT_FALSE(sizes.isEmpty()) << i;
    EXPECT_EQ(sizes.front(), QSize(20, 20)) << i;
    const QImage picture = items[i]->icon().pixmap(20, 20).toImage().convertToFormat(QImage::Format_ARGB32);
    for (const QImage& other : pictures) EXPECT_NE(picture, other) << "button " << i;
    pictures.push_back(picture);
  }

  // A Dir button stays down while its switch is on.
  auto* xbutton = qobject_cast<QToolButton*>(frame->control_bar()->widgetForAction(items[6]));
  ASSERT_NE(xbutton, nullptr);
  xbutton->click();
  EXPECT_EQ(options.dragx, 1);
  EXPECT_TRUE(xbutton->isChecked());
  EXPECT_TRUE(checked(CM_DIRX));
  xbutton->click();
  EXPECT_EQ(options.dragx, 0);
  EXPECT_FALSE(xbutton->isChecked());
}

TEST_F(Shell, SolidRenderingTogglesBothFlagsEachOnItsOwn) {
  options.allsolid = 1;  // as the S key leaves it
  trigger(CM_SOLIDTOGGLE);
  EXPECT_EQ(options.allsolid, 0);
  EXPECT_EQ(options.drawbsp, 1);
  trigger(CM_SOLIDTOGGLE);
  EXPECT_EQ(options.allsolid, 1);
  EXPECT_EQ(options.drawbsp, 0);
  EXPECT_TRUE(checked(CM_SOLIDTOGGLE));
}

TEST_F(Shell, ANewWindowReleasesTheModelItFinds) {
  delete frame;
  ASSERT_TRUE(read_map_text(SMALL_MAP).ok());
  origin = {5, 7, 9};
  frame = InitMainWindow();
  win = frame->client();
  // Dropped rather than released, the brushes and the entity would leak.
  EXPECT_EQ(hull, nullptr);
  EXPECT_EQ(numentity, 0);
  EXPECT_EQ(origin.x, 0.0f);
  EXPECT_EQ(angle.z, START_ANGLE.z);
}

TEST_F(Shell, CancelledOpenStillPutsTheCameraAt1000) {
  origin = {5, 7, 9};
  fake.file_answers.push_back(std::nullopt);
  trigger(CM_FILEOPEN);
  EXPECT_EQ(origin.x, 5.0f);
  EXPECT_EQ(origin.y, OPENED_CAMERA_Y);
  EXPECT_EQ(origin.z, 9.0f);
  EXPECT_EQ(win->framerate, 0);
  ASSERT_EQ(fake.file_dialogs.size(), 1u);
  EXPECT_EQ(fake.file_dialogs[0].filter, "Map Files (*.map)|*.map|");
  EXPECT_EQ(fake.file_dialogs[0].default_ext, "map");
  EXPECT_EQ(fake.file_dialogs[0].initial_dir, "\\quake\\id1\\maps\\");
}

// A whole map, with the count of its brush entities.
class ShellOpening : public Shell, public ::testing::WithParamInterface<std::pair<const char*, int>> {};

TEST_P(ShellOpening, AWholeMapIsDrawn) {
  const std::string path = any_map_path(GetParam().first);
  SKIP_WITHOUT(path);
  open_map(path);
  ASSERT_GE(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes.back().text, "finished loading " + std::to_string(GetParam().second) + " models");
  EXPECT_EQ(fake.boxes.back().caption, "loading...");
  EXPECT_EQ(win->document.caption(), "VELD: A QUAKE Editor  " + path);
  EXPECT_EQ(origin.y, OPENED_CAMERA_Y);
  EXPECT_EQ(win->timer().period(), 0);
  EXPECT_TRUE(enabled(CM_FILESAVE));
  EXPECT_TRUE(enabled(CM_FILECLOSE));
  EXPECT_TRUE(enabled(CM_FILEOPENOBJECT));
  EXPECT_TRUE(enabled(CM_FILEOPEN));

  options.allsolid = 1;
  ticks(3);
  int face_pixels = 0;
  for (int y = 70; y < 600; y += 5) {
    for (int x = 0; x < 800; x += 5) face_pixels += is_face_colour(win->winbmp.pixel(x, y)) ? 1 : 0;
  }
  EXPECT_GT(face_pixels, 1000);  // most of the view is filled with faces
  EXPECT_EQ(win->framerate, 3);
}

INSTANTIATE_TEST_SUITE_P(Maps, ShellOpening,
                         ::testing::Values(std::pair{BUILT_MAP, 4}, std::pair{"e1m1.map", 58}),
                         [](const auto& info) {
                           return map_case_name({info.param.first, info.index});
                         });

TEST_F(Shell, ReaderProblemsAreShownAfterTheCount) {
  const std::string path = temp_dir() + "/broken.map";
  write_file(path, "{\n\"classname\" \"worldspawn\"\n}\n(\n");
  open_map(path);
  ASSERT_EQ(fake.boxes.size(), 2u);
  EXPECT_EQ(fake.boxes[0].text, "finished loading 1 models");
  EXPECT_NE(fake.boxes[1].text.find("line 4"), std::string::npos) << fake.boxes[1].text;
  EXPECT_EQ(fake.boxes[1].caption, "loading...");
}

TEST_F(Shell, MissingFileIsReportedAndNothingOpens) {
  open_map(temp_dir() + "/no-such.map");
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_NE(fake.boxes[0].text.find("no-such.map"), std::string::npos);
  EXPECT_EQ(win->candraw, 0);
  EXPECT_TRUE(enabled(CM_FILEOPEN));
}

TEST_F(Shell, SaveWritesTheMapAndFailureKeepsTheOldFile) {
  const std::string in = temp_dir() + "/in.map";
  write_file(in, SMALL_MAP);
  open_map(in);
  const std::string out = temp_dir() + "/out.map";
  fake.file_answers.push_back(out);
  trigger(CM_FILESAVEAS);
  EXPECT_EQ(win->timer().period(), 1);
  const std::string saved = read_file(out);
  EXPECT_NE(saved.find("\"classname\" \"worldspawn\""), std::string::npos);
  EXPECT_NE(saved.find("\"origin\" \"0 0 32\""), std::string::npos);

  // A file made read-only is refused, even to the superuser: the save fails.
  const std::string old_file = temp_dir() + "/read-only.map";
  write_file(old_file, "old contents");
  std::filesystem::permissions(old_file, std::filesystem::perms::owner_read);
  const std::size_t boxes_before = fake.boxes.size();
  fake.file_answers.push_back(old_file);
  trigger(CM_FILESAVEAS);
  ASSERT_EQ(fake.boxes.size(), boxes_before + 2);  // replace the file? OK, then the failure
  EXPECT_NE(fake.boxes.back().text.find("not saved"), std::string::npos);
  EXPECT_NE(fake.boxes.back().text.find("read-only"), std::string::npos) << fake.boxes.back().text;
  EXPECT_EQ(read_file(old_file), "old contents");
}

TEST_F(Shell, CloseResetsTheViewAndDeclinedSaveStillCloses) {
  open_map(built_map_path());
  hilight = hull->brush->fsurf;
  QTest::keyClick(win, Qt::Key_V);  // a change, so closing asks
  angle.z = 1.0f;
  win->vd = 2.0f;
  fake.box_answers.push_back(IDNO);  // "Do You Want to save it?": Don't Save
  const std::size_t before = fake.boxes.size();
  trigger(CM_FILECLOSE);
  ASSERT_EQ(fake.boxes.size(), before + 1);
  EXPECT_EQ(fake.boxes.back().text, "Do You Want to save it?");
  EXPECT_EQ(fake.boxes.back().caption, "A File Is Open...");
  EXPECT_TRUE(fake.file_dialogs.back().kind == file_dialog_kind::open);  // no save dialog
  EXPECT_EQ(hull, nullptr);
  EXPECT_EQ(numentity, 0);
  EXPECT_EQ(win->candraw, 0);
  EXPECT_EQ(angle.z, START_ANGLE.z);
  EXPECT_EQ(origin.y, 0.0f);
  EXPECT_EQ(win->vd, START_ZOOM);
  EXPECT_EQ(win->timer().period(), 1);
  EXPECT_TRUE(enabled(CM_FILEOPEN));
  EXPECT_FALSE(enabled(CM_OBJECTSAVE));
  EXPECT_EQ(win->winbmp.pixel(400, 400), qRgb(255, 255, 255));
}

TEST_F(Shell, QuitWithoutAMapAsksOnce) {
  fake.box_answers.push_back(IDCANCEL);
  EXPECT_FALSE(win->CanClose());
  EXPECT_EQ(win->timer().period(), 1);
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].caption, "Do you wish to quit?");
  EXPECT_EQ(fake.boxes[0].text, "framerate 0.000000");  // within the first second, counted as one

  // Ticks over the seconds since the count began.
  win->timer().stop();
  ticks(5);
  fake.seconds += 2;
  fake.box_answers.push_back(IDCANCEL);
  EXPECT_FALSE(win->CanClose());
  EXPECT_EQ(fake.boxes.back().text, "framerate 2.500000");

  trigger(CM_FILEEXIT);
  EXPECT_EQ(fake.boxes.size(), 3u);
  ASSERT_TRUE(fake.exit_code.has_value());
  EXPECT_EQ(*fake.exit_code, 0);
}

TEST_F(Shell, QuitWithAMapOffersToSave) {
  const std::string in = temp_dir() + "/in.map";
  write_file(in, SMALL_MAP);
  open_map(in);
  hilight = hull->brush->fsurf;
  QTest::keyClick(win, Qt::Key_V);
  fake.box_answers = {IDOK, IDYES};
  const std::size_t before = fake.boxes.size();
  EXPECT_TRUE(win->CanClose());
  ASSERT_EQ(fake.boxes.size(), before + 2);
  EXPECT_EQ(fake.boxes.back().text, "save?");
  EXPECT_EQ(fake.boxes.back().caption, "A File is Open...");
  EXPECT_EQ(read_file(in), map_text());  // saved to the map's own file, no dialog
}
