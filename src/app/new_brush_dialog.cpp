#include "app/new_brush_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <climits>
#include <utility>
#include <vector>

#include "app/draw_window.h"
#include "app/keyval_dialog.h"
#include "base/number_text.h"
#include "model/map_state.h"
#include "platform/platform.h"

namespace {

constexpr double START_SIZE = 32.0;
constexpr double START_THICKNESS = 8.0;

// Brush entity classes of the game offered in the class name field; any other
// name may be typed.
const char* const BRUSH_CLASSES[] = {
    "func_door",
    "func_door_secret",
    "func_button",
    "func_plat",
    "func_train",
    "func_wall",
    "func_illusionary",
    "func_episodegate",
    "func_bossgate",
    "trigger_multiple",
    "trigger_once",
    "trigger_teleport",
    "trigger_changelevel",
    "trigger_secret",
    "trigger_push",
    "trigger_hurt",
    "trigger_monsterjump",
    "trigger_setskill",
    "trigger_onlyregistered",
};

// The brushes the build just put at the head of one entity's list move into a
// new brush entity of class name, added at the end of the entity list. The
// world keeps them when it has no other brush: an entity without brushes is
// not saved, and the world's pairs would be lost with it. False then.
bool move_into_new_entity(const std::vector<std::pair<hull_t*, brush_t*>>& heads_before,
                          const std::string& name) {
  hull_t* target = hull;
  brush_t* stop = nullptr;
  if (!heads_before.empty()) {
    target = nullptr;
    for (const auto& [h, head] : heads_before) {
      if (h->brush != head) {
        target = h;
        stop = head;
        break;
      }
    }
  }
  if (target == nullptr || target->brush == stop) return true;
  if (target == hull && stop == nullptr) return false;

  auto* e = new hull_t;
  copy_field(e->classname, sizeof e->classname, name.c_str());
  e->header = new_keyval("classname", name.c_str());
  e->brush = target->brush;
  brush_t* last = target->brush;
  for (brush_t* b = target->brush; b != stop; b = b->next) {
    b->hull = e;
    last = b;
  }
  last->next = nullptr;
  target->brush = stop;

  hull_t** tail = &hull;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = e;
  return true;
}

}  // namespace

TNewBrush::TNewBrush(QWidget* parent) : TDialog(parent, QStringLiteral("brush creator"), 186, 119) {
  add_ok_cancel(19, 95, 15, 14, 39, 95, 25, 14);
  place(new QLineEdit(this), ID_LENGTH, 39, 15, 50, 15);
  place(new QLineEdit(this), ID_WIDTH, 39, 45, 49, 15);
  place(new QLineEdit(this), ID_HEIGHT, 39, 70, 49, 15);
  place(new QLineEdit(this), ID_THICKNESS, 109, 35, 49, 15);
  place(new QLabel(QStringLiteral("length"), this), 0, 9, 20, 25, 8);
  place(new QLabel(QStringLiteral("width"), this), 0, 9, 50, 20, 8);
  place(new QLabel(QStringLiteral("height"), this), 0, 4, 75, 25, 8);
  place(new QLabel(QStringLiteral("wall thickness"), this), 0, 109, 25, 50, 10);
  check_box("room", ID_ROOM, 104, 10, 25, 12);
  auto* classes = new QComboBox(this);
  classes->setEditable(true);
  classes->setInsertPolicy(QComboBox::NoInsert);
  for (const char* c : BRUSH_CLASSES) classes->addItem(QString::fromLatin1(c));
  // The template's 65 units include the dropped list; the closed field is one line.
  place(classes, ID_CLASSNAME, 109, 85, 65, 15);
  place(new QLabel(QStringLiteral("classname"), this), 0, 109, 75, 35, 8);
  check_box("new model", ID_NEW_MODEL, 104, 60, 45, 12);
  check_box("hollow", ID_HOLLOW, 135, 10, 30, 12);
}

void TNewBrush::check_box(const char* text, int id, int x, int y, int cx, int cy) {
  auto* box = new QCheckBox(QString::fromLatin1(text), this);
  place(box, id, x, y, cx, cy);
  widen_to_text(box);
}

void TNewBrush::SetupWindow() {
  set_control_text(ID_LENGTH, format_lf(START_SIZE));
  set_control_text(ID_WIDTH, format_lf(START_SIZE));
  set_control_text(ID_HEIGHT, format_lf(START_SIZE));
  set_control_text(ID_THICKNESS, format_lf(START_THICKNESS));
  set_control_text(ID_CLASSNAME, "");
}

bool TNewBrush::checked(int id) const {
  const auto* box = qobject_cast<const QCheckBox*>(control(id));
  return box != nullptr && box->isChecked();
}

void TNewBrush::CloseWindow(int result) {
  // Everything is read before the build touches the map.
  const double length = number_from_text(control_text(ID_LENGTH));
  const double width = number_from_text(control_text(ID_WIDTH));
  const double height = number_from_text(control_text(ID_HEIGHT));
  const double thickness = number_from_text(control_text(ID_THICKNESS));
  const int room = checked(ID_ROOM) ? 1 : 0;
  const int hollow = checked(ID_HOLLOW) ? 1 : 0;
  const std::string name = control_text(ID_CLASSNAME, INT_MAX);
  const bool new_model =
      checked(ID_NEW_MODEL) && !name.empty() && name.find_first_of("\"\r\n") == std::string::npos;

  std::vector<std::pair<hull_t*, brush_t*>> heads;
  for (hull_t* h = hull; h != nullptr; h = h->next) heads.emplace_back(h, h->brush);

  outcome_ = brush_creator_build(result == IDOK ? 1 : 0, length, width, height, thickness, room, hollow);
  if (outcome_ == creator_outcome::out_of_range) {
    MessageBox(this,
               "Every size must be a whole number from -32768 to 32767,\nand so must each size less the wall "
               "thickness.\nNothing was built.",
               "brush creator", box_buttons::ok);
  }
  if (outcome_ == creator_outcome::built && new_model && !move_into_new_entity(heads, name)) {
    MessageBox(this, "The first brush of a map belongs to the world.\nIt was not made a new model.",
               "brush creator", box_buttons::ok);
  }
}

void run_brush_creator(TDrawWindow& w) {
  TNewBrush dlg(&w);
  if (dlg.Execute() == IDOK) w.candraw = 1;
}
