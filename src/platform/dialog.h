// Base of the modal dialogs: a QDialog whose controls are found by their
// numeric ids and placed on dialog-unit rectangles, with the set-up and
// closing hooks the dialogs override.
#pragma once

#include <QDialog>
#include <string>

class QAbstractButton;

class TDialog : public QDialog {
 public:
  TDialog(QWidget* parent, const QString& caption, int width_du, int height_du);

  // Fills the controls before the dialog is shown.
  virtual void SetupWindow() {}
  // On OK: false keeps the dialog open.
  virtual bool CanClose() { return true; }
  // After OK was accepted, with the result.
  virtual void CloseWindow(int /*result*/) {}

  // Runs the dialog modally through the platform layer.
  int Execute();

  // The control with this id, or null.
  QWidget* control(int id) const;
  // Text of an edit field or combo box, cut to `limit` characters.
  std::string control_text(int id, int limit = 49) const;
  void set_control_text(int id, const std::string& text);

  // Real run: the OK button's handler.
  void ok_pressed();

 protected:
  // Registers a control under id and places it on a rectangle in dialog units.
  void place(QWidget* w, int id, int x, int y, int cx, int cy);
  // OK (id 1, default) and Cancel (id 2) push buttons.
  void add_ok_cancel(int ok_x, int ok_y, int ok_cx, int ok_cy, int cancel_x, int cancel_y, int cancel_cx,
                     int cancel_cy);

 private:
  int du_x(int x) const;
  int du_y(int y) const;
};
