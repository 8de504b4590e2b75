// The thin layer over Qt that the window code calls for everything modal:
// message boxes, file dialogs and dialog runs. A test installs a scripted
// backend that answers them and records what was shown.
#pragma once

#include <string>

class QWidget;
class TDialog;

enum { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The buttons of a message box. yes_no_cancel is the question before changes
// could be lost: its buttons read Save (IDYES), Don't Save (IDNO) and Cancel.
enum class box_buttons { ok, ok_cancel, yes_no_cancel };

// Settings and remembered path of one file dialog.
struct file_dialog_data {
  unsigned flags = 0;       // OFN_* bits, kept as the window sets them
  std::string filter;       // pairs of description and pattern, each followed by '|'
  std::string default_ext;  // without the dot
  std::string initial_dir;  // may use backslashes
  std::string file_name;    // the chosen path; kept for the next run
};

constexpr unsigned OFN_HIDEREADONLY = 0x0004;
constexpr unsigned OFN_FILEMUSTEXIST = 0x1000;

// open_many takes several existing files: file_name then holds their paths,
// one a line.
enum class file_dialog_kind { open, save, folder, open_many };

class platform_backend {
 public:
  virtual ~platform_backend() = default;
  virtual int message_box(QWidget* parent, const std::string& text, const std::string& caption,
                          box_buttons buttons) = 0;
  // On IDOK data.file_name holds the chosen path.
  virtual int file_dialog(QWidget* parent, file_dialog_kind kind, file_dialog_data& data) = 0;
  // Runs dlg modally: SetupWindow first; on OK the dialog's CanClose and
  // CloseWindow hooks run. Returns IDOK or IDCANCEL.
  virtual int modal_dialog(TDialog& dlg) = 0;
  // Ends the program with code, without further questions.
  virtual void exit_process(int code) = 0;
  // What the window reads of the machine: the memory in use, in per cent of
  // the physical memory, and the time in whole seconds.
  virtual unsigned long memory_load() = 0;
  virtual long clock_seconds() = 0;
};

// Null puts the real Qt backend back.
void set_platform_backend(platform_backend* backend);

int MessageBox(QWidget* parent, const std::string& text, const std::string& caption, box_buttons buttons);
int FileOpenDialog(QWidget* parent, file_dialog_data& data);
int FileSaveDialog(QWidget* parent, file_dialog_data& data);
// Picks an existing folder, starting in data.file_name; on IDOK that is the folder chosen.
int FolderDialog(QWidget* parent, file_dialog_data& data);
// Picks one or more existing files; on IDOK data.file_name holds their paths, one a line.
int FilesOpenDialog(QWidget* parent, file_dialog_data& data);
int ExecuteDialog(TDialog& dlg);
void ExitProcess(int code);
unsigned long MemoryLoad();
long ClockSeconds();

// "Desc (*.x)|*.x|Other|*.y|" in Qt's notation: "Desc (*.x);;Other (*.y)".
std::string qt_filter(const std::string& bar_filter);

// The directory a file dialog opens in: the folder of the remembered path, else
// the initial directory where it exists, else the current one.
std::string dialog_start_dir(const file_dialog_data& data);
