#include "built_map.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "edit/box_brush.h"
#include "edit/grid_snap.h"
#include "edit/transforms.h"
#include "mapio/map_writer.h"
#include "model/map_state.h"
#include "model/plane_polygon.h"
#include "model/view_options.h"
#include "model_fixture.h"

namespace {

constexpr float ROOM = 512;    // inside width of a room
constexpr float HEIGHT = 256;  // inside height
constexpr float WALL = 16;
constexpr int ROOMS = 3;  // rooms along each side of the square they make
constexpr float DEGREES = 3.14159265f / 180;

brush_t* box(float x0, float y0, float z0, float x1, float y1, float z1, const char* texture) {
  const vertex_t lo{x0, y0, z0}, hi{x1, y1, z1};
  brush_t* b = new_world_box(&lo, &hi);
  for (surf* s = b->fsurf; s != nullptr; s = s->next) s->texname = texture;
  return b;
}

// Turns b about its centre, then puts its planes through whole-numbered
// points, as a mapper's turned brush is.
void turn(brush_t* b, float x_degrees, float y_degrees, float z_degrees) {
  vertex_t centre;
  find_center(b, &centre);
  const vertex_t delta{x_degrees * DEGREES, y_degrees * DEGREES, z_degrees * DEGREES};
  rotate_brush(b, &centre, &delta);
  fixbrush(b);
  snap_brush_points(b);
}

// A room whose inside starts at (x, y, 0), with a doorway in its +x wall
// that lines up with the next room's.
void room(float x, float y, int index) {
  const float x1 = x + ROOM, y1 = y + ROOM;
  box(x - WALL, y - WALL, -WALL, x1 + WALL, y1 + WALL, 0, "GROUND1_6");
  box(x - WALL, y - WALL, HEIGHT, x1 + WALL, y1 + WALL, HEIGHT + WALL, "CEIL1_1");
  box(x - WALL, y - WALL, 0, x, y1 + WALL, HEIGHT, "WALL5_4");
  box(x, y - WALL, 0, x1, y, HEIGHT, "WALL5_4");
  box(x, y1, 0, x1, y1 + WALL, HEIGHT, "WALL5_4");
  const float door = y + ROOM / 2 - 64;
  box(x1, y - WALL, 0, x1 + WALL, door, HEIGHT, "WALL5_4");
  box(x1, door + 128, 0, x1 + WALL, y1 + WALL, HEIGHT, "WALL5_4");
  box(x1, door, 128, x1 + WALL, door + 128, HEIGHT, "WALL5_4");

  // Stairs up the -y wall, one more step in each room.
  for (int step = 0; step <= index % 6 + 2; ++step) {
    const float s = static_cast<float>(step);
    box(x + 64 + 32 * s, y, 0, x + 96 + 32 * s, y + 96, 16 * (s + 1), "STEP_1");
  }
  // Pillars turned about z, and one leaning over on all three axes.
  for (int p = 0; p < 2; ++p) {
    brush_t* b = box(x + 192 + 128 * p, y + 256, 0, x + 224 + 128 * p, y + 288, 192, "METAL1_2");
    turn(b, 0, 0, static_cast<float>(15 + 10 * index + 20 * p));
  }
  turn(box(x + 256, y + 400, 64, x + 320, y + 448, 96, "CRATE0_1"), 10, 20, 30 + static_cast<float>(index));
}

hull_t* brush_entity(const char* classname, std::initializer_list<std::pair<const char*, const char*>> more) {
  auto* h = new hull_t;
  keyval** tail = &h->header;
  *tail = new_keyval("classname", classname);
  tail = &(*tail)->next;
  for (const auto& [key, value] : more) {
    *tail = new_keyval(key, value);
    tail = &(*tail)->next;
  }
  copy_field(h->classname, sizeof h->classname, classname);
  h->next = hull->next;
  hull->next = h;
  return h;
}

// Moves the world's newest brush into h.
void give_to(hull_t* h) {
  brush_t* b = hull->brush;
  hull->brush = b->next;
  b->next = h->brush;
  h->brush = b;
  b->hull = h;
}

std::string point_entity(const char* classname, int x, int y, int z, const char* more = "") {
  return "{\n\"classname\" \"" + std::string(classname) + "\"\n" + more + "\"origin\" \"" +
         std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(z) + "\"\n}\n";
}

}  // namespace

std::string built_map_text() {
  reset_model();
  // Built as a program just started would build it, on a grid of one unit.
  const view_options kept = options;
  options = view_options{};
  options.grid_size = 1;
  hull_t* world = make_world();
  world->header->next = new_keyval("wad", "gfx/base.wad");
  world->header->next->next = new_keyval("message", "Rooms built by the tests");

  std::string points;
  for (int i = 0; i < ROOMS * ROOMS; ++i) {
    const float x = static_cast<float>(i % ROOMS) * (ROOM + WALL);
    const float y = static_cast<float>(i / ROOMS) * (ROOM + 2 * WALL + 64);
    room(x, y, i);
    const int cx = static_cast<int>(x + ROOM / 2), cy = static_cast<int>(y + ROOM / 2);
    points += point_entity("light", cx, cy, 200, "\"light\" \"250\"\n");
    points +=
        point_entity(i % 2 ? "monster_army" : "item_shells", cx - 128, cy + 128, 24, "\"angle\" \"90\"\n");
  }
  points = point_entity("info_player_start", 64, 64, 24, "\"angle\" \"45\"\n") + points;

  // A door in the first doorway, a wall that turns, and a trigger across a room.
  hull_t* door = brush_entity("func_door", {{"angle", "-1"}, {"targetname", "t1"}, {"speed", "100"}});
  box(ROOM, ROOM / 2 - 64, 0, ROOM + WALL, ROOM / 2, 128, "DOOR02_1");
  give_to(door);
  box(ROOM, ROOM / 2, 0, ROOM + WALL, ROOM / 2 + 64, 128, "DOOR02_1");
  give_to(door);
  hull_t* wall = brush_entity("func_wall", {});
  turn(box(96, 320, 32, 160, 352, 128, "TECH01_1"), 0, 0, 40);
  give_to(wall);
  hull_t* trigger = brush_entity("trigger_once", {{"target", "t1"}});
  box(ROOM + WALL + 32, 0, 0, ROOM + WALL + 96, ROOM, 128, "trigger");
  give_to(trigger);

  std::string text = map_text() + points;
  reset_model();
  options = kept;
  return text;
}

namespace {

// The file and its folder, removed when the program ends.
struct built_file {
  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("veld-built-" + std::to_string(::getpid()));
  std::string path = (dir / "rooms.map").string();
  built_file() {
    std::filesystem::create_directories(dir);
    std::ofstream(path, std::ios::binary) << built_map_text();
  }
  ~built_file() {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  built_file(const built_file&) = delete;
  built_file& operator=(const built_file&) = delete;
};

}  // namespace

const std::string& built_map_path() {
  static const built_file file;
  return file.path;
}

std::string any_map_path(const std::string& name) {
  return name == BUILT_MAP ? built_map_path() : map_path(name.c_str());
}

std::string map_case_name(const ::testing::TestParamInfo<const char*>& info) {
  const std::string name = info.param;
  return name.substr(0, name.find('.'));
}
