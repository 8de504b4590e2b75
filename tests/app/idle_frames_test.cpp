// A window at rest draws no frames; each thing that goes into the picture,
// changed alone, makes the next tick draw one. Ticks are counted either way.
#include <gtest/gtest.h>

#include <QTest>
#include <array>
#include <bit>
#include <cstddef>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include "app/commands.h"
#include "app_fixture.h"
#include "edit/transforms.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "model_fixture.h"
#include "render/render_state.h"

namespace {

class IdleFrames : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    map = temp_dir() + "/box.map";
    write_file(map, BOX_MAP);
    open_map(map);
    win->timer().stop();
  }

  // Whether one tick drew a frame.
  bool tick_draws() {
    const long before = win->frames_drawn();
    ticks(1);
    return win->frames_drawn() != before;
  }

  std::string map;
};

}  // namespace

TEST_F(IdleFrames, EachInputAloneMakesTheNextTickDraw) {
  // The box as it stands: undo and redo put new records in its place.
  const auto box = [] { return hull->brush; };
  const std::string object = temp_dir() + "/piece.vlp";
  const std::vector<std::pair<const char*, std::function<void()>>> inputs = {
      {"camera position", [] { origin.x += 1; }},
      {"camera angle",
       [] {
         angle.y += 0.05f;
         compute_angles();
       }},
      {"focal length", [this] { win->view += 5; }},
      {"zoom", [this] { win->vd += 0.05f; }},
      {"view centre", [this] { win->xss += 1; }},
      {"mouse", [this] { win->Point += QPoint(1, 0); }},
      {"drag", [this] { win->DragDC = !win->DragDC; }},
      {"client size", [this] { win->clientsize.rwidth() -= 1; }},
      {"an edit",
       [box] {
         const vertex_t d{8, 0, 0};
         move_brush(box(), &d);
         history_record();
       }},
      {"undo", [this] { trigger(CM_EDITUNDO); }},
      {"redo", [this] { trigger(CM_EDITREDO); }},
      {"selection", [box] { insert_brush_in_list(box()); }},
      {"save an object",
       [this, object] {
         fake.file_answers.push_back(object);
         trigger(CM_OBJECTSAVE);
       }},
      {"merge",
       [this, object] {
         fake.file_answers.push_back(object);
         trigger(CM_FILEOPENOBJECT);
       }},
      {"dialog OK",
       [this, box] {
         hilight = box()->fsurf;
         fake.dialog_scripts.push_back([](TDialog&) { return IDOK; });
         win->command(CM_PROPERTIES);
       }},
      {"solid", [] { options.allsolid ^= 1; }},
      {"ordered", [] { options.drawbsp ^= 1; }},
      {"fix brushes", [] { options.fixb ^= 1; }},
      {"entities", [] { options.drawentity ^= 1; }},
      {"textures", [] { options.drawtextures ^= 1; }},
      {"light", [] { options.drawlight ^= 1; }},
      {"Dir switch", [] { options.dragy ^= 1; }},
      {"overhead rectangle",
       [] {
         Srect = {10, 10, 90, 90};
       }},
      {"testing", [this] { win->status.testing_value += 5; }},
      {"key code", [this] { win->status.keydown = 65; }},
      {"key flags", [this] { win->status.keyflags = 30; }},
      {"command line", [this] { win->status.cmdline += " more"; }},
      {"current brush", [box] { hibr = box(); }},
      {"point entities", [] { numentity += 1; }},  // undone by the open below
      {"memory load", [this] { fake.memory += 1; }},
      {"an edit in another view", [this] { win->end_of_step(); }},
      {"open",
       [this] {
         fake.box_answers.push_back(IDNO);  // close without saving, then open again
         trigger(CM_FILECLOSE);
         open_map(map);
       }},
  };
  for (const auto& [name, change] : inputs) {
    tick_draws();
    long ticks_before = win->framerate;
    EXPECT_FALSE(tick_draws()) << "at rest, before " << name;
    EXPECT_EQ(win->framerate, ticks_before + 1) << "a tick that draws nothing still counts";
    change();
    win->timer().stop();
    ticks_before = win->framerate;
    EXPECT_TRUE(tick_draws()) << name;
    EXPECT_EQ(win->framerate, ticks_before + 1) << name;
  }
  options.drawtextures = 0;
}

// The view switches go into the redraw decision as one record, so a switch
// added later cannot be left out of it: whichever byte of the record changes,
// the next tick draws.
TEST_F(IdleFrames, EveryViewOptionAloneMakesTheNextTickDraw) {
  static_assert(std::has_unique_object_representations_v<view_options>, "every byte belongs to a field");
  using record_bytes = std::array<unsigned char, sizeof(view_options)>;
  const view_options start = options;
  for (std::size_t i = 0; i < sizeof(view_options); ++i) {
    tick_draws();
    ASSERT_FALSE(tick_draws()) << "at rest, before byte " << i;
    record_bytes bytes = std::bit_cast<record_bytes>(start);
    bytes[i] ^= 1;
    options = std::bit_cast<view_options>(bytes);
    EXPECT_TRUE(tick_draws()) << "byte " << i << " of the view options";
    options = start;
  }
}
