// End-to-end fixture: the real main frame, offscreen, with every box and
// dialog answered by the scripted platform.
#pragma once

#include <gtest/gtest.h>

#include <QEvent>
#include <QPoint>
#include <cstdint>
#include <string>

#include "app/draw_window.h"
#include "app/main_frame.h"
#include "scripted_platform.h"

class TPlanWindow;

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

// BOX_MAP with the world naming a WAD.
inline std::string box_map_with_wad(const std::string& wad) {
  std::string map = BOX_MAP;
  map.insert(map.find("\"classname\" \"worldspawn\"\n") + 25, "\"wad\" \"" + wad + "\"\n");
  return map;
}

// The kind byte of a WAD2 texture entry (miptex).
constexpr std::uint8_t WAD2_TEXTURE = 0x44;

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

  // Opens a plan view from the menu and sets a known camera: zoom 1 about
  // the world origin.
  TPlanWindow* open(int id);
  // Where a map point is on a plan view, and the mouse on its canvas.
  static QPoint at(TPlanWindow* v, vertex_t p);
  static void send(TPlanWindow* v, QEvent::Type type, QPoint p, Qt::MouseButton button,
                   Qt::KeyboardModifiers mods = Qt::NoModifier);
  static void click(TPlanWindow* v, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier);
  static void drag(TPlanWindow* v, QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton,
                   Qt::KeyboardModifiers mods = Qt::NoModifier);

  scripted_platform fake;
  TDrawFrame* frame = nullptr;
  TDrawWindow* win = nullptr;
};

// A temporary folder removed with the fixture.
std::string temp_dir();

// Whole files, byte for byte.
std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
