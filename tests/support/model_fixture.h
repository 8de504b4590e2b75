// Shared test fixture: every test starts and ends with a fresh model.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/map_state.h"
#include "model/model_check.h"
#include "model/types.h"

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
};

// The world entity ("worldspawn") as the head of an empty brush entity list.
hull_t* make_world();

// A face with three given points, appended to b.
surf* add_face(brush_t* b, vertex_t p0, vertex_t p1, vertex_t p2);

// The text of a world holding one 64-unit box at the origin, texture T, whose
// top face is the line given (without its line break).
std::string box_map_text(const std::string& top_face);

// Number of faces and brushes in a list.
int count_faces(const brush_t* b);
int count_brushes(const hull_t* h);

// Path of one of the real maps. They are not part of the project: they are
// read from VELD_MAPS_DIR, and the maps of other tools from its wild/ folder.
std::string map_path(const char* name);

// Skips the test, naming what it needs, where a file or folder from outside
// the project is not there.
#define SKIP_WITHOUT(path)                                                                                \
  do {                                                                                                    \
    const std::string needed_ = (path);                                                                   \
    if (!std::filesystem::exists(needed_)) GTEST_SKIP() << "needs " << needed_ << ", which is not there"; \
  } while (0)

// Puts LC_NUMERIC into a locale that writes a decimal comma (de_DE, built
// with localedef in a temporary folder) until the object goes; `ready` is
// false where the machine cannot build one, and nothing is changed then.
class comma_locale {
 public:
  comma_locale();
  ~comma_locale();
  comma_locale(const comma_locale&) = delete;
  comma_locale& operator=(const comma_locale&) = delete;
  bool ready = false;

 private:
  std::string dir_;
};

#define EXPECT_MODEL_OK() EXPECT_EQ(check_model(), "")
