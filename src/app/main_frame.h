// The MDI frame: caption, icon, menu, control bar, and the drawing window as
// its client. Every command goes to the drawing window; every command state is
// refreshed from the drawing window's enablers.
#pragma once

#include <QMainWindow>
#include <map>

class QAction;
class QToolBar;
class TDrawWindow;

class TDrawFrame : public QMainWindow {
 public:
  explicit TDrawFrame(TDrawWindow* client);

  TDrawWindow* client() const { return client_; }
  QAction* action(int id) const;
  QToolBar* control_bar() const { return control_bar_; }

  // Asks the drawing window's enablers for every command's state.
  void refresh_commands();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_menu();
  void build_control_bar();
  QAction* make_action(int id, const char* text, bool toggle, const char* image);

  TDrawWindow* client_;
  QToolBar* control_bar_ = nullptr;
  std::map<int, QAction*> actions_;
};

// Builds the frame around a new drawing window (the application's main window).
TDrawFrame* InitMainWindow();
