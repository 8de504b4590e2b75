// Textures in the real window: the game folder chosen and remembered, the
// refusal without a palette, textured frames, problems told once, and a
// texture picked in the browser for EDIT HULL.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QSettings>
#include <QTest>
#include <set>

#include "app/commands.h"
#include "app/hull_dialog.h"
#include "app/texture_browser.h"
#include "app_fixture.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "render/render_state.h"
#include "texture_bytes.h"

namespace tb = texture_bytes;

namespace {

constexpr int PALETTE_SEED = 3;

// A 128-unit box: five faces of GROUND1, which the WAD holds, and its +y
// side of NOWHERE, which it does not.
std::string textured_box() {
  std::string map = box_map_with_wad("C:\\quake\\id1\\gfx\\test.wad");
  const std::size_t side = map.find("( 64 64 64 ) ( -64 64 64 ) ( -64 64 -64 ) GROUND1");
  return map.replace(side + 42, 7, "NOWHERE");
}

class Textures : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    QSettings(QStringLiteral("veld"), QStringLiteral("veld")).clear();
    game = temp_dir() + "/game";
    tb::write_file(game + "/id1/gfx/palette.lmp", tb::palette_bytes(PALETTE_SEED));
    tb::write_file(game + "/id1/gfx/test.wad",
                   tb::wad('2', {{"ground1", WAD2_TEXTURE, tb::miptex("ground1", 16, 16, false)},
                                 {"BRICK", WAD2_TEXTURE, tb::miptex("BRICK", 32, 8, false, 9)}})
                       .bytes);
    map = temp_dir() + "/box.map";
    write_file(map, textured_box());
  }
  void TearDown() override {
    QSettings(QStringLiteral("veld"), QStringLiteral("veld")).clear();
    AppTest::TearDown();
  }

  // How many pixels of the frame are colours of the game palette.
  int palette_pixels() const {
    std::set<QRgb> colours;
    for (int i = 0; i < 256; ++i) colours.insert(tb::game_colour(i, PALETTE_SEED));
    int n = 0;
    for (int y = 60; y < 600; ++y) {
      for (int x = 0; x < 800; ++x) n += colours.count(win->winbmp.pixel(x, y)) != 0 ? 1 : 0;
    }
    return n;
  }

  std::string game, map;
};

}  // namespace

TEST_F(Textures, DrawnFromTheChosenGameFolderWithProblemsToldOnce) {
  open_map(map);
  win->timer().stop();
  origin = {150, 300, 0};  // the box ahead: its +y side and, at an angle, its +x side
  fake.boxes.clear();
  // No game folder: refused, with the way to give one.
  QTest::keyClick(win, Qt::Key_X);
  EXPECT_EQ(options.drawtextures, 0);
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_NE(fake.boxes[0].text.find("Options/Game folder..."), std::string::npos);

  fake.file_answers.push_back(game);
  trigger(CM_GAMEFOLDER);
  EXPECT_EQ(fake.file_dialogs.back().kind, file_dialog_kind::folder);
  EXPECT_EQ(win->document.game_folder(), game);
  EXPECT_EQ(
      QSettings(QStringLiteral("veld"), QStringLiteral("veld")).value("game_folder").toString().toStdString(),
      game);

  trigger(CM_SOLIDTOGGLE);
  ticks(1);
  EXPECT_EQ(palette_pixels(), 0);
  fake.boxes.clear();
  QTest::keyClick(win, Qt::Key_X);
  EXPECT_TRUE(checked(CM_TEXTURETOGGLE));
  ticks(3);
  EXPECT_GT(palette_pixels(), 5000);
  // The face whose texture is nowhere: one box, however many frames show it.
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].caption, "textures");
  EXPECT_NE(fake.boxes[0].text.find("NOWHERE"), std::string::npos) << fake.boxes[0].text;

  trigger(CM_LIGHTTOGGLE);
  EXPECT_EQ(options.drawlight, 1);
  trigger(CM_TEXTURETOGGLE);
  ticks(1);
  EXPECT_EQ(palette_pixels(), 0);

  // The next start of the editor finds the folder again.
  TDrawWindow next;
  EXPECT_EQ(next.document.game_folder(), game);
}

TEST_F(Textures, BrowseInEditHullPutsTheChosenNameThroughTheSameChecks) {
  fake.file_answers.push_back(game);
  trigger(CM_GAMEFOLDER);
  open_map(map);
  win->timer().stop();
  surf* face = hull->brush->fsurf;
  std::vector<std::string> offered, sizes;
  const auto browse = [&](const std::string& filter, int pick, int answer) {
    fake.dialog_scripts.push_back([&, filter, pick, answer](TDialog& d) -> int {
      auto& hull_dialog = dynamic_cast<TEditHull&>(d);
      fake.dialog_scripts.push_back([&, filter, pick, answer](TDialog& b) -> int {
        auto& browser = dynamic_cast<TTextureBrowser&>(b);
        offered.clear();
        for (int i = 0; i < browser.list()->count(); ++i) {
          offered.push_back(browser.list()->item(i)->text().toStdString());
          if (browser.list()->item(i)->font().bold()) sizes.push_back(offered.back());
        }
        browser.filter()->setText(QString::fromStdString(filter));
        QListWidgetItem* item = browser.list()->item(pick);
        if (item->isHidden()) return IDCANCEL;
        browser.list()->setCurrentItem(item);
        return answer;
      });
      hull_dialog.browse();
      return IDOK;
    });
    hilight = face;
    QTest::keyClick(win, Qt::Key_E);
  };

  browse("BRI", 0, IDOK);
  EXPECT_EQ(offered, (std::vector<std::string>{"BRICK\n32 x 8", "ground1\n16 x 16"}));
  EXPECT_EQ(sizes, std::vector<std::string>{"ground1\n16 x 16"});  // the texture in use is marked
  EXPECT_EQ(face->texname, "BRICK");

  browse("", 1, IDCANCEL);  // Cancel changes nothing
  EXPECT_EQ(face->texname, "BRICK");
  browse("ground", 1, IDOK);
  EXPECT_EQ(face->texname, "ground1");
}
