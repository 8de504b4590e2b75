#include "edit/camera_moves.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "base/number_text.h"
#include "edit/grid_snap.h"
#include "model/camera.h"
#include "model/map_state.h"

namespace {

// The selection's bounding sphere is kept within this many pixels of the
// picture's centre: half its height less a margin.
constexpr float FIT_PIXELS = 250.0f;
constexpr float NEAREST = 32.0f;  // map units; never closer than this

const char* pair_value(const keyval* list, const char* key) {
  for (const keyval* k = list; k != nullptr; k = k->next) {
    if (std::strcmp(k->key, key) == 0) return k->value;
  }
  return nullptr;
}

}  // namespace

int player_start_slot() {
  for (int i = 0; i < numentity; ++i) {
    const char* name = pair_value(entities[i].header, "classname");
    if (entities[i].valid != 0 && name != nullptr && std::strcmp(name, "info_player_start") == 0) return i;
  }
  return -1;
}

bool go_to_player_start() {
  const int slot = player_start_slot();
  if (slot < 0) return false;
  const char* facing = pair_value(entities[slot].header, "angle");
  const double degrees = facing != nullptr ? number_from_text(facing) : 0.0;
  // The camera's yaw turns from +y towards +x, the game's angle from +x
  // towards +y.
  const double yaw =
      std::remainder(std::numbers::pi / 2 - degrees * std::numbers::pi / 180, 2 * std::numbers::pi);
  origin = entities[slot].origin;
  angle = {0.0f, 0.0f, static_cast<float>(yaw)};
  compute_angles();
  return true;
}

bool centre_on_selection(float focal_length, float zoom) {
  vertex_t lo, hi;
  if (!brushes_bounds(selected_brushes(), &lo, &hi)) return false;
  const vertex_t centre = 0.5f * (lo + hi);
  const float radius = length(0.5f * (hi - lo));
  const float back = std::max(NEAREST, radius * focal_length * zoom / FIT_PIXELS);
  const vertex_t from = centre - back * camera_forward();
  origin = {std::round(from.x), std::round(from.y), std::round(from.z)};
  return true;
}
