// The entity definitions in use, through the real window: the base game's
// classes until files are chosen, markers shaped by them, files chosen with
// Options/Entity definitions... and kept, their problems told; and the
// texture lock switch, kept for the next run.
#include <QSettings>

#include "app/commands.h"
#include "app/user_settings.h"
#include "app_fixture.h"
#include "edit/transforms.h"
#include "model/box.h"
#include "model/map_state.h"
#include "model/model_check.h"

namespace {

using Definitions = AppTest;

// The extent of a marker along each axis.
vertex_t marker_size(const dentity_t& e) {
  vertex_t lo{1e9f, 1e9f, 1e9f}, hi{-1e9f, -1e9f, -1e9f};
  for (const surf* s = e.brush->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i) {
      for (int a = 0; a < 3; ++a) {
        lo[a] = std::min(lo[a], s->point[i][a]);
        hi[a] = std::max(hi[a], s->point[i][a]);
      }
    }
  }
  return {hi.x - lo.x, hi.y - lo.y, hi.z - lo.z};
}

}  // namespace

TEST_F(Definitions, MarkersFollowTheDefinitionsInUse) {
  const std::string map = temp_dir() + "/m.map";
  write_file(map, BOX_MAP +
                      "{\n\"classname\" \"info_player_start\"\n\"origin\" \"0 0 100\"\n}\n"
                      "{\n\"classname\" \"light\"\n\"origin\" \"0 0 200\"\n}\n"
                      "{\n\"classname\" \"my_thing\"\n\"origin\" \"0 0 300\"\n}\n");
  open_map(map);
  ASSERT_EQ(numentity, 3);
  EXPECT_EQ(marker_size(entities[0]), (vertex_t{32, 32, 56}));  // the built-in player start
  EXPECT_EQ(marker_size(entities[1]), (vertex_t{16, 16, 16}));
  EXPECT_EQ(marker_size(entities[2]), (vertex_t{MARKER_SIZE, MARKER_SIZE, MARKER_SIZE}));  // not defined
  EXPECT_EQ(win->document.definitions().find("monster_army")->maxs[2], 40);

  // Two files chosen at once: the open map's markers take their shapes, and
  // the choice is kept; a problem in one is told with its place.
  const std::string own = temp_dir() + "/own.fgd", more = temp_dir() + "/more.def";
  write_file(own, "@PointClass size(-32 -32 0, 32 32 8) = my_thing []\n@PointClass = broken [ k(integer ");
  write_file(more, "/*QUAKED light (1 1 0) (-4 -4 -4) (4 4 4)\n*/\n");
  fake.file_answers.push_back(own + "\n" + more);
  trigger(CM_ENTITYDEFS);
  ASSERT_EQ(fake.file_dialogs.back().kind, file_dialog_kind::open_many);
  EXPECT_EQ(marker_size(entities[2]), (vertex_t{64, 64, 8}));
  EXPECT_EQ(marker_size(entities[1]), (vertex_t{8, 8, 8}));
  EXPECT_EQ(marker_size(entities[0]),
            (vertex_t{MARKER_SIZE, MARKER_SIZE, MARKER_SIZE}));  // not in those files
  ASSERT_FALSE(fake.boxes.empty());
  EXPECT_EQ(fake.boxes.back().caption, "entity definitions");
  EXPECT_NE(fake.boxes.back().text.find("own.fgd:2:"), std::string::npos) << fake.boxes.back().text;
  EXPECT_EQ(user_settings().value(QString::fromLatin1(ENTITY_DEFINITIONS_KEY)).toStringList().size(), 2);
  EXPECT_EQ(check_model(), "");
  ticks(1);  // the reshaped markers draw
}

TEST_F(Definitions, TheTextureLockIsASwitchKeptForTheNextRun) {
  EXPECT_FALSE(checked(CM_TEXTURELOCK));
  trigger(CM_TEXTURELOCK);
  EXPECT_EQ(texture_lock, 1);
  EXPECT_TRUE(checked(CM_TEXTURELOCK));
  EXPECT_EQ(user_settings().value(QString::fromLatin1(TEXTURE_LOCK_KEY)).toInt(), 1);
  delete frame;  // the next run
  frame = InitMainWindow();
  win = frame->client();
  EXPECT_EQ(texture_lock, 1);
  trigger(CM_TEXTURELOCK);
  EXPECT_EQ(texture_lock, 0);
}
