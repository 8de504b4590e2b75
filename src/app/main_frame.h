// The MDI frame: caption, icon, menu, control bar, and the drawing window as
// its client. Its menus and control bar are made from the command table; every
// command goes to the drawing window, and every command's state is refreshed
// from the table's rules.
#pragma once

#include <QMainWindow>
#include <map>

class QAction;
class QToolBar;
class TDrawWindow;
class QLabel;
class TEntityPanel;
class TFaceInspector;
class TTexturePanel;

class TDrawFrame : public QMainWindow {
 public:
  explicit TDrawFrame(TDrawWindow* client);
  ~TDrawFrame() override;

  TDrawWindow* client() const { return client_; }
  QAction* action(int id) const;
  QToolBar* control_bar() const { return control_bar_; }
  TEntityPanel* entity_panel() const { return entity_panel_; }
  TTexturePanel* texture_panel() const { return texture_panel_; }
  TFaceInspector* face_inspector() const { return face_inspector_; }
  // The status line's note of the texture new brushes take.
  QLabel* texture_note() const { return texture_note_; }

  // Sets every command's enabled and checked state from the table's rules.
  void refresh_commands();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void build_menu();
  void build_control_bar();

  TDrawWindow* client_;
  QToolBar* control_bar_ = nullptr;
  TEntityPanel* entity_panel_ = nullptr;      // View/Entities; hidden at first
  TTexturePanel* texture_panel_ = nullptr;    // View/Textures; hidden at first
  TFaceInspector* face_inspector_ = nullptr;  // View/Face inspector; hidden at first
  QLabel* texture_note_ = nullptr;
  std::map<int, QAction*> actions_;
};

// Builds the frame around a new drawing window (the application's main window).
TDrawFrame* InitMainWindow();
