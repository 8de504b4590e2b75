// A mapper's day through the real window: a map begun with File/new and drawn
// in the plan views, saved under a name, closed, quit, replaced by another
// and found again among the recent files; every question about unsaved
// changes answered each way it can be.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <filesystem>

#include "app/commands.h"
#include "app/plan_window.h"
#include "app/view_layout.h"
#include "app/view_window.h"
#include "app_fixture.h"
#include "edit/box_brush.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/camera.h"
#include "model/map_state.h"

namespace {

const std::string DASH = "\u2014";

class MapFlows : public AppTest {
 protected:
  std::string title() {
    frame->refresh_commands();
    return frame->windowTitle().toStdString();
  }

  TPlanWindow* plan(plan_axis axis) {
    for (QMdiSubWindow* w : win->subWindowList()) {
      auto* p = dynamic_cast<TPlanWindow*>(w);
      if (p != nullptr && p->camera().axis == axis) return p;
    }
    return nullptr;
  }

  // A left drag in empty space of a plan view, from one world point to
  // another: a new box.
  void draw_box(plan_axis axis, vertex_t from, vertex_t to) {
    TPlanWindow* v = plan(axis);
    ASSERT_NE(v, nullptr);
    QApplication::processEvents();
    v->draw();
    QWidget* c = v->canvas();
    const auto send = [c](QEvent::Type type, QPointF p, Qt::MouseButtons held) {
      QMouseEvent e(type, p, c->mapToGlobal(p), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    held, Qt::NoModifier);
      QCoreApplication::sendEvent(c, &e);
    };
    const QPointF a = plan_pixel(v->camera(), from), b = plan_pixel(v->camera(), to);
    send(QEvent::MouseButtonPress, a, Qt::LeftButton);
    send(QEvent::MouseMove, (a + b) / 2, Qt::LeftButton);
    send(QEvent::MouseMove, b, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, b, Qt::NoButton);
  }

  // Opens a copy of the box map under name and changes it.
  std::string open_changed(const std::string& name) {
    const std::string path = temp_dir() + "/" + name;
    write_file(path, BOX_MAP);
    open_map(path);
    change();
    return path;
  }
  // One more box in the world, as a plan view draws it.
  void change() {
    const vertex_t lo{256, 256, 0}, hi{static_cast<float>(256 + 32 * ++boxes_added), 288, 32};
    ASSERT_NE(new_world_box(&lo, &hi), nullptr);
    win->end_of_step();
  }
  int boxes_added = 0;

  std::vector<std::string> recent_menu() {
    frame->refresh_commands();
    std::vector<std::string> texts;
    for (int id = CM_RECENT1; id <= CM_RECENT8; ++id) {
      if (frame->action(id)->isVisible()) texts.push_back(frame->action(id)->text().toStdString());
    }
    return texts;
  }

  int brush_count() {
    int n = 0;
    for (brush_t* b = hull != nullptr ? hull->brush : nullptr; b != nullptr; b = b->next) ++n;
    return n;
  }
};

TEST_F(MapFlows, ARoomFromFileNewToASavedFile) {
  EXPECT_EQ(title(), "VELD: a QUAKE editor");
  trigger(CM_FILENEW);
  // An empty world, ready to draw in, in four views.
  ASSERT_NE(hull, nullptr);
  EXPECT_EQ(hull->next, nullptr);
  EXPECT_EQ(hull->brush, nullptr);
  ASSERT_NE(hull->header, nullptr);
  EXPECT_STREQ(hull->header->key, "classname");
  EXPECT_STREQ(hull->header->value, "worldspawn");
  EXPECT_EQ(hull->header->next, nullptr);
  EXPECT_EQ(numentity, 0);
  EXPECT_EQ(win->candraw, 1);
  EXPECT_EQ(title(), "untitled " + DASH + " VELD");
  for (plan_axis a : {plan_axis::top, plan_axis::front, plan_axis::side}) EXPECT_NE(plan(a), nullptr);

  // A floor from the top, a pillar beside it from the front, another from
  // the side, each begun in empty space.
  draw_box(plan_axis::top, {0, 0, 0}, {256, 256, 0});
  draw_box(plan_axis::front, {320, 0, 0}, {384, 0, 128});
  draw_box(plan_axis::side, {0, -128, 0}, {0, -64, 128});
  ASSERT_EQ(brush_count(), 3);
  EXPECT_EQ(title(), "untitled* " + DASH + " VELD");

  // The first save asks for a name: Save as Save As would.
  const std::string path = temp_dir() + "/room.map";
  fake.file_answers = {path};
  trigger(CM_FILESAVE);
  ASSERT_EQ(fake.file_dialogs.size(), 1u);
  EXPECT_EQ(fake.file_dialogs[0].kind, file_dialog_kind::save);
  EXPECT_EQ(title(), "room.map " + DASH + " VELD");
  EXPECT_EQ(win->document.map_path(), path);
  EXPECT_EQ(read_file(path), map_text());
  reset_model();
  ASSERT_TRUE(read_map(path).ok());
  EXPECT_EQ(brush_count(), 3);
  EXPECT_STREQ(hull->classname, "worldspawn");
}

TEST_F(MapFlows, CtrlKeysOfTheFileMenuAndSaveWritingTheMapsOwnFile) {
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
  const auto press = [this](Qt::Key k, Qt::KeyboardModifiers mods) {
    QTest::keyClick(frame->windowHandle(), k, mods);
  };
  press(Qt::Key_N, Qt::ControlModifier);
  ASSERT_EQ(win->candraw, 1);
  const std::string path = temp_dir() + "/keys.map";
  fake.file_answers = {path};
  press(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(win->document.map_path(), path);

  // Once named, Ctrl+S writes there without a dialog.
  change();
  press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(fake.file_dialogs.size(), 1u);
  EXPECT_EQ(read_file(path), map_text());

  fake.file_answers = {std::nullopt};
  press(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(fake.file_dialogs.back().kind, file_dialog_kind::open);
}

// One flow over the question's answers; with nothing unsaved nothing is asked.
TEST_F(MapFlows, CloseAsksOnlyAboutUnsavedChangesAndCancelBacksOut) {
  const std::string path = open_changed("close.map");
  const std::string changed = map_text();
  ASSERT_NE(plan(plan_axis::top), nullptr);

  fake.box_answers = {IDCANCEL};
  std::size_t before = fake.boxes.size();
  trigger(CM_FILECLOSE);
  ASSERT_EQ(fake.boxes.size(), before + 1);
  EXPECT_EQ(fake.boxes.back().text, "Do You Want to save it?");
  EXPECT_EQ(fake.boxes.back().caption, "A File Is Open...");
  EXPECT_EQ(fake.boxes.back().buttons, box_buttons::yes_no_cancel);
  EXPECT_EQ(win->candraw, 1);
  EXPECT_EQ(map_text(), changed);
  EXPECT_EQ(read_file(path), BOX_MAP);
  EXPECT_TRUE(fake.file_dialogs.back().kind == file_dialog_kind::open);  // no save dialog
  EXPECT_TRUE(win->timer().running());

  fake.box_answers = {IDYES};  // written to the map's own file, then closed
  trigger(CM_FILECLOSE);
  EXPECT_EQ(read_file(path), changed);
  EXPECT_EQ(win->candraw, 0);
  EXPECT_EQ(hull, nullptr);
  // The plan views went with the map.
  EXPECT_EQ(win->subWindowList(), QList<QMdiSubWindow*>{win->view_window()});

  open_map(path);
  before = fake.boxes.size();
  trigger(CM_FILECLOSE);  // nothing changed: nothing asked
  EXPECT_EQ(fake.boxes.size(), before);
  EXPECT_EQ(win->candraw, 0);

  open_map(path);
  change();
  fake.box_answers = {IDNO};
  trigger(CM_FILECLOSE);
  EXPECT_EQ(win->candraw, 0);
  EXPECT_EQ(read_file(path), changed);  // dropped, not saved
}

TEST_F(MapFlows, QuitAsksOnlyAboutUnsavedChangesAndCancelBacksOut) {
  const std::string path = open_changed("quit.map");
  const std::string changed = map_text();

  fake.box_answers = {IDOK, IDCANCEL};
  trigger(CM_FILEEXIT);
  EXPECT_FALSE(fake.exit_code.has_value());
  EXPECT_EQ(fake.boxes.back().text, "save?");
  EXPECT_EQ(fake.boxes.back().caption, "A File is Open...");
  EXPECT_EQ(fake.boxes.back().buttons, box_buttons::yes_no_cancel);
  EXPECT_EQ(map_text(), changed);
  EXPECT_TRUE(win->timer().running());
  EXPECT_EQ(win->timer().period(), 1);

  fake.box_answers = {IDOK, IDNO};
  EXPECT_TRUE(win->CanClose());
  EXPECT_EQ(read_file(path), BOX_MAP);

  fake.box_answers = {IDOK, IDYES};
  EXPECT_TRUE(win->CanClose());
  EXPECT_EQ(read_file(path), changed);

  // Saved: only the quit question.
  const std::size_t before = fake.boxes.size();
  fake.box_answers = {IDOK};
  trigger(CM_FILEEXIT);
  EXPECT_EQ(fake.boxes.size(), before + 1);
  EXPECT_EQ(fake.exit_code, 0);
}

TEST_F(MapFlows, NewAndOpenWithAMapOpenAskAsCloseDoes) {
  const std::string first = open_changed("first.map");
  const std::string changed = map_text();
  const std::string second = temp_dir() + "/second.map";
  write_file(second, BOX_MAP + "{\n\"classname\" \"light\"\n\"origin\" \"0 0 32\"\n}\n");

  // Backing out of the question shows no dialog and changes nothing.
  const std::size_t dialogs = fake.file_dialogs.size();
  fake.box_answers = {IDCANCEL};
  trigger(CM_FILEOPEN);
  EXPECT_EQ(fake.file_dialogs.size(), dialogs);
  fake.box_answers = {IDCANCEL};
  trigger(CM_FILENEW);
  EXPECT_EQ(map_text(), changed);
  EXPECT_EQ(win->document.map_path(), first);

  // Don't Save, then a file that is not a map: the map open stays as it is.
  const std::string junk = temp_dir() + "/junk.map";
  write_file(junk, "not a map");
  fake.box_answers = {IDNO};
  open_map(junk);
  EXPECT_EQ(map_text(), changed);
  EXPECT_EQ(win->document.map_path(), first);

  // Don't Save, then the other map: it replaces the first, in new views.
  TPlanWindow* old_top = plan(plan_axis::top);
  win->vd = 2.0f;
  fake.box_answers = {IDNO};
  open_map(second);
  EXPECT_EQ(numentity, 1);
  EXPECT_EQ(win->document.map_path(), second);
  EXPECT_EQ(title(), "second.map " + DASH + " VELD");
  EXPECT_EQ(win->vd, 1.0f);  // the view starts afresh, as after a close
  EXPECT_NE(plan(plan_axis::top), nullptr);
  EXPECT_NE(plan(plan_axis::top), old_top);
  EXPECT_EQ(read_file(first), BOX_MAP);

  // Unchanged, nothing is asked before a new map.
  const std::size_t before = fake.boxes.size();
  trigger(CM_FILENEW);
  EXPECT_EQ(fake.boxes.size(), before);
  EXPECT_EQ(numentity, 0);
  EXPECT_EQ(win->document.map_path(), "");
}

TEST_F(MapFlows, RecentFilesOpenThroughTheSameFlowAndAreKept) {
  EXPECT_TRUE(recent_menu().empty());
  std::vector<std::string> paths;
  for (int i = 0; i < 9; ++i) {
    paths.push_back(temp_dir() + "/map" + std::to_string(i) + ".map");
    write_file(paths.back(), BOX_MAP);
    open_map(paths.back());
  }
  std::vector<std::string> menu = recent_menu();
  ASSERT_EQ(menu.size(), 8u);  // the newest eight, the newest first
  EXPECT_EQ(menu[0], "&1 " + paths[8]);
  EXPECT_EQ(menu[7], "&8 " + paths[1]);

  // Kept for the next run.
  delete frame;
  frame = InitMainWindow();
  win = frame->client();
  frame->show();
  EXPECT_EQ(recent_menu(), menu);

  open_changed("changed.map");
  const std::string changed = map_text();
  fake.box_answers = {IDCANCEL};
  trigger(CM_RECENT1 + 1);
  EXPECT_EQ(map_text(), changed);
  fake.box_answers = {IDNO};
  trigger(CM_RECENT1 + 1);  // the list moved down one with changed.map on top
  EXPECT_EQ(win->document.map_path(), paths[8]);
  EXPECT_EQ(recent_menu()[0], "&1 " + paths[8]);

  // A map no longer there is reported and leaves the list.
  std::filesystem::remove(paths[7]);
  const std::size_t before = fake.boxes.size();
  trigger(CM_RECENT1 + 2);
  EXPECT_GT(fake.boxes.size(), before);
  EXPECT_EQ(win->document.map_path(), paths[8]);
  for (const std::string& line : recent_menu()) EXPECT_EQ(line.find(paths[7]), std::string::npos) << line;
}

TEST_F(MapFlows, AFailedSaveKeepsTheMapsNameAndFile) {
  const std::string path = open_changed("kept.map");
  const std::string read_only = temp_dir() + "/read-only.map";
  write_file(read_only, "old contents");
  std::filesystem::permissions(read_only, std::filesystem::perms::owner_read);
  fake.file_answers = {read_only};
  fake.box_answers = {IDOK};  // replace it: yes
  trigger(CM_FILESAVEAS);
  EXPECT_NE(fake.boxes.back().text.find("not saved"), std::string::npos);
  EXPECT_EQ(read_file(read_only), "old contents");
  EXPECT_EQ(win->document.map_path(), path);
  EXPECT_EQ(win->document.FileData.file_name, path);
  EXPECT_EQ(title(), "kept.map* " + DASH + " VELD");
  // The next save goes to the map's own file, asking nothing.
  const std::size_t before = fake.boxes.size();
  trigger(CM_FILESAVE);
  EXPECT_EQ(fake.boxes.size(), before);
  EXPECT_EQ(read_file(path), map_text());
  EXPECT_EQ(title(), "kept.map " + DASH + " VELD");
}

// None covers another, and together they fill the drawing window; the 3D
// view shows its whole picture where there is room and scrolls where not.
TEST_F(MapFlows, FourViewsSideBySide) {
  const auto expect_four_views = [this](const char* when) {
    QApplication::processEvents();
    const QList<QMdiSubWindow*> views = win->subWindowList();
    ASSERT_EQ(views.size(), 4) << when;
    QRegion covered;
    int area = 0;
    for (QMdiSubWindow* v : views) {
      EXPECT_FALSE(covered.intersects(v->geometry())) << when;
      covered += v->geometry();
      area += v->width() * v->height();
    }
    EXPECT_EQ(covered, QRegion(win->viewport()->rect())) << when;
    EXPECT_EQ(area, win->viewport()->width() * win->viewport()->height()) << when;
  };
  frame->resize(1500, 1000);
  open_changed("views.map");
  expect_four_views("on opening");
  QScrollArea* scroller = win->view_window()->scroller();
  EXPECT_EQ(scroller->viewport()->size(), QSize(800, 600));

  // Laid out again when the window changes size, while nobody moved them.
  frame->resize(900, 700);
  expect_four_views("smaller");
  EXPECT_GT(scroller->horizontalScrollBar()->maximum() + scroller->verticalScrollBar()->maximum(), 0);
  EXPECT_GE(plan(plan_axis::top)->width(), PLAN_ROOM_WIDTH);

  trigger(CM_VIEWTILE);
  trigger(CM_VIEWFOUR);
  expect_four_views("after Tile");
  EXPECT_EQ(QApplication::focusWidget(), win->picture());

  // Another plan view opens beside the 3D view, not over it.
  trigger(CM_VIEWTOP);
  QMdiSubWindow* extra = win->subWindowList().back();
  EXPECT_FALSE(extra->geometry().intersects(win->view_window()->geometry()));
  extra->close();

  // Closing the 3D view hides it; Four views brings it back.
  win->view_window()->close();
  EXPECT_TRUE(win->view_window()->isHidden());
  trigger(CM_VIEWFOUR);
  EXPECT_FALSE(win->view_window()->isHidden());
  expect_four_views("after the 3D view was closed");
}

// The View menu's camera moves, each enabled only where it has something to
// go to.
TEST_F(MapFlows, GoToThePlayerStartAndCentreOnTheSelection) {
  EXPECT_FALSE(enabled(CM_GOTOPLAYERSTART));
  EXPECT_FALSE(enabled(CM_CENTRESELECTION));
  const std::string path = temp_dir() + "/start.map";
  write_file(path, BOX_MAP +
                       "{\n\"classname\" \"info_player_start\"\n\"origin\" \"-200 -300 24\"\n"
                       "\"angle\" \"90\"\n}\n");
  open_map(path);
  ASSERT_TRUE(enabled(CM_GOTOPLAYERSTART));
  EXPECT_FALSE(enabled(CM_CENTRESELECTION));
  trigger(CM_GOTOPLAYERSTART);
  EXPECT_EQ(origin, (vertex_t{-200, -300, 24}));
  EXPECT_NEAR(angle.z, 0.0f, 1e-6);  // looking along +y, as the angle 90 says

  hibr = hull->brush;
  insert_brush_in_list(hibr);
  trigger(CM_CENTRESELECTION);
  const vertex_t centre{0, 0, 0};
  vertex_t seen;
  rotate_vertex(&centre, &seen);
  EXPECT_NEAR(seen.x, 0.0f, 1.0f);
  EXPECT_NEAR(seen.z, 0.0f, 1.0f);
  EXPECT_GT(seen.y, 64.0f);  // in front, beyond the box's own size
}

TEST(FourViewLayout, TheThreeDViewShrinksOnlyWhereThePlanViewsWouldNotHaveRoom) {
  const QSize whole(806, 626);
  const four_view_rects big = four_view_layout(QSize(1600, 900), whole);
  EXPECT_EQ(big.view3d, QRect(QPoint(0, 0), whole));
  EXPECT_EQ(big.top, QRect(806, 0, 794, 626));
  EXPECT_EQ(big.front, QRect(0, 626, 806, 274));
  EXPECT_EQ(big.side, QRect(806, 626, 794, 274));

  const four_view_rects small = four_view_layout(QSize(1000, 700), whole);
  EXPECT_EQ(small.view3d.size(), QSize(1000 - PLAN_ROOM_WIDTH, 700 - PLAN_ROOM_HEIGHT));
  EXPECT_EQ(small.side.bottomRight(), QPoint(999, 699));

  // On a very small screen each side keeps half.
  const four_view_rects tiny = four_view_layout(QSize(400, 300), whole);
  EXPECT_EQ(tiny.view3d.size(), QSize(200, 150));
  EXPECT_EQ(tiny.side, QRect(200, 150, 200, 150));

  // A view opened alone goes in the larger room beside the 3D view, cut to
  // fit, each next one a step further; with no room, in the corner.
  const QSize wanted(480, 360);
  EXPECT_EQ(place_beside(QSize(1600, 900), big.view3d, wanted, 0), QRect(QPoint(806, 0), wanted));
  EXPECT_EQ(place_beside(QSize(1600, 900), big.view3d, wanted, 1), QRect(QPoint(830, 24), wanted));
  EXPECT_EQ(place_beside(QSize(900, 1200), big.view3d, wanted, 0), QRect(QPoint(0, 626), wanted));
  EXPECT_EQ(place_beside(QSize(1100, 700), big.view3d, wanted, 0), QRect(806, 0, 294, 360));
  EXPECT_EQ(place_beside(QSize(900, 700), big.view3d, wanted, 3), QRect(QPoint(0, 0), wanted));
}

TEST_F(MapFlows, TheWindowComesBackWhereItWasLeft) {
  frame->setGeometry(60, 70, 1100, 800);
  const QRect left = frame->geometry();
  fake.box_answers = {IDOK};
  trigger(CM_FILEEXIT);
  ASSERT_EQ(fake.exit_code, 0);
  delete frame;  // as the program's end does
  frame = InitMainWindow();
  win = frame->client();
  EXPECT_EQ(frame->geometry().size(), left.size());
}

}  // namespace
