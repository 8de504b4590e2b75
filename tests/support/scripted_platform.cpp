#include "scripted_platform.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>

#include "platform/dialog.h"

namespace {

// A modal window over parent's window, shown, activated and closed again.
void stand_in_window(QWidget* parent) {
  QDialog stand_in(parent != nullptr ? parent->window() : nullptr);
  stand_in.setModal(true);
  stand_in.show();
  stand_in.activateWindow();
  QApplication::processEvents();
  stand_in.hide();
  QApplication::processEvents();
}

}  // namespace

scripted_platform::scripted_platform() { set_platform_backend(this); }

scripted_platform::~scripted_platform() { set_platform_backend(nullptr); }

int scripted_platform::message_box(QWidget* parent, const std::string& text, const std::string& caption,
                                   box_buttons buttons) {
  boxes.push_back({text, caption, buttons});
  if (show_modal_windows) stand_in_window(parent);
  const bool three = buttons == box_buttons::yes_no_cancel;
  // Unscripted, a box gets its first button.
  if (box_answers.empty()) return three ? IDYES : IDOK;
  const int answer = box_answers.front();
  box_answers.pop_front();
  if (buttons == box_buttons::ok) return IDOK;
  // An answer the box has no button for is a slip in the test's script.
  const bool offered = three ? (answer == IDYES || answer == IDNO || answer == IDCANCEL)
                             : (answer == IDOK || answer == IDCANCEL);
  if (!offered) ADD_FAILURE() << "answer " << answer << " is not a button of the box \"" << text << "\"";
  return answer;
}

int scripted_platform::file_dialog(QWidget* parent, file_dialog_kind kind, file_dialog_data& data) {
  file_dialogs.push_back({kind, data.filter, data.default_ext, data.initial_dir});
  if (show_modal_windows) stand_in_window(parent);
  if (file_answers.empty()) return IDCANCEL;
  const std::optional<std::string> answer = file_answers.front();
  file_answers.pop_front();
  if (!answer) return IDCANCEL;
  data.file_name = *answer;
  return IDOK;
}

int scripted_platform::modal_dialog(TDialog& dlg) {
  ++dialogs_run;
  dlg.SetupWindow();
  if (show_modal_windows) stand_in_window(dlg.parentWidget());
  if (dialog_scripts.empty()) return IDCANCEL;
  auto script = std::move(dialog_scripts.front());
  dialog_scripts.pop_front();
  if (script(dlg) != IDOK || !dlg.CanClose()) return IDCANCEL;
  dlg.CloseWindow(IDOK);
  return IDOK;
}
