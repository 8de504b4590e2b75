#include "platform/dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPushButton>

#include "platform/platform.h"

namespace {

// The dialogs were laid out for an 8 point sans serif; use it where the system
// has it, else the closest common face.
QFont dialog_font() {
  QFont f(QStringLiteral("MS Sans Serif"), 8);
  f.setStyleHint(QFont::SansSerif);
  f.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                 QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
  return f;
}

}  // namespace

TDialog::TDialog(QWidget* parent, const QString& caption, int width_du, int height_du) : QDialog(parent) {
  setFont(dialog_font());
  setWindowTitle(caption);
  setModal(true);
  setFixedSize(du_x(width_du), du_y(height_du));
}

int TDialog::Execute() { return ExecuteDialog(*this); }

QWidget* TDialog::control(int id) const { return findChild<QWidget*>(QString::number(id)); }

std::string TDialog::control_text(int id, int limit) const {
  QString text;
  if (auto* combo = qobject_cast<QComboBox*>(control(id))) {
    text = combo->currentText();
  } else if (auto* edit = qobject_cast<QLineEdit*>(control(id))) {
    text = edit->text();
  }
  std::string s = text.toStdString();
  if (static_cast<int>(s.size()) > limit) s.resize(static_cast<std::size_t>(limit));
  return s;
}

void TDialog::set_control_text(int id, const std::string& text) {
  const QString t = QString::fromStdString(text);
  if (auto* combo = qobject_cast<QComboBox*>(control(id))) {
    combo->setEditText(t);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control(id))) {
    edit->setText(t);
  }
}

void TDialog::ok_pressed() {
  if (!CanClose()) return;
  done(IDOK);
  CloseWindow(IDOK);
}

void TDialog::place(QWidget* w, int id, int x, int y, int cx, int cy) {
  if (id != 0) w->setObjectName(QString::number(id));
  w->setGeometry(du_x(x), du_y(y), du_x(cx), du_y(cy));
}

void TDialog::add_ok_cancel(int ok_x, int ok_y, int ok_cx, int ok_cy, int cancel_x, int cancel_y,
                            int cancel_cx, int cancel_cy) {
  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setDefault(true);
  place(ok, IDOK, ok_x, ok_y, ok_cx, ok_cy);
  connect(ok, &QPushButton::clicked, this, [this] { ok_pressed(); });
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  place(cancel, IDCANCEL, cancel_x, cancel_y, cancel_cx, cancel_cy);
  connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
}

// Dialog units: a quarter of the average character width across, an eighth of
// the character height down.
int TDialog::du_x(int x) const {
  const QFontMetrics fm(font());
  const int base =
      fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return (x * base / 52 + 2) / 4;
}

int TDialog::du_y(int y) const {
  const QFontMetrics fm(font());
  return (y * fm.height() + 4) / 8;
}
