#include "model_fixture.h"

#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <filesystem>

#include "model/view_options.h"

void ModelTest::SetUp() {
  reset_model();
  options = view_options{};
}

void ModelTest::TearDown() {
  EXPECT_MODEL_OK();
  reset_model();
  options = view_options{};
}

hull_t* make_world() {
  auto* w = new hull_t;
  w->header = new_keyval("classname", "worldspawn");
  copy_field(w->classname, sizeof w->classname, "worldspawn");
  w->next = hull;
  hull = w;
  return w;
}

std::string box_map_text(const std::string& top_face) {
  return "{\n\"classname\" \"worldspawn\"\n{\n"
         "( 0 0 0 ) ( 0 64 0 ) ( 0 0 64 ) T 0 0 0 1 1\n"
         "( 64 0 0 ) ( 64 0 64 ) ( 64 64 0 ) T 0 0 0 1 1\n"
         "( 0 0 0 ) ( 0 0 64 ) ( 64 0 0 ) T 0 0 0 1 1\n"
         "( 0 64 0 ) ( 64 64 0 ) ( 0 64 64 ) T 0 0 0 1 1\n"
         "( 0 0 0 ) ( 64 0 0 ) ( 0 64 0 ) T 0 0 0 1 1\n" +
         top_face + "\n}\n}\n";
}

surf* add_face(brush_t* b, vertex_t p0, vertex_t p1, vertex_t p2) {
  auto* s = new surf;
  s->point[0] = p0;
  s->point[1] = p1;
  s->point[2] = p2;
  s->numpoints = 3;
  s->brush = b;
  s->vis = 1;
  surf** tail = &b->fsurf;
  while (*tail != nullptr) tail = &(*tail)->next;
  *tail = s;
  return s;
}

int count_faces(const brush_t* b) {
  int n = 0;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) ++n;
  return n;
}

int count_brushes(const hull_t* h) {
  int n = 0;
  for (const brush_t* b = h->brush; b != nullptr; b = b->next) ++n;
  return n;
}

std::string map_path(const char* name) { return std::string(VELD_MAPS_DIR) + "/" + name; }

comma_locale::comma_locale()
    : dir_(
          (std::filesystem::temp_directory_path() / ("veld-locale-" + std::to_string(::getpid()))).string()) {
  std::filesystem::create_directories(dir_);
  const std::string command = "localedef -i de_DE -f UTF-8 '" + dir_ + "/de_DE.UTF-8' >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) return;
  ::setenv("LOCPATH", dir_.c_str(), 1);
  ready = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
}

comma_locale::~comma_locale() {
  std::setlocale(LC_NUMERIC, "C");
  ::unsetenv("LOCPATH");
  std::filesystem::remove_all(dir_);
}
