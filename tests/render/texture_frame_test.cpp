// Textured frames: a box whose texture tells each texel by its colour, seen
// from a known camera. The texel a pixel shows is checked against the texture
// rule worked out here for the face, and the textured picture covers the
// same pixels as the flat one.
#include <gtest/gtest.h>

#include <cmath>

#include "edit/box_brush.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/view_options.h"
#include "render/draw_canvas.h"
#include "render/render_state.h"
#include "render_fixture.h"

namespace {

constexpr int SIZE = 64;  // texels a side

// Texel (s, t) is coloured (4 s, 4 t, 77): its colour names it.
texture_image coded_texture() {
  texture_image t;
  t.name = "CODED";
  t.width = t.height = SIZE;
  for (int y = 0; y < SIZE; ++y) {
    for (int x = 0; x < SIZE; ++x) t.texels.push_back(qRgb(4 * x, 4 * y, 77));
  }
  return t;
}

// A 256-unit box 200 units ahead of the start-up camera: its near face, the
// plane y = -72, faces the camera and fills most of the view.
class TexturedFrame : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    make_world();
    const vertex_t at{0, -200, 0};
    box = new_brush(&at, 256, 256, 256, 0);
    near_face = box->fsurf->next->next->next;
    for (surf* s = box->fsurf; s != nullptr; s = s->next) s->texname = "CODED";
    canvas.candraw = 1;
    canvas.texture_of = [this](const std::string&) -> const texture_image& { return tex; };
    options.allsolid = 1;
  }

  // Where the world point lands on screen, by the 3D view's projection.
  QPoint screen(const vertex_t& p) const {
    vertex_t v;
    rotate_vertex(&p, &v);
    return {static_cast<int>(canvas.xss + v.x * canvas.view / v.y * canvas.vd),
            static_cast<int>(canvas.yss - v.z * canvas.view / v.y * canvas.vd)};
  }

  texture_image tex = coded_texture();
  TDrawCanvas canvas;
  brush_t* box = nullptr;
  surf* near_face = nullptr;
};

}  // namespace

TEST_F(TexturedFrame, EachPixelShowsTheTexelTheFaceRulePutsThere) {
  struct texturing {
    float rotation, sscale, tscale, sofs, tofs;
  };
  const texturing cases[] = {
      {0, 1, 1, 0, 0}, {90, 1, 1, 0, 0}, {30, 2, 0.5f, 16, -8}, {-45, 0.5f, 1.5f, 3, 40}};
  options.drawtextures = 1;
  for (const texturing& c : cases) {
    near_face->flips = c.rotation;
    near_face->scale[0] = c.sscale;
    near_face->scale[1] = c.tscale;
    near_face->sofs = c.sofs;
    near_face->tofs = c.tofs;
    canvas.EvDraw();
    // The face y = -72 takes the texture along x and -z, turned by the
    // rotation: s = (x cos + z sin) / sscale + sofs, t = (x sin - z cos) /
    // tscale + tofs. Each texel centre is put back into the world by solving
    // those for x and z, projected, and looked up.
    const double a = c.rotation * std::acos(-1.0) / 180, cs = std::cos(a), sn = std::sin(a);
    int checked = 0;
    for (int s = -40; s <= 40; s += 3) {
      for (int t = -40; t <= 40; t += 3) {
        const double ss = (s + 0.5 - c.sofs) * c.sscale, tt = (t + 0.5 - c.tofs) * c.tscale;
        const double x = ss * cs + tt * sn, z = ss * sn - tt * cs;
        if (std::fabs(x) > 120 || std::fabs(z) > 120) continue;  // on the face, clear of its edges
        const QPoint p = screen({static_cast<float>(x), -72, static_cast<float>(z)});
        if (p.x() < 0 || p.y() < 70 || p.x() >= 800 || p.y() >= 600) continue;  // below the status lines
        if (p.x() == 400 || p.y() == 300) continue;                             // the cross-hair
        const QRgb pixel = canvas.winbmp.pixel(p);
        const int ws = ((s % SIZE) + SIZE) % SIZE, wt = ((t % SIZE) + SIZE) % SIZE;
        ASSERT_EQ(pixel, qRgb(4 * ws, 4 * wt, 77))
            << c.rotation << " texel " << s << "," << t << " at " << p.x() << "," << p.y();
        ++checked;
      }
    }
    EXPECT_GT(checked, 40) << c.rotation;
  }
}

TEST_F(TexturedFrame, TexturedAndLitPicturesCoverWhatTheFlatOneCovers) {
  origin = {90, 40, 60};  // a corner of the box in view, its faces at an angle
  angle.z = 2.7f;
  compute_angles();
  for (const int bsp : {0, 1}) {
    options.drawbsp = bsp;
    options.drawtextures = options.drawlight = 0;
    canvas.EvDraw();
    const QImage flat = canvas.winbmp.copy();
    for (const auto& [textured, lit] : {std::pair{1, 0}, {0, 1}, {1, 1}}) {
      options.drawtextures = textured;
      options.drawlight = lit;
      canvas.EvDraw();
      int covered = 0;
      for (int y = 40; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
          const bool was = flat.pixel(x, y) != qRgb(255, 255, 255);
          ASSERT_EQ(canvas.winbmp.pixel(x, y) != qRgb(255, 255, 255), was) << x << "," << y;
          covered += was ? 1 : 0;
        }
      }
      EXPECT_GT(covered, 100000);
      // Lit faces differ in brightness by the way they face.
      if (lit != 0 && textured == 0) EXPECT_NE(canvas.winbmp, flat);
    }
  }
}
