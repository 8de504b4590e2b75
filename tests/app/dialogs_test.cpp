// The four dialogs end to end: opened by their key or menu item on a real
// window, filled and confirmed through the scripted platform.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QCompleter>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>

#include "app/commands.h"
#include "app/hull_dialog.h"
#include "app/keyval_dialog.h"
#include "app_fixture.h"
#include "edit/transforms.h"
#include "mapio/map_writer.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model_fixture.h"

namespace {

// Six faces of the box (a, b, c)-(A, B, C), each plane's normal pointing in.
std::string box(int a, int b, int c, int A, int B, int C, const char* tex) {
  std::ostringstream s;
  auto face = [&](int x0, int y0, int z0, int x1, int y1, int z1, int x2, int y2, int z2) {
    s << "( " << x0 << ' ' << y0 << ' ' << z0 << " ) ( " << x1 << ' ' << y1 << ' ' << z1 << " ) ( " << x2
      << ' ' << y2 << ' ' << z2 << " ) " << tex << " 0 0 0 1 1\n";
  };
  s << "{\n";
  face(a, b, c, a, B, c, a, b, C);
  face(A, b, c, A, b, C, A, B, c);
  face(a, b, c, a, b, C, A, b, c);
  face(a, B, c, A, B, c, a, B, C);
  face(a, b, c, A, b, c, a, B, c);
  face(a, b, C, a, B, C, A, b, C);
  s << "}\n";
  return s.str();
}

std::string test_map() {
  return "{\n\"classname\" \"worldspawn\"\n\"wad\" \"gfx/base.wad\"\n" +
         box(-256, -256, -16, 256, 256, 0, "FLOOR") +
         "}\n{\n\"classname\" \"func_door\"\n\"targetname\" \"d1\"\n\"speed\" \"100\"\n\"Angle\" \"90\"\n"
         "\"spawnflags\" \"1\"\n" +
         box(0, 0, 0, 16, 64, 96, "DOOR_A") + box(16, 0, 0, 32, 64, 96, "DOOR_B") +
         "}\n{\n\"classname\" \"info_player_start\"\n\"origin\" \"0 0 64\"\n}\n"
         "{\n\"origin\" \"16 16 16\"\n}\n";
}

using script = std::function<int(TDialog&)>;

class Dialogs : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    const std::string path = temp_dir() + "/dialogs.map";
    std::ofstream(path, std::ios::binary) << test_map();
    open_map(path);
    win->timer().stop();
    fake.boxes.clear();
  }

  static surf* face_of(const char* texture) {
    for (hull_t* h = hull; h != nullptr; h = h->next) {
      for (brush_t* b = h->brush; b != nullptr; b = b->next) {
        if (b->fsurf->texname == texture) return b->fsurf;
      }
    }
    return nullptr;
  }
  static hull_t* door() { return hull->next; }

  // Presses key k with the dialog it opens answered by s.
  void key_with(Qt::Key k, script s) {
    fake.dialog_scripts.push_back(std::move(s));
    QTest::keyClick(win, k);
  }
  void edit(surf* face, script s) {
    hilight = face;
    key_with(Qt::Key_E, std::move(s));
  }

  static void click(TDialog& d, int id) { qobject_cast<QAbstractButton*>(d.control(id))->click(); }
  static void add(TDialog& d, const char* key, const char* value) {
    d.set_control_text(114, key);
    d.set_control_text(115, value);
    click(d, 116);
  }
  static QListWidget* list(TDialog& d) { return qobject_cast<QListWidget*>(d.control(113)); }
  static std::vector<std::string> lines(TDialog& d) {
    std::vector<std::string> out;
    for (int i = 0; i < list(d)->count(); ++i) out.push_back(list(d)->item(i)->text().toStdString());
    return out;
  }
  static void remove_line(TDialog& d, const char* text) {
    const auto found = list(d)->findItems(QString::fromLatin1(text), Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text;
    list(d)->setCurrentItem(found.first());
    click(d, 117);
  }
  static bool checked(TDialog& d, int id) { return qobject_cast<QCheckBox*>(d.control(id))->isChecked(); }

  static std::vector<std::string> pairs_of(const keyval* kv) {
    std::vector<std::string> out;
    for (; kv != nullptr; kv = kv->next) out.push_back(std::string(kv->key) + "=" + kv->value);
    return out;
  }
};

using strings = std::vector<std::string>;

}  // namespace

TEST_F(Dialogs, EditValuesShowsStoresAndKeeps) {
  std::string first_drag, first_angle;
  fake.dialog_scripts.push_back([&](TDialog& d) {
    first_drag = d.control_text(10);
    first_angle = d.control_text(11);
    d.set_control_text(10, "0.1");
    d.set_control_text(11, "degrees");
    return IDOK;
  });
  trigger(CM_PROPERTIES);
  EXPECT_EQ(first_drag, "5.000000");
  EXPECT_EQ(first_angle, "45.000000");
  EXPECT_EQ(drag_distance, 0.1f);
  EXPECT_EQ(rotation_angle, 0.0f);

  fake.dialog_scripts.push_back([&](TDialog& d) {
    first_drag = d.control_text(10);
    d.set_control_text(10, "12");
    return IDCANCEL;
  });
  trigger(CM_PROPERTIES);
  EXPECT_EQ(first_drag, "0.100000");
  EXPECT_EQ(drag_distance, 0.1f);
}

TEST_F(Dialogs, BrushCreatorStartsAMapFromNothing) {
  trigger(CM_FILECLOSE);  // unchanged: nothing asked
  ASSERT_EQ(hull, nullptr);
  strings texts;
  key_with(Qt::Key_Insert, [](TDialog&) { return IDCANCEL; });
  EXPECT_EQ(hull, nullptr);
  EXPECT_EQ(win->candraw, 0);

  key_with(Qt::Key_Insert, [&](TDialog& d) {
    for (int id : {10, 11, 12, 13}) texts.push_back(d.control_text(id));
    d.set_control_text(10, "64.9");
    return IDOK;
  });
  EXPECT_EQ(texts, (strings{"32.000000", "32.000000", "32.000000", "8.000000"}));
  ASSERT_NE(hull, nullptr);
  EXPECT_STREQ(hull->classname, "worldspawn");
  ASSERT_EQ(count_brushes(hull), 1);
  EXPECT_EQ(win->candraw, 1);
  float ymin = 1e9f, ymax = -1e9f;
  for (const surf* s = hull->brush->fsurf; s != nullptr; s = s->next) {
    for (int i = 0; i < s->numpoints; ++i)
      ymin = std::min(ymin, s->point[i].y), ymax = std::max(ymax, s->point[i].y);
  }
  EXPECT_NEAR(ymax - ymin, 64.0f, 0.01f);  // the length runs along y and is cut to 64
}

TEST_F(Dialogs, BrushCreatorRefusesSizesItCannotBuild) {
  trigger(CM_FILECLOSE);
  fake.boxes.clear();
  key_with(Qt::Key_Insert, [](TDialog& d) {
    d.set_control_text(12, "1e9");
    return IDOK;
  });
  EXPECT_EQ(hull, nullptr);
  EXPECT_EQ(win->candraw, 1);  // OK starts the view, built or not
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].caption, "brush creator");
}

TEST_F(Dialogs, BrushCreatorNewModelMakesAnEntityOfTheClass) {
  hilight = face_of("FLOOR");
  const int world_brushes = count_brushes(hull);
  key_with(Qt::Key_Insert, [](TDialog& d) {
    d.set_control_text(15, "func_wall");
    click(d, 16);
    click(d, 14);  // a room: several brushes, all of them go
    return IDOK;
  });
  EXPECT_EQ(count_brushes(hull), world_brushes);
  hull_t* last = hull;
  while (last->next != nullptr) last = last->next;
  EXPECT_STREQ(last->classname, "func_wall");
  EXPECT_EQ(pairs_of(last->header), (strings{"classname=func_wall"}));
  EXPECT_EQ(count_brushes(last), 7);  // six walls and the inner block
}

TEST_F(Dialogs, EditHullListsSortedAndRewritesInThatOrder) {
  strings shown;
  std::string texture;
  edit(face_of("DOOR_A"), [&](TDialog& d) {
    shown = lines(d);
    texture = d.control_text(118);
    return IDOK;
  });
  EXPECT_EQ(shown,
            (strings{"Angle  90", "classname  func_door", "spawnflags  1", "speed  100", "targetname  d1"}));
  EXPECT_EQ(texture, "DOOR_A");
  EXPECT_EQ(pairs_of(door()->header),
            (strings{"Angle=90", "classname=func_door", "spawnflags=1", "speed=100", "targetname=d1"}));
  ASSERT_EQ(fake.boxes.size(), 5u);
  EXPECT_EQ(fake.boxes[1].text, "classname");
  EXPECT_EQ(fake.boxes[1].caption, "func_door");
  EXPECT_EQ(win->timer().period(), 10);
  EXPECT_TRUE(win->timer().running());
}

// "show each pair" off: both dialogs store every pair without a box; the
// choice is kept for the next run, and on again brings the boxes back.
TEST_F(Dialogs, ShowEachPairOffStoresThePairsWithoutABoxEach) {
  EXPECT_TRUE(AppTest::checked(CM_SHOWEACHPAIR));
  trigger(CM_SHOWEACHPAIR);
  EXPECT_FALSE(AppTest::checked(CM_SHOWEACHPAIR));
  edit(face_of("DOOR_A"), [](TDialog& d) {
    add(d, "wait", "2");
    return IDOK;
  });
  edit(entities[0].brush->fsurf, [](TDialog& d) {
    add(d, "angle", "180");
    return IDOK;
  });
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(pairs_of(door()->header).size(), 6u);
  EXPECT_EQ(pairs_of(entities[0].header).front(), "angle=180");  // in the list's order

  delete frame;
  frame = InitMainWindow();
  win = frame->client();
  EXPECT_FALSE(AppTest::checked(CM_SHOWEACHPAIR));
  EXPECT_EQ(options.show_each_pair, 0);
  trigger(CM_SHOWEACHPAIR);
  delete frame;
  frame = InitMainWindow();
  win = frame->client();
  EXPECT_TRUE(AppTest::checked(CM_SHOWEACHPAIR));
}

TEST_F(Dialogs, AddReplacesOnlyTheLineOfTheSameKeyInEitherDialog) {
  strings after_first;
  edit(face_of("DOOR_A"), [&](TDialog& d) {
    add(d, "target", "t1");  // a key of its own beside "targetname"
    after_first = lines(d);
    add(d, "TARGET", "t2");  // the same key in other letters
    remove_line(d, "speed  100");
    remove_line(d, "Angle  90");
    return IDOK;
  });
  EXPECT_EQ(after_first, (strings{"Angle  90", "classname  func_door", "spawnflags  1", "speed  100",
                                  "target  t1", "targetname  d1"}));
  EXPECT_EQ(pairs_of(door()->header),
            (strings{"classname=func_door", "spawnflags=1", "TARGET=t2", "targetname=d1"}));

  strings entity_lines;
  edit(entities[0].brush->fsurf, [&](TDialog& d) {
    add(d, "targetname", "s1");
    add(d, "target", "s2");
    entity_lines = lines(d);
    return IDOK;
  });
  EXPECT_EQ(entity_lines, (strings{"classname  info_player_start", "target  s2", "targetname  s1"}));
  EXPECT_EQ(pairs_of(entities[0].header),
            (strings{"classname=info_player_start", "target=s2", "targetname=s1"}));
}

TEST_F(Dialogs, AClassnameKeyInOtherLettersIsAnOrdinaryPair) {
  // As read from a map that spells the key so: the entity has no class, and
  // OK without changes leaves the brush where it is.
  hull_t* d = door();
  hull_t* after = d->next;
  set_key(d->header, "Classname");
  d->classname[0] = '\0';
  surf* a = face_of("DOOR_A");
  edit(a, [](TDialog&) { return IDOK; });
  EXPECT_EQ(d->next, after);
  EXPECT_EQ(a->brush->hull, d);
  EXPECT_EQ(count_brushes(d), 2);
  EXPECT_EQ(pairs_of(d->header),
            (strings{"Angle=90", "Classname=func_door", "spawnflags=1", "speed=100", "targetname=d1"}));
}

TEST_F(Dialogs, AQuoteCannotEnterAPair) {
  edit(face_of("DOOR_A"), [&](TDialog& d) {
    add(d, "message", "say \"hi\"");
    return IDOK;
  });
  EXPECT_EQ(fake.boxes[0].caption, "EDIT HULL");
  EXPECT_EQ(pairs_of(door()->header).size(), 5u);
}

TEST_F(Dialogs, NewClassDetachesOnlyTheHighlightedBrush) {
  surf* a = face_of("DOOR_A");
  hull_t* old = door();
  hull_t* after = old->next;
  edit(a, [&](TDialog& d) {
    add(d, "classname", "func_wall");
    return IDOK;
  });
  hull_t* fresh = old->next;
  ASSERT_NE(fresh, after);
  EXPECT_EQ(fresh->next, after);
  EXPECT_STREQ(fresh->classname, "func_wall");
  EXPECT_EQ(fresh->brush, a->brush);
  EXPECT_EQ(count_brushes(fresh), 1);
  EXPECT_EQ(pairs_of(fresh->header),
            (strings{"Angle=90", "classname=func_wall", "spawnflags=1", "speed=100", "targetname=d1"}));
  EXPECT_EQ(count_brushes(old), 1);
  EXPECT_EQ(pairs_of(old->header),
            (strings{"classname=func_door", "targetname=d1", "speed=100", "Angle=90", "spawnflags=1"}));
}

TEST_F(Dialogs, WorldspawnMovesTheBrushAndKeepsEveryList) {
  surf* a = face_of("DOOR_A");
  const strings door_pairs = pairs_of(door()->header);
  const strings world_pairs = pairs_of(hull->header);
  edit(a, [&](TDialog& d) {
    add(d, "classname", "worldspawn");
    add(d, "speed", "5");
    return IDOK;
  });
  EXPECT_EQ(hull->brush, a->brush);
  EXPECT_EQ(a->brush->hull, hull);
  EXPECT_EQ(count_brushes(door()), 1);
  EXPECT_EQ(pairs_of(door()->header), door_pairs);
  EXPECT_EQ(pairs_of(hull->header), world_pairs);
  EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Dialogs, TextureChangesOneFaceOrTheWholeBrush) {
  surf* a = face_of("DOOR_A");
  edit(a, [](TDialog& d) {
    d.set_control_text(118, "METAL2_4");
    return IDOK;
  });
  EXPECT_EQ(a->texname, "METAL2_4");
  for (surf* s = a->next; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "DOOR_A");

  edit(a, [](TDialog& d) {
    click(d, TEditHull::ID_CHANGE_ALL);
    return IDOK;
  });
  for (surf* s = a->brush->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "METAL2_4");

  // A name the map file could not hold keeps the dialog open and the face as it was.
  edit(a, [](TDialog& d) {
    d.set_control_text(118, "two words");
    return IDOK;
  });
  EXPECT_EQ(a->texname, "METAL2_4");
}

TEST_F(Dialogs, SpawnFlagBoxesFollowTheSpawnflagsPair) {
  bool easy = false, hard = false;
  edit(face_of("DOOR_A"), [&](TDialog& d) {
    click(d, 109);  // not in easy: 256 joins the door's own bit 1
    add(d, "spawnflags", "1025");
    easy = checked(d, 109);
    hard = checked(d, 111);
    return IDOK;
  });
  EXPECT_FALSE(easy);
  EXPECT_TRUE(hard);
  EXPECT_EQ(pairs_of(door()->header)[2], "spawnflags=1025");

  edit(face_of("DOOR_A"), [&](TDialog& d) {
    click(d, 111);
    click(d, 112);
    return IDOK;
  });
  EXPECT_EQ(pairs_of(door()->header)[2], "spawnflags=2049");
}

TEST_F(Dialogs, EditEntitySetsTheOriginThatTheNextSaveWrites) {
  dentity_t& start = entities[0];
  const vertex_t marker_corner = start.brush->fsurf->point[0];
  strings xyz;
  edit(start.brush->fsurf, [&](TDialog& d) {
    for (int id : {105, 106, 107}) xyz.push_back(d.control_text(id));
    d.set_control_text(105, "128");
    d.set_control_text(106, "north");
    return IDOK;
  });
  EXPECT_EQ(xyz, (strings{"0.000000", "0.000000", "64.000000"}));
  EXPECT_EQ(start.origin.x, 128.0f);
  EXPECT_EQ(start.origin.y, 0.0f);
  EXPECT_EQ(start.brush->fsurf->point[0].x, marker_corner.x);  // the marker stays

  const std::string out = temp_dir() + "/saved.map";
  fake.file_answers.push_back(out);
  trigger(CM_FILESAVEAS);
  EXPECT_NE(read_file(out).find("\"classname\" \"info_player_start\"\n\"origin\" \"128 0 64\""),
            std::string::npos);
}

TEST_F(Dialogs, EmptiedAndFilledEntityLists) {
  edit(entities[0].brush->fsurf, [&](TDialog& d) {
    remove_line(d, "classname  info_player_start");
    return IDOK;
  });
  EXPECT_EQ(entities[0].header, nullptr);
  strings sf;
  edit(entities[1].brush->fsurf, [&](TDialog& d) {
    EXPECT_TRUE(lines(d).empty());
    add(d, "classname", "light");
    d.set_control_text(108, "768");  // SF is the spawnflags number
    click(d, 109);                   // checked, as 768 has it
    sf.push_back(d.control_text(108));
    click(d, 109);
    sf.push_back(d.control_text(108));
    return IDOK;
  });
  EXPECT_EQ(sf, (strings{"768", "512"}));
  EXPECT_EQ(pairs_of(entities[1].header), (strings{"classname=light", "spawnflags=512"}));

  const std::string text = map_text();
  EXPECT_NE(text.find("}\n{\n\"origin\" \"0 0 64\"\n}\n"), std::string::npos);
}

TEST_F(Dialogs, AFailingEntityDialogIsReportedAsError) {
  edit(entities[0].brush->fsurf, [](TDialog&) -> int { throw std::runtime_error("no dialog"); });
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].text, "no dialog");
  EXPECT_EQ(fake.boxes[0].caption, "Error");
  EXPECT_TRUE(win->timer().running());
  EXPECT_EQ(win->timer().period(), 10);
}

TEST_F(Dialogs, NewModelNeverLeavesTheWorldWithoutBrushes) {
  trigger(CM_FILECLOSE);
  auto as_new_model = [](TDialog& d) {
    qobject_cast<QCheckBox*>(d.control(16))->setChecked(true);
    d.set_control_text(15, "func_wall");
    return IDOK;
  };
  fake.boxes.clear();
  key_with(Qt::Key_Insert, as_new_model);  // the first brush of a new map stays in the world
  ASSERT_NE(hull, nullptr);
  EXPECT_EQ(hull->next, nullptr);
  EXPECT_EQ(count_brushes(hull), 1);
  ASSERT_EQ(fake.boxes.size(), 1u);
  EXPECT_EQ(fake.boxes[0].caption, "brush creator");

  key_with(Qt::Key_Insert, as_new_model);  // the next one becomes a model of its own
  ASSERT_NE(hull->next, nullptr);
  EXPECT_STREQ(hull->next->classname, "func_wall");
  EXPECT_EQ(count_brushes(hull->next), 1);
  EXPECT_EQ(count_brushes(hull), 1);
}

// A class the definitions know has its keys explained: their help, defaults
// and choices as the key is typed, and its own spawn flags as check boxes
// that set the number.
TEST_F(Dialogs, TheDefinitionsExplainTheKeysOfAClass) {
  std::string speed_help, sounds_help;
  int sounds_choices = 0;
  std::vector<std::string> flag_names;
  bool first_checked = false;
  edit(face_of("DOOR_A"), [&](TDialog& d) {
    auto& k = dynamic_cast<TKeyValDialog&>(d);
    for (const QCheckBox* box : k.class_flags()) flag_names.push_back(box->text().toStdString());
    first_checked = !k.class_flags().empty() && k.class_flags()[0]->isChecked();
    d.set_control_text(114, "SPEED");
    speed_help = k.key_help()->text().toStdString();
    d.set_control_text(114, "sounds");
    sounds_help = k.key_help()->text().toStdString();
    const QCompleter* choices = qobject_cast<QLineEdit*>(d.control(115))->completer();
    sounds_choices = choices != nullptr ? choices->model()->rowCount() : 0;
    k.class_flags().back()->click();  // Toggle
    return IDOK;
  });
  EXPECT_EQ(flag_names,
            (std::vector<std::string>{"Starts open", "Don't link", "Gold key", "Silver key", "Toggle"}));
  EXPECT_TRUE(first_checked);
  EXPECT_NE(speed_help.find("(default 100)"), std::string::npos) << speed_help;
  EXPECT_NE(sounds_help.find("choices: 0 None, 1 Stone"), std::string::npos) << sounds_help;
  EXPECT_EQ(sounds_choices, 5);
  std::string flags;
  for (const keyval* kv = door()->header; kv != nullptr; kv = kv->next) {
    if (std::string(kv->key) == "spawnflags") flags = kv->value;
  }
  EXPECT_EQ(flags, "33");
}

// One texture for another over the selection or the whole map, one undo
// step; a name the file could not hold is refused and nothing changes.
TEST_F(Dialogs, ReplaceTexturesOverTheSelectionOrTheMap) {
  const auto uses = [](const char* name) {
    int n = 0;
    for (const hull_t* h = hull; h != nullptr; h = h->next) {
      for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
        for (const surf* s = b->fsurf; s != nullptr; s = s->next) n += s->texname == name ? 1 : 0;
      }
    }
    return n;
  };
  const auto replace = [this](const char* from, const char* to, bool selected_only) {
    fake.dialog_scripts.push_back([=](TDialog& d) {
      d.set_control_text(10, from);
      d.set_control_text(11, to);
      qobject_cast<QCheckBox*>(d.control(12))->setChecked(selected_only);
      return IDOK;
    });
    trigger(CM_REPLACETEXTURES);
  };
  append_to_selection(face_of("DOOR_B")->brush);
  replace("door_b", "METAL", true);
  EXPECT_EQ(uses("DOOR_B"), 0);
  EXPECT_EQ(uses("METAL"), 6);
  EXPECT_EQ(uses("DOOR_A"), 6);

  const std::string before = map_text();
  replace("FLOOR", "two words", false);
  EXPECT_EQ(fake.boxes.back().caption, "Replace textures");
  EXPECT_EQ(map_text(), before);
  unselectbrushes();
  replace("floor", "GROUND", false);
  EXPECT_EQ(uses("FLOOR"), 0);
  EXPECT_EQ(uses("GROUND"), 6);
  trigger(CM_EDITUNDO);
  EXPECT_EQ(map_text(), before);
}
