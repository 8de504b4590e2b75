#include "app/replace_textures_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <climits>

#include "edit/replace_texture.h"
#include "platform/platform.h"

TReplaceTextures::TReplaceTextures(QWidget* parent)
    : TDialog(parent, QStringLiteral("Replace textures"), 160, 80) {
  add_ok_cancel(40, 60, 30, 14, 90, 60, 30, 14);
  place(new QLabel(QStringLiteral("texture"), this), 0, 5, 8, 45, 8);
  place(new QLineEdit(this), ID_FIND, 55, 5, 95, 14);
  place(new QLabel(QStringLiteral("replace with"), this), 0, 5, 26, 45, 8);
  place(new QLineEdit(this), ID_REPLACE, 55, 23, 95, 14);
  place(new QCheckBox(QStringLiteral("selected brushes only"), this), ID_SELECTED_ONLY, 55, 41, 95, 12);
}

bool TReplaceTextures::CanClose() {
  const std::string from = control_text(ID_FIND, INT_MAX), to = control_text(ID_REPLACE, INT_MAX);
  if (!texture_name_fits(to)) {
    MessageBox(this, "A texture name cannot be empty or hold a space or a double quote (\").",
               "Replace textures", box_buttons::ok);
    return false;
  }
  replace_texture(from, to, qobject_cast<QCheckBox*>(control(ID_SELECTED_ONLY))->isChecked());
  return true;
}
