// Fitting and justifying textures on random faces in both dialects: the
// texture's edges land on the face's bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "edit/box_brush.h"
#include "edit/texture_align.h"
#include "edit/transforms.h"
#include "model/plane_polygon.h"
#include "model/texture_axes.h"
#include "model_fixture.h"

namespace {

// The least and greatest texel coordinates over the corners of f.
struct texel_span {
  double lo[2] = {1e30, 1e30}, hi[2] = {-1e30, -1e30};
};

texel_span texels(const surf* f) {
  texel_span out;
  for (int k = 0; k < f->numpoints; ++k) {
    double c[2];
    texture_coords(f, f->point[k], c[0], c[1]);
    for (int i = 0; i < 2; ++i) {
      out.lo[i] = std::min(out.lo[i], c[i]);
      out.hi[i] = std::max(out.hi[i], c[i]);
    }
  }
  return out;
}

using TextureAlign = ModelTest;

}  // namespace

TEST_F(TextureAlign, FitAndJustifyPutTheTexturesEdgesOnTheFace) {
  make_world();
  std::mt19937 rng(77);
  std::uniform_real_distribution<double> any(-1, 1);
  int faces = 0;
  for (int round = 0; round < 60; ++round) {
    const vertex_t lo{0, 0, 0}, hi{static_cast<float>(16 + round * 5), 96, static_cast<float>(8 + round)};
    brush_t* b = new_world_box(&lo, &hi);
    vertex_t centre;
    find_center(b, &centre);
    const vertex_t turn{static_cast<float>(any(rng)), static_cast<float>(any(rng)),
                        static_cast<float>(3 * any(rng))};
    rotate_brush(b, &centre, &turn);
    fixbrush(b);
    const int w = 16 << (round % 4), h = 8 << (round % 5);
    for (surf* f = b->fsurf; f != nullptr; f = f->next, ++faces) {
      f->flips = static_cast<float>(37 * round % 360);
      f->scale[0] = round % 3 == 0 ? -1.5f : 0.75f;
      f->scale[1] = 2;
      if (round % 2 == 1) {
        float axes[2][3];
        texture_axes(f, axes);
        std::copy(&axes[0][0], &axes[0][0] + 6, &f->texaxis[0][0]);
        f->hasaxes = 1;
        turn_texture(f, 15 * round);
      }
      const int across = 1 + round % 3, down = 1 + round % 2;
      fit_texture(f, w, h, across, down);
      texel_span t = texels(f);
      EXPECT_NEAR(t.lo[0], 0, 0.01);
      EXPECT_NEAR(t.hi[0], w * across, 0.01);
      EXPECT_NEAR(t.lo[1], 0, 0.01);
      EXPECT_NEAR(t.hi[1], h * down, 0.01);
      EXPECT_EQ(f->scale[0] < 0, round % 3 == 0) << "fitting keeps the flip";

      f->scale[0] *= 1.3f;  // no longer fitting: justify moves it only
      justify_texture(f, w, h, justify::right);
      EXPECT_NEAR(texels(f).hi[0], w, 0.01);
      justify_texture(f, w, h, justify::bottom);
      EXPECT_NEAR(texels(f).hi[1], h, 0.01);
      justify_texture(f, w, h, justify::left);
      justify_texture(f, w, h, justify::top);
      t = texels(f);
      EXPECT_NEAR(t.lo[0], 0, 0.01);
      EXPECT_NEAR(t.lo[1], 0, 0.01);
      justify_texture(f, w, h, justify::centre);
      t = texels(f);
      EXPECT_NEAR((t.lo[0] + t.hi[0]) / 2, w / 2.0, 0.01);
      EXPECT_NEAR((t.lo[1] + t.hi[1]) / 2, h / 2.0, 0.01);
    }
  }
  EXPECT_EQ(faces, 360);

  // Four quarter turns bring a Valve face's axes back; a standard face counts degrees.
  surf* f = hull->brush->fsurf;
  const float before = f->texaxis[0][0];
  for (int i = 0; i < 4; ++i) turn_texture(f, 90);
  EXPECT_NEAR(f->texaxis[0][0], before, 1e-5);
  surf* standard = hull->brush->next->fsurf;
  standard->flips = 350;
  turn_texture(standard, 15);
  EXPECT_FLOAT_EQ(standard->flips, 5);
}
