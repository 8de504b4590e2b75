#include "app/entity_dialog.h"

#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <exception>

#include "app/draw_window.h"
#include "app/hull_dialog.h"

#include "base/number_text.h"
#include "model/map_state.h"
#include "platform/platform.h"

TEditEntity::TEditEntity(QWidget* parent) : TKeyValDialog(parent, QStringLiteral("EDIT ENTITY"), 187, 153) {
  add_ok_cancel(35, 76, 30, 14, 105, 76, 30, 14);
  make_field(ID_X, 110, 11, 49, 15);
  make_field(ID_Y, 110, 26, 49, 15);
  make_field(ID_Z, 110, 41, 49, 15);
  place(new QLabel(QStringLiteral("X"), this), 0, 100, 16, 5, 8);
  place(new QLabel(QStringLiteral("Y"), this), 0, 100, 31, 5, 8);
  place(new QLabel(QStringLiteral("Z"), this), 0, 100, 46, 5, 8);
  make_field(ID_SF, 110, 56, 49, 15);
  connect(qobject_cast<QLineEdit*>(control(ID_SF)), &QLineEdit::editingFinished, this,
          [this] { commit_pending(); });
  place(new QLabel(QStringLiteral("SF"), this), 0, 95, 61, 10, 8);
  make_flag_box(ID_NOT_EASY, "Not in EASY", 10, 11, 60, 12);
  make_flag_box(ID_NOT_NORMAL, "Not in NORMAL", 10, 26, 60, 12);
  make_flag_box(ID_NOT_HARD, "Not In Hard", 10, 41, 60, 12);
  make_flag_box(ID_NOT_DEATHMATCH, "Not In DEATHMATCH", 10, 56, 80, 12);
  make_pair_list(59, 97, 90, 50, false);
  make_field(ID_KEY, 5, 96, 49, 15);
  make_field(ID_VALUE, 5, 116, 49, 15);
  make_button(ID_ADD, "add values", 5, 136, 50, 14);
  make_button(ID_DELETE, "delete", 155, 106, 25, 15);
}

void TEditEntity::SetupWindow() {
  face_ = hilight;
  if (face_ == nullptr || face_->brush == nullptr) return;
  const int i = face_->brush->entity;
  if (i < 0 || i >= numentity) return;
  slot_ = i;
  const vertex_t& o = entities[i].origin;
  set_control_text(ID_X, format_lf(o.x));
  set_control_text(ID_Y, format_lf(o.y));
  set_control_text(ID_Z, format_lf(o.z));
  fill_pairs(entities[i].header);
  for (const text_pair& p : pairs()) {
    if (p.key == "classname") explain_keys(p.value);
  }
}

void TEditEntity::show_flags(long value) {
  TKeyValDialog::show_flags(value);
  shown_sf_ = value != 0 ? std::to_string(value) : "";
  set_control_text(ID_SF, shown_sf_);
}

void TEditEntity::commit_pending() {
  const std::string sf = control_text(ID_SF);
  if (sf == shown_sf_) return;
  const double v = std::trunc(number_from_text(sf));
  set_spawnflags(std::fabs(v) < 2147483647.0 ? static_cast<long>(v) : 0);
  flags_from_list();
}

bool TEditEntity::CanClose() {
  // With the face or its entity gone there is nothing left to write to.
  if (slot_ < 0 || hilight != face_ || slot_ >= numentity || entities[slot_].brush != face_->brush)
    return true;
  dentity_t& e = entities[slot_];
  e.origin.x = float_from_text(control_text(ID_X));
  e.origin.y = float_from_text(control_text(ID_Y));
  e.origin.z = float_from_text(control_text(ID_Z));
  commit_pending();
  store_pairs(e.header);
  return true;
}

void run_entity_dialog(TDrawWindow& w) {
  if (hilight == nullptr) return;
  const brush_t* b = hilight->brush;
  w.timer().stop();
  QWidget* main_window = w.QWidget::window();
  if (b->entity >= 0) {
    try {
      TEditEntity dlg(main_window);
      dlg.set_definitions(&w.document.definitions());
      dlg.Execute();
    } catch (const std::exception& failure) {
      MessageBox(main_window, failure.what(), "Error", box_buttons::ok);
    }
  } else {
    TEditHull dlg(main_window, w.document.textures());
    dlg.set_definitions(&w.document.definitions());
    dlg.Execute();
  }
  w.timer().start(TIMER_NORMAL);
}
