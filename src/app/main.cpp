// The editor's entry point. A map named on the command line is opened at start
// as if it had been chosen in the open dialog.
#include <QApplication>
#include <QStringList>

#include "app/draw_window.h"
#include "app/main_frame.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QStringList args = QApplication::arguments();
  args.removeFirst();

  TDrawFrame* frame = InitMainWindow();
  frame->client()->status.cmdline = args.join(QLatin1Char(' ')).toStdString();
  frame->show();
  if (!args.isEmpty()) frame->client()->document.open_map(args.first().toStdString());
  const int code = QApplication::exec();
  delete frame;
  return code;
}
