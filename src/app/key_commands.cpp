// The keyboard of the 3D view. Every key changes program-wide state or the map;
// the next timer tick shows the result.
#include <QKeyEvent>
#include <cmath>

#include "app/draw_window.h"
#include "app/entity_dialog.h"
#include "app/new_brush_dialog.h"
#include "app/select_window.h"
#include "edit/box_brush.h"
#include "edit/brush_cut.h"
#include "edit/transforms.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "platform/virtual_keys.h"
#include "render/render_state.h"

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

int toggled(int flag) { return flag == 0 ? 1 : 0; }

}  // namespace

void TDrawWindow::EvKeyDown(unsigned key, unsigned, unsigned flags) {
  keydown = static_cast<int>(key);
  keyflags = static_cast<int>(flags);
  switch (key) {
    case vk_letter('S'):
      allsolid = toggled(allsolid);
      testing_value = static_cast<short>(testing_value + TESTING_STEP);
      break;
    case vk_letter('T'):
      drawbsp = toggled(drawbsp);
      break;
    case VK_COMMA:
      turn_down(angle.y);
      break;
    case VK_PERIOD:
      turn_up(angle.y);
      break;
    case VK_END:
      turn_down(angle.x);
      break;
    case VK_HOME:
      turn_up(angle.x);
      break;
    case VK_LEFT:
      turn_down(angle.z);
      break;
    case VK_RIGHT:
      turn_up(angle.z);
      break;
    case VK_PAGE_UP:
      origin.z += HEIGHT_STEP;
      break;
    case VK_PAGE_DOWN:
      origin.z -= HEIGHT_STEP;
      break;
    case VK_UP:
      step(1);
      break;
    case VK_DOWN:
      step(-1);
      break;
    case VK_BRACKET_LEFT:
      if (vd > ZOOM_MIN) vd = static_cast<float>(vd - ZOOM_STEP);
      break;
    case VK_BRACKET_RIGHT:
      if (vd < ZOOM_MAX) vd = static_cast<float>(vd + ZOOM_STEP);
      break;
    case VK_EQUALS:
      if (view > VIEW_STEP) view -= VIEW_STEP;
      break;
    case VK_MINUS:
      view += VIEW_STEP;
      break;
    case vk_letter('A'):
      testing_value = static_cast<short>(testing_value - TESTING_STEP);
      break;
    case VK_TAB:
      subtract_key();
      break;
    case VK_BACKSLASH:
      fixb = toggled(fixb);
      break;
    case VK_BACK_QUOTE:
      split_key();
      break;
    case vk_letter('V'):
      if (hilight != nullptr) hilight->solid = hilight->solid != 0 ? 0 : 1;
      break;
    case vk_letter('R'):
      if (hilight != nullptr) {
        for (surf* s = hilight->brush->fsurf; s != nullptr; s = s->next) s->texname = DEFAULT_TEXTURE;
      }
      break;
    case vk_digit(1):
      if (hilight != nullptr) {
        hibr = hilight->brush;
        insert_brush_in_list(hibr);
      }
      break;
    case vk_digit(2):
      unselectbrushes();
      break;
    case VK_BACKSPACE:
      convert_key();
      break;
    case VK_DELETE:
      delete_key();
      break;
    case VK_SPACE:
      open_select_view(*this);
      break;
    case vk_letter('E'):
      run_entity_dialog(*this);
      break;
    case VK_INSERT:
      run_brush_creator(*this);
      break;
    case vk_letter('X'):
      CmTextureToggle();
      break;
    default:
      break;
  }
}

void TDrawWindow::EvKeyUp(unsigned, unsigned, unsigned) { keydown = 0; }

void TDrawWindow::subtract_key() {
  if (hilight == nullptr || hibr == nullptr) return;
  fixbrush(hibr);
  brush_t* cutter = hilight->brush;
  if (cutter == hibr) return;
  fixbrush(cutter);
  subtract_brush(hibr, cutter);
  unselectbrushes();
}

void TDrawWindow::split_key() {
  if (hilight == nullptr || hibr == nullptr) return;
  brush_t* front = nullptr;
  brush_t* back = nullptr;
  split_brush(hilight, hibr, &front, &back);
  unselectbrushes();
}

void TDrawWindow::convert_key() {
  if (hilight == nullptr) return;
  brush_t* b = hilight->brush;
  timer().stop();
  if (b->entity == -1 && MessageBox(this, "Are You sure that you wish \nto convert this brush to an entity?",
                                    "Create Entity", box_buttons::ok_cancel) == IDOK) {
    vertex_t centre;
    if (numentity >= MAX_ENTITIES) {
      MessageBox(this,
                 "The map already holds " + std::to_string(MAX_ENTITIES) +
                     " point entities, the most it can hold.\nThe brush was not converted.",
                 "Create Entity", box_buttons::ok);
    } else if (find_center(b, &centre)) {
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
  timer().start(TIMER_AFTER_CONVERT);
  hilight = nullptr;
}

void TDrawWindow::delete_key() {
  if (hilight == nullptr) return;
  brush_t* b = hilight->brush;
  const int e = b->entity;
  timer().stop();
  if (MessageBox(this, "delete brush?", "are you sure?", box_buttons::ok_cancel) == IDOK) {
    if (e >= 0) {
      entities[e].valid = 0;
      b->valid = 0;
    } else {
      delete_brush(b);
    }
    unselectbrushes();
  }
  timer().start(TIMER_NORMAL);
}

// ---- Qt's key messages ----

void TDrawWindow::keyPressEvent(QKeyEvent* event) {
  picture_changed();
  const unsigned flags =
      (event->nativeScanCode() & SCAN_CODE_MASK) | (event->isAutoRepeat() ? REPEAT_FLAG : 0u);
  EvKeyDown(virtual_key(event->key()), static_cast<unsigned>(event->count()), flags);
  history_record();
  after_message();
}

void TDrawWindow::keyReleaseEvent(QKeyEvent* event) {
  if (event->isAutoRepeat()) return;
  picture_changed();
  EvKeyUp(virtual_key(event->key()), 1, event->nativeScanCode() & SCAN_CODE_MASK);
  after_message();
}

bool TDrawWindow::focusNextPrevChild(bool) { return false; }
