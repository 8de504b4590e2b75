// A platform backend for tests: answers message boxes, file dialogs and dialog
// runs from scripts, and records every text and caption that was shown.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

class scripted_platform : public platform_backend {
 public:
  struct shown_box {
    std::string text, caption;
    box_buttons buttons;
  };
  struct shown_file_dialog {
    file_dialog_kind kind;
    std::string filter, default_ext, initial_dir;
  };

  // Installs itself for its lifetime.
  scripted_platform();
  ~scripted_platform() override;

  // Answers for the next boxes, in order; with none queued a box gets its
  // first button (IDOK, or IDYES for a save question). A box with only OK
  // takes an answer off the queue and gets IDOK.
  std::deque<int> box_answers;
  // Paths for the next file dialogs; nullopt cancels. With none queued: cancel.
  std::deque<std::optional<std::string>> file_answers;
  // Scripts for the next dialog runs: fill controls, press buttons, return IDOK
  // or IDCANCEL. With none queued a dialog is cancelled.
  std::deque<std::function<int(TDialog&)>> dialog_scripts;

  std::vector<shown_box> boxes;
  std::vector<shown_file_dialog> file_dialogs;
  int dialogs_run = 0;
  std::optional<int> exit_code;  // set when the program asked to end
  // When set, every box and dialog shows a modal stand-in window while it is
  // answered, which takes the keyboard away as a real one does.
  bool show_modal_windows = false;

  int message_box(QWidget* parent, const std::string& text, const std::string& caption,
                  box_buttons buttons) override;
  int file_dialog(QWidget* parent, file_dialog_kind kind, file_dialog_data& data) override;
  int modal_dialog(TDialog& dlg) override;
  void exit_process(int code) override { exit_code = code; }
  // The machine as the window sees it: fixed, so that no frame or status line
  // depends on the machine the tests run on.
  unsigned long memory = 42;  // per cent in use
  long seconds = 1800000000;  // the clock; a test moves it on
  unsigned long memory_load() override { return memory; }
  long clock_seconds() override { return seconds; }
};
