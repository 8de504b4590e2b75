#include "app_fixture.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <fstream>
#include <memory>

#include "app/commands.h"
#include "app/plan_window.h"
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

TPlanWindow* AppTest::open(int id) {
  trigger(id);
  auto* v = dynamic_cast<TPlanWindow*>(win->subWindowList().back());
  if (v == nullptr) return nullptr;
  v->resize(500, 420);
  QCoreApplication::processEvents();
  v->draw();  // the first frame shows the whole map
  v->camera().centre_u = v->camera().centre_v = 0;
  v->camera().zoom = 1;
  return v;
}

QPoint AppTest::at(TPlanWindow* v, vertex_t p) { return plan_pixel(v->camera(), p).toPoint(); }

void AppTest::send(TPlanWindow* v, QEvent::Type type, QPoint p, Qt::MouseButton button,
                   Qt::KeyboardModifiers mods) {
  QWidget* c = v->canvas();
  QMouseEvent e(type, QPointF(p), c->mapToGlobal(QPointF(p)), button,
                type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::MouseButtons(), mods);
  QCoreApplication::sendEvent(c, &e);
}

void AppTest::click(TPlanWindow* v, QPoint p, Qt::KeyboardModifiers mods) {
  send(v, QEvent::MouseButtonPress, p, Qt::LeftButton, mods);
  send(v, QEvent::MouseButtonRelease, p, Qt::LeftButton, mods);
}

void AppTest::drag(TPlanWindow* v, QPoint from, QPoint to, Qt::MouseButton button,
                   Qt::KeyboardModifiers mods) {
  send(v, QEvent::MouseButtonPress, from, button, mods);
  send(v, QEvent::MouseMove, (from + to) / 2, Qt::NoButton);
  send(v, QEvent::MouseMove, to, Qt::NoButton);
  send(v, QEvent::MouseButtonRelease, to, button);
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
