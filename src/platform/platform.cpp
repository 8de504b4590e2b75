#include "platform/platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <vector>

#include "platform/dialog.h"
#include "platform/system_status.h"

namespace {

class qt_backend : public platform_backend {
 public:
  int message_box(QWidget* parent, const std::string& text, const std::string& caption,
                  box_buttons buttons) override {
    QMessageBox box(parent);
    box.setText(QString::fromStdString(text));
    box.setWindowTitle(QString::fromStdString(caption));
    if (buttons == box_buttons::yes_no_cancel) {
      QPushButton* save = box.addButton(QMessageBox::Save);
      QPushButton* discard = box.addButton(QMessageBox::Discard);
      discard->setText(QStringLiteral("Don't Save"));
      box.addButton(QMessageBox::Cancel);
      box.setDefaultButton(save);
      box.setEscapeButton(QMessageBox::Cancel);
      box.exec();
      return box.clickedButton() == save ? IDYES : box.clickedButton() == discard ? IDNO : IDCANCEL;
    }
    if (buttons == box_buttons::ok_cancel) {
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
      box.setStandardButtons(QMessageBox::Ok);
    }
    box.setDefaultButton(QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok ? IDOK : IDCANCEL;
  }

  int file_dialog(QWidget* parent, file_dialog_kind kind, file_dialog_data& data) override {
    QFileDialog dlg(parent);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setNameFilter(QString::fromStdString(qt_filter(data.filter)));
    dlg.setDefaultSuffix(QString::fromStdString(data.default_ext));
    dlg.setDirectory(QString::fromStdString(dialog_start_dir(data)));
    if (!data.file_name.empty()) dlg.selectFile(QFileInfo(QString::fromStdString(data.file_name)).fileName());
    if (data.flags & OFN_HIDEREADONLY) dlg.setOption(QFileDialog::ReadOnly, false);
    if (kind == file_dialog_kind::folder) {
      dlg.setAcceptMode(QFileDialog::AcceptOpen);
      dlg.setFileMode(QFileDialog::Directory);
      dlg.setOption(QFileDialog::ShowDirsOnly);
      if (!data.file_name.empty()) dlg.setDirectory(QString::fromStdString(data.file_name));
    } else if (kind == file_dialog_kind::open_many) {
      dlg.setAcceptMode(QFileDialog::AcceptOpen);
      dlg.setFileMode(QFileDialog::ExistingFiles);
    } else if (kind == file_dialog_kind::open) {
      dlg.setAcceptMode(QFileDialog::AcceptOpen);
      dlg.setFileMode((data.flags & OFN_FILEMUSTEXIST) ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    } else {
      // A save names a file that need not exist yet; the window asks its own
      // questions before replacing one, so the dialog asks none.
      dlg.setAcceptMode(QFileDialog::AcceptSave);
      dlg.setFileMode(QFileDialog::AnyFile);
      dlg.setOption(QFileDialog::DontConfirmOverwrite);
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return IDCANCEL;
    data.file_name = dlg.selectedFiles().join(QLatin1Char('\n')).toStdString();
    return IDOK;
  }

  int modal_dialog(TDialog& dlg) override {
    dlg.SetupWindow();
    return dlg.exec() == IDOK ? IDOK : IDCANCEL;
  }

  // Leaves the event loop at once; main then returns the code.
  void exit_process(int code) override { QCoreApplication::exit(code); }
  unsigned long memory_load() override { return memory_load_percent(); }
  long clock_seconds() override { return time_seconds(); }
};

qt_backend real_backend;
platform_backend* current = &real_backend;

// Runs a modal window, then gives the keyboard back to the widget that had it:
// once a modal window closes, nothing under it has the focus any more, and the
// next key would be lost.
template <class Run>
int keeping_focus(Run run) {
  const QPointer<QWidget> had_focus = QApplication::focusWidget();
  const int result = run();
  if (had_focus && had_focus->isVisible()) {
    had_focus->window()->activateWindow();
    had_focus->setFocus(Qt::OtherFocusReason);
  }
  return result;
}

}  // namespace

void set_platform_backend(platform_backend* backend) {
  current = backend != nullptr ? backend : &real_backend;
}

int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, box_buttons buttons) {
  return keeping_focus([&] { return current->message_box(parent, text, caption, buttons); });
}

int FileOpenDialog(QWidget* parent, file_dialog_data& data) {
  return keeping_focus([&] { return current->file_dialog(parent, file_dialog_kind::open, data); });
}

int FileSaveDialog(QWidget* parent, file_dialog_data& data) {
  return keeping_focus([&] { return current->file_dialog(parent, file_dialog_kind::save, data); });
}

int FolderDialog(QWidget* parent, file_dialog_data& data) {
  return keeping_focus([&] { return current->file_dialog(parent, file_dialog_kind::folder, data); });
}

int FilesOpenDialog(QWidget* parent, file_dialog_data& data) {
  return keeping_focus([&] { return current->file_dialog(parent, file_dialog_kind::open_many, data); });
}

int ExecuteDialog(TDialog& dlg) {
  return keeping_focus([&] { return current->modal_dialog(dlg); });
}

void ExitProcess(int code) { current->exit_process(code); }

unsigned long MemoryLoad() { return current->memory_load(); }

long ClockSeconds() { return current->clock_seconds(); }

std::string qt_filter(const std::string& bar_filter) {
  std::vector<std::string> parts;
  std::string field;
  for (char c : bar_filter) {
    if (c == '|') {
      parts.push_back(field);
      field.clear();
    } else {
      field += c;
    }
  }
  if (!field.empty()) parts.push_back(field);

  std::string out;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    const std::string& desc = parts[i];
    const std::string& pattern = parts[i + 1];
    if (!out.empty()) out += ";;";
    out += desc;
    if (desc.find("(" + pattern + ")") == std::string::npos) out += " (" + pattern + ")";
  }
  return out;
}

std::string dialog_start_dir(const file_dialog_data& data) {
  if (!data.file_name.empty()) {
    const QFileInfo chosen(QString::fromStdString(data.file_name));
    if (chosen.dir().exists()) return chosen.dir().absolutePath().toStdString();
  }
  std::string dir = data.initial_dir;
  for (char& c : dir) {
    if (c == '\\') c = '/';
  }
  if (!dir.empty() && QDir(QString::fromStdString(dir)).exists()) return dir;
  return QDir::currentPath().toStdString();
}
