#include "app/hull_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <climits>

#include "app/texture_browser.h"
#include "model/map_state.h"
#include "platform/platform.h"

namespace {

// A face line of the map file holds the texture name as one bare word.
bool usable_texture(const std::string& name) {
  return !name.empty() && name.find_first_of(" \t\r\n\"(){}") == std::string::npos;
}

}  // namespace

TEditHull::TEditHull(QWidget* parent, texture_set& textures)
    : TKeyValDialog(parent, QStringLiteral("EDIT HULL"), 215, 141), textures_(textures) {
  add_ok_cancel(10, 120, 15, 14, 35, 120, 30, 14);
  make_flag_box(ID_NOT_EASY, "Not in EASY", 5, 10, 50, 12);
  make_flag_box(ID_NOT_NORMAL, "Not in NORMAL", 5, 25, 60, 12);
  make_flag_box(ID_NOT_HARD, "Not In Hard", 5, 40, 60, 12);
  make_flag_box(ID_NOT_DEATHMATCH, "Not In DEATHMATCH", 5, 55, 80, 12);
  make_pair_list(100, 9, 100, 50, true);
  make_field(ID_KEY, 100, 69, 49, 15);
  make_field(ID_VALUE, 155, 69, 49, 15);
  make_button(ID_ADD, "add string", 110, 94, 50, 14);
  make_button(ID_DELETE, "delete", 65, 5, 30, 14);
  auto* change_all = new QCheckBox(QStringLiteral("change all in brush"), this);
  place(change_all, ID_CHANGE_ALL, 10, 105, 75, 12);
  widen_to_text(change_all);
  place(new QLabel(QStringLiteral("Current Texture"), this), 0, 10, 80, 55, 8);
  make_field(ID_TEXTURE, 10, 90, 49, 15);
  make_button(ID_BROWSE, "Browse...", 62, 90, 35, 14);
  connect(qobject_cast<QPushButton*>(control(ID_BROWSE)), &QPushButton::clicked, this, [this] { browse(); });
}

void TEditHull::browse() {
  TTextureBrowser browser(
      this, textures_.names(),
      [this](const std::string& name) -> const texture_image& { return textures_.texture(name); },
      control_text(ID_TEXTURE, INT_MAX));
  if (browser.Execute() == IDOK) set_control_text(ID_TEXTURE, browser.chosen());
}

void TEditHull::SetupWindow() {
  face_ = hilight;
  if (face_ == nullptr || face_->brush == nullptr || face_->brush->entity != -1) return;
  shown_texture_ = face_->texname;
  set_control_text(ID_TEXTURE, shown_texture_);
  const hull_t* e = face_->brush->hull;
  if (e == nullptr) return;
  for (const keyval* kv = e->header; kv != nullptr; kv = kv->next) {
    if (std::string(kv->key) == "classname") classname = kv->value;
  }
  fill_pairs(e->header);
  explain_keys(classname);
}

bool TEditHull::CanClose() {
  // The dialog edits the face it was opened on; with that face gone there is
  // nothing left to write to.
  surf* f = hilight;
  if (f == nullptr || f != face_ || f->brush == nullptr || f->brush->entity != -1 ||
      f->brush->hull == nullptr) {
    return true;
  }
  brush_t* b = f->brush;
  hull_t* e = b->hull;

  std::string texture = control_text(ID_TEXTURE, INT_MAX);
  const bool all = qobject_cast<QCheckBox*>(control(ID_CHANGE_ALL))->isChecked();
  if (texture == shown_texture_) {
    texture = f->texname;  // unchanged: keep its exact bytes
  } else if (!usable_texture(texture)) {
    MessageBox(this, "A texture name must be one word without quotes or brackets.", "EDIT HULL",
               box_buttons::ok);
    return false;
  }
  if (all) {
    for (surf* s = b->fsurf; s != nullptr; s = s->next) s->texname = texture;
  } else {
    f->texname = texture;
  }

  // The class is the pair whose key is exactly "classname", as the reader,
  // the writer and the game take it; "Classname" is an ordinary pair.
  for (const text_pair& p : pairs()) {
    if (p.key != "classname") continue;
    if (p.value == classname) break;
    if (p.value == "worldspawn") {
      remove_brush_from_list(b);
      b->next = hull->brush;
      hull->brush = b;
      b->hull = hull;
      return true;
    }
    auto* fresh = new hull_t;
    copy_field(fresh->classname, sizeof fresh->classname, p.value.c_str());
    fresh->next = e->next;
    e->next = fresh;
    remove_brush_from_list(b);
    b->next = nullptr;
    fresh->brush = b;
    b->hull = fresh;
    e = fresh;
    break;
  }

  store_pairs(e->header);
  return true;
}
