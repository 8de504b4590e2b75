// The window never overwrites a file or drops changes without the user's word:
// the close and quit flows, the questions before a save replaces a file, and
// the keyboard focus after every box and dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <functional>

#include "app/commands.h"
#include "app/select_window.h"
#include "app_fixture.h"
#include "built_map.h"
#include "edit/box_brush.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"
#include "model_fixture.h"

namespace {

class Safety : public AppTest {
 protected:
  // Opens a copy of the box map and changes it.
  std::string open_changed_map() {
    const std::string path = temp_dir() + "/box.map";
    write_file(path, BOX_MAP);
    open_map(path);
    change_map();
    return path;
  }

  // Resets the textures of the first brush, as the R key does.
  void change_map() {
    hilight = hull->brush->fsurf;
    QTest::keyClick(win, Qt::Key_R);
    hilight = nullptr;
  }

  // A path no save can write: no temporary file fits beside a name this long.
  // A path below a plain file, which no save can create.
  static std::string unwritable_path() {
    write_file(temp_dir() + "/not-a-folder", "");
    return temp_dir() + "/not-a-folder/map.map";
  }

  // The answer Save to the question, followed by each way a save can fail to
  // happen: the map's file changed on disk and the user would not replace
  // it, the file cannot be written, and an untitled map's save dialog
  // cancelled.
  void expect_kept_after_each_unsaved_outcome(const std::function<void()>& ask) {
    const std::string path = open_changed_map();
    const std::string changed = map_text();
    write_file(path, "changed elsewhere");
    fake.box_answers = {IDYES, IDCANCEL};  // save, but do not replace the changed file
    ask();
    EXPECT_NE(fake.boxes.back().text.find("changed on disk"), std::string::npos);
    EXPECT_EQ(win->candraw, 1);
    EXPECT_EQ(map_text(), changed);
    EXPECT_EQ(read_file(path), "changed elsewhere");
    EXPECT_EQ(win->timer().period(), 1);

    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    fake.box_answers = {IDYES, IDOK};  // save, replace the changed file; the write fails
    const std::size_t before = fake.boxes.size();
    ask();
    ASSERT_GE(fake.boxes.size(), before + 3);
    EXPECT_NE(fake.boxes.back().text.find("not saved"), std::string::npos);
    EXPECT_EQ(win->candraw, 1);
    EXPECT_EQ(map_text(), changed);
    EXPECT_EQ(win->document.map_path(), path);

    fake.box_answers = {IDNO};
    trigger(CM_FILENEW);
    change_map_by_drawing();
    fake.box_answers = {IDYES};
    fake.file_answers = {std::nullopt};  // the save dialog of an untitled map cancelled
    ask();
    EXPECT_EQ(win->candraw, 1);
    EXPECT_NE(hull->brush, nullptr);
    EXPECT_TRUE(win->document.unsaved_changes());
  }

  // A box in the world, as the brush creator would make one.
  void change_map_by_drawing() {
    const vertex_t lo{0, 0, 0}, hi{64, 64, 64};
    ASSERT_NE(new_world_box(&lo, &hi), nullptr);
    win->end_of_step();
  }
};

TEST_F(Safety, CloseIsCancelledWhenTheSaveDoesNotHappen) {
  expect_kept_after_each_unsaved_outcome([this] { trigger(CM_FILECLOSE); });
  EXPECT_NE(hull, nullptr);
  EXPECT_TRUE(enabled(CM_FILESAVE));
}

TEST_F(Safety, QuitIsCancelledWhenTheSaveDoesNotHappen) {
  // The quit question comes first; both flows answer it with OK.
  expect_kept_after_each_unsaved_outcome([this] {
    fake.box_answers.push_front(IDOK);
    trigger(CM_FILEEXIT);
  });
  EXPECT_FALSE(fake.exit_code.has_value());
}

TEST_F(Safety, OnlyAMapChangedSinceItsLastSaveIsAutosaved) {
  QDir root(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/autosave");
  root.removeRecursively();
  const std::string path = temp_dir() + "/box.map";
  write_file(path, BOX_MAP);
  open_map(path);
  // A change undone is no change; a change saved is no longer unsaved.
  change_map();
  trigger(CM_EDITUNDO);
  win->document.autosave();
  EXPECT_FALSE(root.exists());
  trigger(CM_EDITREDO);
  trigger(CM_FILESAVE);
  EXPECT_NE(read_file(path), BOX_MAP);
  win->document.autosave();
  EXPECT_FALSE(root.exists());
}

TEST_F(Safety, ReplacingAnotherFileAsksFirst) {
  open_changed_map();
  const std::string other = temp_dir() + "/other.map";
  write_file(other, "keep me");
  fake.file_answers = {other};
  fake.box_answers = {IDCANCEL};
  std::size_t before = fake.boxes.size();
  trigger(CM_FILESAVEAS);
  ASSERT_EQ(fake.boxes.size(), before + 1);
  EXPECT_EQ(fake.boxes.back().text, other + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(fake.boxes.back().buttons, box_buttons::ok_cancel);
  EXPECT_EQ(read_file(other), "keep me");
  EXPECT_EQ(win->timer().period(), 1);

  // Object files and raw exports are not replaced without the same question.
  hibr = hull->brush;
  insert_brush_in_list(hibr);
  for (int command : {CM_OBJECTSAVE, CM_EXPORTRAW}) {
    fake.file_answers = {other};
    fake.box_answers = {IDCANCEL};
    before = fake.boxes.size();
    trigger(command);
    ASSERT_EQ(fake.boxes.size(), before + 1) << command;
    EXPECT_EQ(fake.boxes.back().text, other + " already exists.\nDo you want to replace it?");
  }
  EXPECT_EQ(read_file(other), "keep me");

  fake.file_answers = {other};
  fake.box_answers = {IDOK};
  trigger(CM_FILESAVEAS);
  EXPECT_NE(read_file(other).find("worldspawn"), std::string::npos);

  // The file last saved to is the map's own: saving there again asks nothing.
  change_map();
  before = fake.boxes.size();
  fake.file_answers = {other};
  trigger(CM_FILESAVEAS);
  EXPECT_EQ(fake.boxes.size(), before);
  EXPECT_EQ(read_file(other), map_text());
}

TEST_F(Safety, AFileChangedOnDiskIsNotReplacedWithoutAsking) {
  const std::string path = open_changed_map();
  write_file(path, "changed by someone else");
  fake.box_answers = {IDCANCEL};
  std::size_t before = fake.boxes.size();
  trigger(CM_FILESAVE);
  ASSERT_EQ(fake.boxes.size(), before + 1);
  EXPECT_NE(fake.boxes.back().text.find("changed on disk"), std::string::npos) << fake.boxes.back().text;
  EXPECT_EQ(read_file(path), "changed by someone else");

  // Same size, new time: still a change.
  fake.box_answers = {IDOK};
  trigger(CM_FILESAVE);
  ASSERT_EQ(read_file(path), map_text());
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(
      file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
  file.close();
  fake.box_answers = {IDCANCEL};
  before = fake.boxes.size();
  trigger(CM_FILESAVE);
  ASSERT_EQ(fake.boxes.size(), before + 1);
  EXPECT_NE(fake.boxes.back().text.find("changed on disk"), std::string::npos);
}

TEST_F(Safety, SavingOverAPartlyReadFileNamesWhatIsLost) {
  const std::string path = temp_dir() + "/broken.map";
  const std::string broken = "{\n\"classname\" \"worldspawn\"\n}\n(\n";
  write_file(path, broken);
  open_map(path);
  ASSERT_NE(fake.boxes.back().text.find("stopped before the end"), std::string::npos);

  fake.box_answers = {IDCANCEL};
  std::size_t before = fake.boxes.size();
  trigger(CM_FILESAVE);
  ASSERT_EQ(fake.boxes.size(), before + 1);
  EXPECT_NE(fake.boxes.back().text.find("line 4"), std::string::npos) << fake.boxes.back().text;
  EXPECT_EQ(fake.boxes.back().buttons, box_buttons::ok_cancel);
  EXPECT_EQ(read_file(path), broken);

  // Another name is no loss.
  const std::string copy = temp_dir() + "/copy.map";
  fake.file_answers = {copy};
  before = fake.boxes.size();
  trigger(CM_FILESAVEAS);
  EXPECT_EQ(fake.boxes.size(), before);
  EXPECT_FALSE(read_file(copy).empty());

  // Back to the original: still asked, and once saved there it is whole.
  fake.file_answers = {path};
  fake.box_answers = {IDOK};
  trigger(CM_FILESAVEAS);
  EXPECT_NE(fake.boxes.back().text.find("line 4"), std::string::npos);
  EXPECT_EQ(read_file(path), map_text());
  before = fake.boxes.size();
  trigger(CM_FILESAVE);
  EXPECT_EQ(fake.boxes.size(), before);
}

TEST_F(Safety, TheKeyboardComesBackToThe3DViewAfterEveryModalWindow) {
  open_map(built_map_path());
  fake.show_modal_windows = true;
  frame->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame));
  win->focus_picture();
  // Keys go where a real key would: to the focus widget of the active window.
  auto key = [this](Qt::Key k) { QTest::keyClick(frame->windowHandle(), k); };
  auto expect_focus = [this](const char* after) {
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), win->picture()) << after;
  };

  const auto overhead_view = [this] {
    const QList<QMdiSubWindow*> views = win->subWindowList();
    const auto found = std::find_if(views.begin(), views.end(), [](QMdiSubWindow* v) {
      return dynamic_cast<TSelectWindow*>(v) != nullptr;
    });
    return found != views.end() ? *found : nullptr;
  };
  key(Qt::Key_Space);
  ASSERT_NE(overhead_view(), nullptr);
  overhead_view()->close();
  expect_focus("the overhead view");
  key(Qt::Key_Space);  // the first Space after it is not lost
  ASSERT_NE(overhead_view(), nullptr);
  overhead_view()->close();

  hilight = hull->brush->fsurf;
  key(Qt::Key_E);
  EXPECT_EQ(fake.dialogs_run, 1);
  expect_focus("the entity dialog");

  hilight = hull->brush->fsurf;
  fake.box_answers = {IDCANCEL};
  key(Qt::Key_Delete);
  EXPECT_EQ(fake.boxes.back().text, "delete brush?");
  expect_focus("a message box");

  fake.file_answers = {std::nullopt};
  trigger(CM_FILESAVEAS);
  expect_focus("the save dialog");
}

TEST_F(Safety, AnUnsavedMapIsAutosavedAndOfferedWhenOpenedAgain) {
  QDir root(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/autosave");
  root.removeRecursively();
  EXPECT_TRUE(win->document.autosave_timer().isActive());
  EXPECT_EQ(win->document.autosave_timer().interval(), 5 * 60 * 1000);

  const std::string path = temp_dir() + "/box.map";
  write_file(path, BOX_MAP);
  open_map(path);
  const std::string original = map_text();
  win->document.autosave();
  EXPECT_FALSE(root.exists());  // nothing unsaved, nothing written

  change_map();
  for (int i = 0; i < 12; ++i) win->document.autosave();
  const QStringList folders = root.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  ASSERT_EQ(folders.size(), 1);
  QDir folder(root.filePath(folders[0]));
  const QStringList kept = folder.entryList(QDir::Files, QDir::Name);
  ASSERT_EQ(kept.size(), 10);
  EXPECT_EQ(kept.front(), "000003.map");
  EXPECT_EQ(kept.back(), "000012.map");
  const std::string autosaved = map_text();
  ASSERT_NE(autosaved, original);
  EXPECT_EQ(read_file(folder.filePath(kept.back()).toStdString()), autosaved);
  EXPECT_EQ(read_file(path), BOX_MAP);
  EXPECT_TRUE(enabled(CM_EDITUNDO));

  // Closed without saving, then opened again: the autosave is offered.
  fake.box_answers = {IDNO};
  trigger(CM_FILECLOSE);
  ASSERT_EQ(win->candraw, 0);
  QFile file(QString::fromStdString(path));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
  file.close();
  fake.box_answers = {IDCANCEL};
  open_map(path);
  const auto offer = std::find_if(fake.boxes.begin(), fake.boxes.end(),
                                  [](const auto& b) { return b.caption == "autosave"; });
  ASSERT_NE(offer, fake.boxes.end());
  EXPECT_EQ(offer->buttons, box_buttons::ok_cancel);
  EXPECT_NE(offer->text.find("newer"), std::string::npos);
  EXPECT_EQ(map_text(), original);  // declined: the file as it is

  trigger(CM_FILECLOSE);  // nothing changed: nothing asked
  fake.box_answers = {IDOK};
  open_map(path);
  EXPECT_EQ(map_text(), autosaved);
  EXPECT_EQ(win->document.caption(), "VELD: A QUAKE Editor  " + path);
  // Not in the file yet: closing asks, and saving there asks nothing more.
  fake.box_answers = {IDYES};
  const std::size_t before = fake.boxes.size();
  trigger(CM_FILECLOSE);
  EXPECT_EQ(fake.boxes.size(), before + 1);
  EXPECT_EQ(fake.boxes.back().text, "Do You Want to save it?");
  EXPECT_EQ(read_file(path), autosaved);
  root.removeRecursively();
}

}  // namespace
