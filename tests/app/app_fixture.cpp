#include "app_fixture.h"

#include <QAction>
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "app/commands.h"
#include "app/user_settings.h"
#include "edit/transforms.h"
#include "model/box.h"
#include "model/map_state.h"
#include "model/model_check.h"
#include "model/view_options.h"
#include "render/render_state.h"

namespace {
std::unique_ptr<QTemporaryDir> scratch;
}

void AppTest::SetUp() {
  // Each test starts as on a machine where the editor never ran.
  user_settings().clear();
  reset_model();
  reset_render_state();
  options = view_options{};
  reset_edit_steps();
  frame = InitMainWindow();
  win = frame->client();
  frame->resize(900, 720);
  frame->show();
}

void AppTest::TearDown() {
  EXPECT_EQ(check_model(), "");
  // An answer left over was meant for a question that never came.
  EXPECT_TRUE(fake.box_answers.empty()) << fake.box_answers.size() << " box answers left";
  EXPECT_TRUE(fake.file_answers.empty()) << fake.file_answers.size() << " file answers left";
  delete frame;
  reset_model();
  reset_render_state();
  options = view_options{};
  marker_shapes.clear();
  scratch.reset();
}

void AppTest::open_map(const std::string& path) {
  fake.file_answers.push_back(path);
  trigger(CM_FILEOPEN);
}

void AppTest::ticks(int n) {
  for (int i = 0; i < n; ++i) win->EvTimer();
}

void AppTest::trigger(int id) {
  QAction* a = frame->action(id);
  ASSERT_NE(a, nullptr) << id;
  frame->refresh_commands();
  ASSERT_TRUE(a->isEnabled()) << id;
  a->trigger();
}

bool AppTest::enabled(int id) {
  frame->refresh_commands();
  return frame->action(id)->isEnabled();
}

bool AppTest::checked(int id) {
  frame->refresh_commands();
  return frame->action(id)->isChecked();
}

std::string temp_dir() {
  if (!scratch) scratch = std::make_unique<QTemporaryDir>();
  return scratch->path().toStdString();
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}
