// Whole frames: list and ordered drawing, outlines, highlight, entity dots,
// cross-hair and status lines.
#include <gtest/gtest.h>

#include <QRect>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "built_map.h"
#include "edit/box_brush.h"
#include "mapio/map_reader.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_defaults.h"
#include "model/view_options.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"
#include "render_fixture.h"

namespace {

const QRgb WHITE = qRgb(255, 255, 255);
const QRgb RED = qRgb(255, 0, 0);
const QRgb YELLOW = qRgb(255, 255, 0);
const QRgb CYAN = qRgb(0, 255, 255);
const QRgb MAGENTA = qRgb(255, 0, 255);

QRgb rgb(colour_t c) { return qRgb(colour_red(c), colour_green(c), colour_blue(c)); }

bool any_pixel(const QImage& img, const QRect& area, QRgb colour) {
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      if (img.pixel(x, y) == colour) return true;
    }
  }
  return false;
}

// A 64-unit box 200 units ahead of the start-up camera; its near face covers
// roughly (318, 218)-(482, 382) on screen. A point entity's marker box sits
// above it, its origin landing at pixel (417, 213).
class FrameTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    make_world();
    const vertex_t at{0, -200, 0};
    box = new_brush(&at, 64, 64, 64, 0);
    near_face = box->fsurf->next->next->next;  // the +y side, facing the camera
    entities[0].origin = vertex_t{0, -300, 60};
    entities[0].brush = new_brush(&entities[0].origin, 8, 8, 8, 1);
    entities[0].brush->entity = 0;
    entities[0].valid = 1;
    numentity = 1;
  }

  brush_t* box = nullptr;
  surf* near_face = nullptr;
  const QRect bottom_edge{390, 375, 20, 12};  // across the near face's lower edge
};

TEST_F(FrameTest, ListAndOrderedModesDrawFacesDotsAndCrossHair) {
  TDrawCanvas canvas;
  canvas.EvDraw();
  const QImage& img = canvas.winbmp;
  EXPECT_EQ(img.pixel(450, 330), WHITE);  // wireframe: inside of the face stays clear
  EXPECT_TRUE(any_pixel(img, bottom_edge, rgb(near_face->clr)));
  EXPECT_EQ(img.pixel(417, 213), RED);     // entity dot over its marker box
  EXPECT_EQ(img.pixel(395, 300), YELLOW);  // cross-hair in the last pen selected
  EXPECT_EQ(img.pixel(400, 305), YELLOW);

  options.allsolid = 1;
  canvas.EvDraw();
  EXPECT_EQ(img.pixel(450, 330), rgb(near_face->clr));
  EXPECT_EQ(img.pixel(417, 213), RED);

  options.drawbsp = 1;
  const vertex_t corner = near_face->point[0];
  canvas.EvDraw();
  EXPECT_EQ(img.pixel(450, 330), rgb(near_face->clr));
  EXPECT_NE(img.pixel(417, 213), RED);  // no dots in ordered mode
  EXPECT_NE(img.pixel(417, 213), WHITE);
  EXPECT_EQ(near_face->point[0].x, corner.x);  // drawing leaves the map alone
  EXPECT_EQ(near_face->numpoints, 4);

  // Without markers the ordered view shows nothing there; list mode still
  // puts the dot of every slot.
  options.drawentity = 0;
  canvas.EvDraw();
  EXPECT_EQ(img.pixel(417, 213), WHITE);
  options.drawbsp = 0;
  canvas.EvDraw();
  EXPECT_EQ(img.pixel(417, 213), RED);

  // Nothing is drawn for an entity at or behind the eye.
  entities[0].origin = vertex_t{0, 0.0005f, 0};
  canvas.EvDraw();
  EXPECT_FALSE(any_pixel(img, img.rect(), RED));
}

TEST_F(FrameTest, HoveredFaceIsHighlightedAndOutlined) {
  TDrawCanvas canvas;
  canvas.Point = QPoint(450, 330);
  canvas.EvDraw();
  EXPECT_EQ(thi, near_face);
  EXPECT_EQ(hilight, near_face);
  EXPECT_TRUE(any_pixel(canvas.winbmp, bottom_edge, RED));
  EXPECT_EQ(canvas.winbmp.pixel(395, 300), RED);  // the cross-hair takes the last pen

  // With an axis switch on the face keeps only its brush's cyan outline.
  options.dragx = 1;
  canvas.EvDraw();
  EXPECT_FALSE(any_pixel(canvas.winbmp, bottom_edge, RED));
  EXPECT_TRUE(any_pixel(canvas.winbmp, bottom_edge, CYAN));

  // Without "fix brushes" there are no brush outlines at all.
  options.fixb = 0;
  canvas.EvDraw();
  EXPECT_FALSE(any_pixel(canvas.winbmp, bottom_edge, CYAN));
  EXPECT_TRUE(any_pixel(canvas.winbmp, bottom_edge, rgb(near_face->clr)));
  options.dragx = 0;
  canvas.EvDraw();
  EXPECT_TRUE(any_pixel(canvas.winbmp, bottom_edge, RED));
}

TEST_F(FrameTest, DragKeepsHighlightAndPicksNothingNew) {
  TDrawCanvas canvas;
  canvas.Point = QPoint(450, 330);
  canvas.EvDraw();
  ASSERT_EQ(hilight, near_face);
  canvas.DragDC = true;
  canvas.Point = QPoint(10, 500);
  canvas.EvDraw();
  EXPECT_EQ(hilight, near_face);
  EXPECT_EQ(thi, near_face);
  canvas.DragDC = false;
  canvas.EvDraw();
  EXPECT_EQ(hilight, nullptr);
}

TEST_F(FrameTest, HiddenBrushIsOutlinedOnlyWhileSelectedOrCurrent) {
  const vertex_t at{200, -300, 0};  // shows left of the centre, about x 60 to 200
  brush_t* side = new_brush(&at, 64, 64, 64, 0);
  side->vis = 0;
  const QRect area(40, 200, 180, 200);
  TDrawCanvas canvas;
  canvas.EvDraw();
  EXPECT_FALSE(any_pixel(canvas.winbmp, area, rgb(side->fsurf->next->next->next->clr)));
  for (int y = area.top(); y <= area.bottom(); y += 4) ASSERT_EQ(canvas.winbmp.pixel(130, y), WHITE) << y;

  insert_brush_in_list(side);
  canvas.EvDraw();
  EXPECT_TRUE(any_pixel(canvas.winbmp, area, YELLOW));
  hibr = side;
  canvas.EvDraw();
  EXPECT_TRUE(any_pixel(canvas.winbmp, area, MAGENTA));
}

TEST_F(FrameTest, StatusLinesAndVertexMarker) {
  TDrawCanvas canvas;
  canvas.memory_status = [] { return 37UL; };
  canvas.status.cmdline = "maps/x.map";
  canvas.EvDraw();
  const auto lines = canvas.status_lines();
  EXPECT_EQ(lines[0],
            "numsurf: 12 numdrawn: 3 &hibr: 0 view: 430.000000 testing: -75 numentity: 1 cmdline:maps/x.map");
  EXPECT_EQ(lines[1], "origin: 0.000000 0.000000 0.000000 front: 0 back: 0");
  EXPECT_EQ(lines[2],
            "angle: 0.000000 0.000000 3.100000 keydown: 0  flags: 0 dragx 0 dragy 0 dragz 0 fix1free: 37%");
  EXPECT_TRUE(any_pixel(canvas.winbmp, QRect(10, 4, 200, 12), qRgb(0, 0, 0)));

  // Ordered mode counts the fragments the pool handed out: a long wall
  // reaching behind the eye comes first in the list, and its plane cuts a
  // wide floor made before it.
  options.drawbsp = 1;
  const vertex_t floor_at{0, -300, -100}, wall_at{-150, -150, 0};
  new_brush(&floor_at, 100, 600, 20, 0);
  new_brush(&wall_at, 500, 64, 64, 0);
  canvas.EvDraw();
  EXPECT_GT(numtlsurf, 0);
  EXPECT_EQ(canvas.status_lines()[1],
            "origin: 0.000000 0.000000 0.000000 front: " + std::to_string(numtlsurf) + " back: 0");

  // Hovering a corner marks it with four black pixels.
  options.drawbsp = 0;
  vertex_t v;
  rotate_vertex(&near_face->point[0], &v);
  const int x = static_cast<int>(START_CENTRE_X + v.x * START_FOCAL_LENGTH / v.y);
  const int y = static_cast<int>(START_CENTRE_Y - v.z * START_FOCAL_LENGTH / v.y);
  canvas.Point = QPoint(x + 2, y - 2);
  canvas.EvDraw();
  ASSERT_NE(closest_point, nullptr);
  EXPECT_EQ(canvas.winbmp.pixel(x, y), qRgb(0, 0, 0));
  EXPECT_EQ(canvas.winbmp.pixel(x + 1, y + 1), qRgb(0, 0, 0));
}

// Qt takes the C locale from the environment, where "%lf" would write
// "430,000000"; the status lines must not. Builds such a locale with localedef
// in a temporary folder.
TEST_F(FrameTest, StatusLinesIgnoreACommaLocale) {
  char probe[8];
  std::array<std::string, 3> lines;
  {
    const comma_locale comma;
    if (!comma.ready) GTEST_SKIP() << "localedef could not build de_DE.UTF-8 on this machine";
    std::snprintf(probe, sizeof probe, "%.1f", 0.5);
    origin = vertex_t{0.5f, -1.25f, 1e6f};
    TDrawCanvas canvas;
    lines = canvas.status_lines();
  }
  EXPECT_STREQ(probe, "0,5");  // the locale really was in force
  EXPECT_NE(lines[0].find(" view: 430.000000 "), std::string::npos) << lines[0];
  EXPECT_EQ(lines[1], "origin: 0.500000 -1.250000 1000000.000000 front: 0 back: 0");
  EXPECT_EQ(lines[2],
            "angle: 0.000000 0.000000 3.100000 keydown: 0  flags: 0 dragx 0 dragy 0 dragz 0 fix1free: 0%");
}

}  // namespace

TEST_F(FrameTest, TwoBandsOfRowsDrawTheSamePictureAsOne) {
  // Fills, outlines and texels cross the seam between the bands at every
  // angle in these views of the built map.
  release_map();
  reset_model();
  ASSERT_TRUE(read_map(any_map_path(BUILT_MAP)).ok());
  struct mode {
    int solid, bsp, textures, light;
  };
  const mode modes[] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {1, 1, 0, 0}, {1, 0, 1, 1}, {1, 1, 1, 0}};
  const vertex_t eyes[] = {{256, 64, 128}, {300, 450, 100}};
  for (const vertex_t& eye : eyes) {
    origin = eye;
    angle = {0.2f, 0, eye.x == 256 ? 0.0f : 3.1f};
    compute_angles();
    for (const mode& m : modes) {
      options.allsolid = m.solid;
      options.drawbsp = m.bsp;
      options.drawtextures = m.textures;
      options.drawlight = m.light;
      std::array<TDrawCanvas, 2> canvas;
      std::array<QImage, 2> picture;
      for (int i = 0; i < 2; ++i) {
        canvas[i].bands = i + 1;
        canvas[i].candraw = 1;
        canvas[i].draw_frame();
        picture[i] = canvas[i].winbmp;
      }
      int differ = 0;
      for (int y = 0; y < VIEW_HEIGHT; ++y) {
        for (int x = 0; x < VIEW_WIDTH; ++x)
          differ += picture[0].pixel(x, y) != picture[1].pixel(x, y) ? 1 : 0;
      }
      EXPECT_EQ(differ, 0) << eye.x << " solid " << m.solid << " bsp " << m.bsp << " textures " << m.textures;
    }
  }
}
