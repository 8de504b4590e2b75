// Shared set-up of the render tests: a fresh model and render state, and small
// builders for faces and brushes placed in front of the start-up camera.
#pragma once

#include <initializer_list>

#include "model_fixture.h"
#include "render/render_state.h"

class RenderTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    reset_render_state();
  }
  void TearDown() override {
    ModelTest::TearDown();
    reset_render_state();
  }
};

// An empty brush of the world entity (made on first use), first in its list.
brush_t* world_brush();

// A face with the given points appended to b, in the given colour.
surf* add_polygon(brush_t* b, std::initializer_list<vertex_t> points, colour_t clr);

// A view-space winding with the given points and normal from its first three.
void set_winding(winding* w, std::initializer_list<vertex_t> points);
