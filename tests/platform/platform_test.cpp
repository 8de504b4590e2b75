#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <Qt>
#include <functional>

#include "platform/dialog.h"
#include "platform/platform.h"
#include "platform/redraw_timer.h"
#include "platform/system_status.h"
#include "platform/virtual_keys.h"
#include "scripted_platform.h"

TEST(Platform, BarFiltersBecomeQtFilters) {
  EXPECT_EQ(qt_filter("Map Files (*.map)|*.map|"), "Map Files (*.map)");
  EXPECT_EQ(qt_filter("Veld Object Files (*.vlp)|*.vlp|"), "Veld Object Files (*.vlp)");
  EXPECT_EQ(qt_filter("Maps|*.map|All|*.*|"), "Maps (*.map);;All (*.*)");
}

TEST(Platform, DialogStartsAtTheRememberedPathThenTheGameFolder) {
  file_dialog_data data;
  data.initial_dir = "\\no\\such\\folder\\";
  EXPECT_EQ(dialog_start_dir(data), QDir::currentPath().toStdString());
  data.initial_dir = "\\tmp\\";
  EXPECT_EQ(dialog_start_dir(data), "/tmp/");
  data.file_name = "/usr/share/x.map";
  EXPECT_EQ(dialog_start_dir(data), "/usr/share");
}

TEST(Platform, KeyTableCodes) {
  EXPECT_EQ(virtual_key(Qt::Key_S), 0x53u);
  EXPECT_EQ(virtual_key(Qt::Key_1), 0x31u);
  EXPECT_EQ(virtual_key(Qt::Key_Exclam), 0x31u);  // Shift+1
  EXPECT_EQ(virtual_key(Qt::Key_At), 0x32u);      // Shift+2
  EXPECT_EQ(virtual_key(Qt::Key_Underscore), 0xBDu);
  EXPECT_EQ(virtual_key(Qt::Key_Comma), 0xBCu);
  EXPECT_EQ(virtual_key(Qt::Key_Period), 0xBEu);
  EXPECT_EQ(virtual_key(Qt::Key_End), 0x23u);
  EXPECT_EQ(virtual_key(Qt::Key_Home), 0x24u);
  EXPECT_EQ(virtual_key(Qt::Key_PageUp), 0x21u);
  EXPECT_EQ(virtual_key(Qt::Key_BracketLeft), 0xDBu);
  EXPECT_EQ(virtual_key(Qt::Key_BracketRight), 0xDDu);
  EXPECT_EQ(virtual_key(Qt::Key_Equal), 0xBBu);
  EXPECT_EQ(virtual_key(Qt::Key_Minus), 0xBDu);
  EXPECT_EQ(virtual_key(Qt::Key_Tab), 0x09u);
  EXPECT_EQ(virtual_key(Qt::Key_Backslash), 0xDCu);
  EXPECT_EQ(virtual_key(Qt::Key_QuoteLeft), 0xC0u);
  EXPECT_EQ(virtual_key(Qt::Key_Backspace), 0x08u);
  EXPECT_EQ(virtual_key(Qt::Key_Delete), 0x2Eu);
  EXPECT_EQ(virtual_key(Qt::Key_Insert), 0x2Du);
  EXPECT_EQ(virtual_key(Qt::Key_Space), 0x20u);
  EXPECT_EQ(virtual_key(Qt::Key_unknown), 0u);
}

TEST(Platform, SystemStatus) {
  EXPECT_LE(memory_load_percent(), 100u);
  EXPECT_GT(memory_load_percent(), 0u);  // a running test uses some memory
  EXPECT_GT(time_seconds(), 1700000000L);
}

TEST(Platform, TimerRestartReplacesThePeriod) {
  int ticks = 0;
  redraw_timer timer([&] { ++ticks; });
  timer.start(10);
  timer.start(0);
  EXPECT_TRUE(timer.running());
  EXPECT_EQ(timer.period(), 0);
  QElapsedTimer clock;
  clock.start();
  while (ticks < 3 && clock.elapsed() < 30000)
    QApplication::processEvents();  // long enough for a busy machine
  EXPECT_GE(ticks, 3);
  // Never faster than the timer's resolution: no spinning.
  EXPECT_GE(clock.elapsed(), 2 * TIMER_RESOLUTION);
  timer.stop();
  EXPECT_FALSE(timer.running());
  const int stopped_at = ticks;
  QApplication::processEvents();
  EXPECT_EQ(ticks, stopped_at);
}

namespace {

class probe_dialog : public TDialog {
 public:
  probe_dialog() : TDialog(nullptr, QStringLiteral("probe"), 100, 60) {
    auto* field = new QComboBox(this);
    field->setEditable(true);
    place(field, 10, 5, 5, 50, 15);
    add_ok_cancel(5, 40, 20, 14, 30, 40, 30, 14);
  }
  void SetupWindow() override { set_control_text(10, "5.000000"); }
  bool CanClose() override {
    stored = control_text(10);
    return true;
  }
  void CloseWindow(int r) override { closed_with = r; }
  std::string stored;
  int closed_with = 0;
};

}  // namespace

TEST(Platform, DialogHooksRunOnlyOnOk) {
  scripted_platform fake;
  probe_dialog cancelled;
  fake.dialog_scripts.push_back([](TDialog& d) {
    EXPECT_EQ(d.control_text(10), "5.000000");
    d.set_control_text(10, "7");
    return IDCANCEL;
  });
  EXPECT_EQ(cancelled.Execute(), IDCANCEL);
  EXPECT_EQ(cancelled.stored, "");
  EXPECT_EQ(cancelled.closed_with, 0);

  probe_dialog accepted;
  fake.dialog_scripts.push_back([](TDialog& d) {
    d.set_control_text(10, std::string(80, '9'));
    return IDOK;
  });
  EXPECT_EQ(accepted.Execute(), IDOK);
  EXPECT_EQ(accepted.stored, std::string(49, '9'));  // fields are read through 50-char buffers
  EXPECT_EQ(accepted.closed_with, IDOK);
}

TEST(Platform, RealOkButtonAsksCanClose) {
  probe_dialog dlg;
  dlg.SetupWindow();
  auto* ok = qobject_cast<QPushButton*>(dlg.control(IDOK));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->isDefault());
  ok->click();
  EXPECT_EQ(dlg.result(), IDOK);
  EXPECT_EQ(dlg.stored, "5.000000");
  EXPECT_EQ(dlg.closed_with, IDOK);
}

TEST(Platform, ScriptedBoxesRecordTextsAndAnswer) {
  scripted_platform fake;
  fake.box_answers = {IDCANCEL};
  EXPECT_EQ(MessageBox(nullptr, "delete brush?", "are you sure?", box_buttons::ok_cancel), IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, "dclk", "test", box_buttons::ok), IDOK);
  ASSERT_EQ(fake.boxes.size(), 2u);
  EXPECT_EQ(fake.boxes[0].caption, "are you sure?");
  EXPECT_EQ(fake.boxes[1].text, "dclk");
}

// The save question on the real backend: each of its three buttons gives its
// own answer, and Escape is Cancel, never Don't Save.
TEST(Platform, TheSaveQuestionsButtonsGiveTheirAnswers) {
  const auto answer_by = [](const std::function<void(QMessageBox*)>& press) {
    QTimer::singleShot(0, [press] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box != nullptr) press(box);
    });
    return MessageBox(nullptr, "Do You Want to save it?", "A File Is Open...", box_buttons::yes_no_cancel);
  };
  const auto click = [](const char* label) {
    return [label](QMessageBox* box) {
      for (QAbstractButton* b : box->buttons()) {
        if (b->text().remove(QLatin1Char('&')) == QLatin1String(label)) b->click();
      }
    };
  };
  EXPECT_EQ(answer_by(click("Save")), IDYES);
  EXPECT_EQ(answer_by(click("Don't Save")), IDNO);
  EXPECT_EQ(answer_by(click("Cancel")), IDCANCEL);
  EXPECT_EQ(answer_by([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }), IDCANCEL);
}
