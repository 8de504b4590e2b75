// End-to-end fixture: the real main frame, offscreen, with every box and
// dialog answered by the scripted platform.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "app/draw_window.h"
#include "app/main_frame.h"
#include "scripted_platform.h"

// A world holding one 128-unit box.
inline const std::string BOX_MAP = R"({
"classname" "worldspawn"
{
( -64 -64 -64 ) ( 64 -64 -64 ) ( 64 64 -64 ) GROUND1 0 0 0 1 1
( -64 -64 64 ) ( 64 -64 64 ) ( 64 -64 -64 ) GROUND1 0 0 0 1 1
( -64 64 64 ) ( -64 -64 64 ) ( -64 -64 -64 ) GROUND1 0 0 0 1 1
( 64 64 64 ) ( -64 64 64 ) ( -64 64 -64 ) GROUND1 0 0 0 1 1
( 64 64 64 ) ( 64 64 -64 ) ( 64 -64 -64 ) GROUND1 0 0 0 1 1
( 64 64 64 ) ( 64 -64 64 ) ( -64 -64 64 ) GROUND1 0 0 0 1 1
}
}
)";

class AppTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Chooses path in the open dialog and runs File/open.
  void open_map(const std::string& path);
  // Runs n timer ticks.
  void ticks(int n);
  // The command's menu item as the user would trigger it.
  void trigger(int id);
  bool enabled(int id);
  bool checked(int id);

  scripted_platform fake;
  TDrawFrame* frame = nullptr;
  TDrawWindow* win = nullptr;
};

// A temporary folder removed with the fixture.
std::string temp_dir();

// Whole files, byte for byte.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
