// The entity definitions in use, through the real window: the base game's
// classes until files are chosen, markers shaped by them, files chosen with
// Options/Entity definitions... and kept, their problems told; and the
// texture lock switch, kept for the next run; the entity list placing point
// entities and making brush entities, each one undo step.
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTreeWidget>

#include "app/commands.h"
#include "app/entity_panel.h"
#include "app/plan_window.h"
#include "app/user_settings.h"
#include "app_fixture.h"
#include "edit/grid_snap.h"
#include "edit/transforms.h"
#include "mapio/map_writer.h"
#include "mapio/source_layout.h"
#include "model/box.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/model_check.h"
#include "model_fixture.h"

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

// Texture lock and keep file layout: off at first, kept for the next run.
// With the layout kept, a save leaves the file's comments and spacing as
// they were and rewrites only what changed; without, it is the editor's
// format.
TEST_F(Definitions, TextureLockAndKeepLayoutAreSwitchesKeptForTheNextRun) {
  for (const int id : {CM_TEXTURELOCK, CM_KEEPLAYOUT}) {
    EXPECT_FALSE(checked(id));
    trigger(id);
    EXPECT_TRUE(checked(id));
  }
  EXPECT_EQ(texture_lock, 1);
  EXPECT_EQ(keep_file_layout, 1);
  EXPECT_EQ(user_settings().value(QString::fromLatin1(TEXTURE_LOCK_KEY)).toInt(), 1);
  EXPECT_EQ(user_settings().value(QString::fromLatin1(KEEP_LAYOUT_KEY)).toInt(), 1);
  delete frame;  // the next run
  frame = InitMainWindow();
  win = frame->client();
  EXPECT_EQ(texture_lock, 1);
  EXPECT_EQ(keep_file_layout, 1);

  const std::string map = temp_dir() + "/kept.map";
  const std::string light = "{\n\"classname\" \"light\"\n\"origin\" \"0 0 32\"\n}\n";
  std::string text = "// the box\r\n";
  for (const char c : BOX_MAP + light) text += c == '\n' ? std::string("\r\n") : std::string(1, c);
  write_file(map, text);
  open_map(map);
  trigger(CM_FILESAVE);
  EXPECT_EQ(read_file(map), text);
  entities[0].origin.x += 8;
  history_record();
  trigger(CM_FILESAVE);
  const std::string saved = read_file(map);
  EXPECT_TRUE(saved.starts_with("// the box\r\n{\r\n")) << saved;
  EXPECT_NE(saved.find("\r\n\"origin\" \""), std::string::npos) << saved;
  EXPECT_EQ(saved.find("\r\n\r\n"), std::string::npos) << saved;

  trigger(CM_KEEPLAYOUT);
  EXPECT_EQ(keep_file_layout, 0);
  trigger(CM_FILESAVE);
  EXPECT_EQ(read_file(map), map_text());
  trigger(CM_TEXTURELOCK);
  EXPECT_EQ(texture_lock, 0);
}

TEST_F(Definitions, TheEntityListPlacesEntitiesAndMakesBrushEntities) {
  const std::string map = temp_dir() + "/two.map";
  std::string two = BOX_MAP;
  two.insert(two.rfind('}'),
             "{\n( 100 -64 -64 ) ( 164 -64 -64 ) ( 164 64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 100 -64 64 ) ( 164 -64 64 ) ( 164 -64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 100 64 64 ) ( 100 -64 64 ) ( 100 -64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 164 64 64 ) ( 100 64 64 ) ( 100 64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 164 64 64 ) ( 164 64 -64 ) ( 164 -64 -64 ) GROUND1 0 0 0 1 1\n"
             "( 164 64 64 ) ( 164 -64 64 ) ( 100 -64 64 ) GROUND1 0 0 0 1 1\n}\n");
  write_file(map, two);
  open_map(map);
  trigger(CM_VIEWENTITIES);
  TEntityPanel* panel = frame->entity_panel();
  ASSERT_TRUE(panel->isVisible());
  EXPECT_TRUE(checked(CM_VIEWENTITIES));
  const auto choose = [panel](const QString& name) {
    const QList<QTreeWidgetItem*> found =
        panel->classes()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    panel->classes()->setCurrentItem(found[0]);
  };

  // The filter narrows both groups; a class tells what it is on hover.
  panel->filter()->setText(QStringLiteral("monster_"));
  EXPECT_GT(panel->classes()->topLevelItem(0)->childCount(), 10);
  EXPECT_EQ(panel->classes()->topLevelItem(1)->childCount(), 0);
  panel->filter()->clear();

  // A light 64 units ahead of the camera, on the grid, with its defaults.
  const std::string before = map_text();
  choose(QStringLiteral("light"));
  panel->place();
  ASSERT_EQ(numentity, 1);
  EXPECT_EQ(entities[0].origin, (vertex_t{snapped(origin.x + 64 * camera_forward().x),
                                          snapped(origin.y + 64 * camera_forward().y),
                                          snapped(origin.z + 64 * camera_forward().z)}));
  EXPECT_EQ(marker_size(entities[0]), (vertex_t{16, 16, 16}));
  const std::string placed = map_text();
  EXPECT_NE(placed.find("\"classname\" \"light\"\n\"light\" \"300\""), std::string::npos) << placed;
  trigger(CM_EDITUNDO);
  EXPECT_EQ(map_text(), before);

  // With a plan view active, at the mouse there, on the grid, half way
  // through a new box's depth.
  TPlanWindow* top = nullptr;
  for (QMdiSubWindow* child : win->subWindowList()) {
    auto* v = dynamic_cast<TPlanWindow*>(child);
    if (v != nullptr && v->camera().axis == plan_axis::top) top = v;
  }
  ASSERT_NE(top, nullptr);
  win->setActiveSubWindow(top);
  top->move(plan_pixel(top->camera(), {203, -90, 0}));
  choose(QStringLiteral("monster_army"));
  panel->place();
  ASSERT_EQ(numentity, 1);
  EXPECT_EQ(entities[0].origin, (vertex_t{208, -96, 32}));
  EXPECT_EQ(marker_size(entities[0]), (vertex_t{32, 32, 64}));
  trigger(CM_EDITUNDO);
  EXPECT_EQ(map_text(), before);

  // Both boxes become a door, and one goes back to the world.
  for (brush_t* b = hull->brush; b != nullptr; b = b->next) append_to_selection(b);
  choose(QStringLiteral("func_door"));
  panel->make_entity();
  ASSERT_NE(hull->next, nullptr);
  EXPECT_STREQ(hull->next->classname, "func_door");
  EXPECT_EQ(count_brushes(hull->next), 2);
  EXPECT_EQ(hull->brush, nullptr);
  EXPECT_NE(map_text().find("\"classname\" \"func_door\"\n\"angle\" \"0\""), std::string::npos) << map_text();
  const std::string door = map_text();
  panel->give_back_to_world();
  EXPECT_EQ(count_brushes(hull), 2);
  EXPECT_EQ(hull->next, nullptr);  // the emptied door goes
  trigger(CM_EDITUNDO);
  EXPECT_EQ(map_text(), door);
  trigger(CM_EDITUNDO);
  EXPECT_EQ(map_text(), before);

  // Nothing selected: the door cannot be made, and says why.
  unselectbrushes();
  panel->make_entity();
  EXPECT_EQ(fake.boxes.back().caption, "Make entity");
  EXPECT_EQ(check_model(), "");
}
