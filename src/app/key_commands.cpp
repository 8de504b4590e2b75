// The keyboard of the 3D view. A key of a command runs it as the menu would;
// every other key is in the table below. Every key changes program-wide state
// or the map; the next timer tick shows the result.
#include <QKeyEvent>
#include <cmath>

#include "app/commands.h"
#include "app/draw_window.h"
#include "app/entity_dialog.h"
#include "app/new_brush_dialog.h"
#include "app/select_window.h"
#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "edit/grid_snap.h"
#include "edit/transforms.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/view_options.h"
#include "platform/virtual_keys.h"

namespace {

constexpr double ANGLE_STEP = 0.05;
constexpr double ANGLE_LOW = -3.1, ANGLE_HIGH = 3.1;              // wrap when passed
constexpr double ANGLE_WRAP_HIGH = 3.15, ANGLE_WRAP_LOW = -3.15;  // values set by the wrap
constexpr double FORWARD_STEP = 20.0;
constexpr float HEIGHT_STEP = 10.0f;
constexpr double ZOOM_STEP = 0.05, ZOOM_MIN = 0.1, ZOOM_MAX = 10.0;
constexpr float VIEW_STEP = 5.0f;
constexpr short TESTING_STEP = 5;

// The flags of a key message, as the status line shows them: the low byte of
// the scan code, and a bit set while the key repeats.
constexpr unsigned SCAN_CODE_MASK = 0xffu;
constexpr unsigned REPEAT_FLAG = 0x4000u;

void turn_down(float& a) {
  a = static_cast<float>(a - ANGLE_STEP);
  if (a < ANGLE_LOW) a = static_cast<float>(ANGLE_WRAP_HIGH);
  compute_angles();
}

void turn_up(float& a) {
  a = static_cast<float>(a + ANGLE_STEP);
  if (a > ANGLE_HIGH) a = static_cast<float>(ANGLE_WRAP_LOW);
  compute_angles();
}

// Moves the camera along its yaw in the horizontal plane, in whole steps.
void step(int sign) {
  origin.y = static_cast<float>(origin.y + sign * std::floor(FORWARD_STEP * cangz + 0.5));
  origin.x = static_cast<float>(origin.x + sign * std::floor(FORWARD_STEP * sangz + 0.5));
}

void zoom(TDrawWindow& w, double by) { w.vd = static_cast<float>(w.vd + by); }

void flip(int& flag) { flag = flag == 0 ? 1 : 0; }

void step_testing(TDrawWindow& w, int by) {
  w.status.testing_value = static_cast<short>(w.status.testing_value + by);
}

void subtract_key() {
  if (hilight == nullptr || hibr == nullptr) return;
  fixbrush(hibr);
  brush_t* cutter = hilight->brush;
  if (cutter == hibr) return;
  fixbrush(cutter);
  subtract_brush(hibr, cutter);
  unselectbrushes();
}

void split_key() {
  if (hilight == nullptr || hibr == nullptr) return;
  brush_t* front = nullptr;
  brush_t* back = nullptr;
  split_brush(hilight, hibr, &front, &back);
  unselectbrushes();
}

void convert_key(TDrawWindow& w) {
  if (hilight == nullptr) return;
  brush_t* b = hilight->brush;
  w.timer().stop();
  if (b->entity == -1 && MessageBox(&w, "Are You sure that you wish \nto convert this brush to an entity?",
                                    "Create Entity", box_buttons::ok_cancel) == IDOK) {
    vertex_t centre;
    if (numentity >= MAX_ENTITIES) {
      MessageBox(&w,
                 "The map already holds " + std::to_string(MAX_ENTITIES) +
                     " point entities, the most it can hold.\nThe brush was not converted.",
                 "Create Entity", box_buttons::ok);
    } else if (find_center(b, &centre)) {
      if (options.snap_to_grid != 0) centre = {snapped(centre.x), snapped(centre.y), snapped(centre.z)};
      const int slot = numentity++;
      entities[slot] = dentity_t{};
      entities[slot].origin = centre;
      delete_brush(b);
      brush_t* marker = new_brush(&entities[slot].origin, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
      marker->entity = static_cast<short>(slot);
      entities[slot].brush = marker;
      entities[slot].valid = 1;
      unselectbrushes();
    }
  }
  w.timer().start(TIMER_AFTER_CONVERT);
  hilight = nullptr;
}

void delete_key(TDrawWindow& w) {
  if (hilight == nullptr) return;
  brush_t* b = hilight->brush;
  const int e = b->entity;
  w.timer().stop();
  if (MessageBox(&w, "delete brush?", "are you sure?", box_buttons::ok_cancel) == IDOK) {
    if (e >= 0) {
      entities[e].valid = 0;
      b->valid = 0;
    } else {
      delete_brush(b);
    }
    unselectbrushes();
  }
  w.timer().start(TIMER_NORMAL);
}

// The keys of the 3D view that are not commands of the menu.
struct view_key {
  unsigned key;
  void (*run)(TDrawWindow&);
};

// clang-format off
constexpr view_key VIEW_KEYS[] = {
    {vk_letter('S'), [](TDrawWindow& w) { flip(options.allsolid); step_testing(w, TESTING_STEP); }},
    {vk_letter('T'), [](TDrawWindow&) { flip(options.drawbsp); }},
    {vk_letter('A'), [](TDrawWindow& w) { step_testing(w, -TESTING_STEP); }},
    {VK_COMMA, [](TDrawWindow&) { turn_down(angle.y); }},
    {VK_PERIOD, [](TDrawWindow&) { turn_up(angle.y); }},
    {VK_END, [](TDrawWindow&) { turn_down(angle.x); }},
    {VK_HOME, [](TDrawWindow&) { turn_up(angle.x); }},
    {VK_LEFT, [](TDrawWindow&) { turn_down(angle.z); }},
    {VK_RIGHT, [](TDrawWindow&) { turn_up(angle.z); }},
    {VK_PAGE_UP, [](TDrawWindow&) { origin.z += HEIGHT_STEP; }},
    {VK_PAGE_DOWN, [](TDrawWindow&) { origin.z -= HEIGHT_STEP; }},
    {VK_UP, [](TDrawWindow&) { step(1); }},
    {VK_DOWN, [](TDrawWindow&) { step(-1); }},
    {VK_BRACKET_LEFT, [](TDrawWindow& w) { if (w.vd > ZOOM_MIN) zoom(w, -ZOOM_STEP); }},
    {VK_BRACKET_RIGHT, [](TDrawWindow& w) { if (w.vd < ZOOM_MAX) zoom(w, ZOOM_STEP); }},
    {VK_EQUALS, [](TDrawWindow& w) { if (w.view > VIEW_STEP) w.view -= VIEW_STEP; }},
    {VK_MINUS, [](TDrawWindow& w) { w.view += VIEW_STEP; }},
    {VK_TAB, [](TDrawWindow&) { subtract_key(); }},
    {VK_BACK_QUOTE, [](TDrawWindow&) { split_key(); }},
    {VK_BACKSPACE, convert_key},
    {VK_DELETE, delete_key},
    {vk_letter('V'), [](TDrawWindow&) { if (hilight != nullptr) flip(hilight->solid); }},
    {vk_letter('R'), [](TDrawWindow&) {
       if (hilight == nullptr) return;
       for (surf* s = hilight->brush->fsurf; s != nullptr; s = s->next) s->texname = DEFAULT_TEXTURE;
     }},
    {vk_digit(1), [](TDrawWindow&) {
       if (hilight == nullptr) return;
       hibr = hilight->brush;
       insert_brush_in_list(hibr);
     }},
    {vk_digit(2), [](TDrawWindow&) { unselectbrushes(); }},
    {VK_SPACE, open_select_view},
    {vk_letter('E'), run_entity_dialog},
    {VK_INSERT, run_brush_creator},
};
// clang-format on

// A key listed twice, or also a command's, would never reach its later row.
constexpr bool keys_apart() {
  for (const view_key& k : VIEW_KEYS) {
    for (const view_key& other : VIEW_KEYS) {
      if (&k != &other && k.key == other.key) return false;
    }
    for (const command_row& c : COMMANDS) {
      if (c.view_key == k.key) return false;
    }
  }
  return true;
}
static_assert(keys_apart(), "a key of the 3D view is listed twice or is also a command's key");

}  // namespace

void TDrawWindow::EvKeyDown(unsigned key, unsigned, unsigned flags) {
  status.keydown = static_cast<int>(key);
  status.keyflags = static_cast<int>(flags);
  for (const command_row& c : COMMANDS) {
    if (c.view_key != key || !command_enabled(c, *this)) continue;
    run_command(c, *this);
    return;
  }
  for (const view_key& k : VIEW_KEYS) {
    if (k.key != key) continue;
    k.run(*this);
    return;
  }
}

void TDrawWindow::EvKeyUp(unsigned, unsigned, unsigned) { status.keydown = 0; }

// ---- Qt's key messages ----

void TDrawWindow::picture_key(QKeyEvent* event, bool down) {
  if (!down) {
    if (event->isAutoRepeat()) return;
    picture_changed();
    EvKeyUp(virtual_key(event->key()), 1, event->nativeScanCode() & SCAN_CODE_MASK);
    refresh_();
    return;
  }
  picture_changed();
  const unsigned flags =
      (event->nativeScanCode() & SCAN_CODE_MASK) | (event->isAutoRepeat() ? REPEAT_FLAG : 0u);
  EvKeyDown(virtual_key(event->key()), static_cast<unsigned>(event->count()), flags);
  history_record();
  refresh_();
}
