// With the lock, a texel stays on the point of the brush it was on, however
// the brush moves and turns: Valve 220 faces always, standard faces for
// moves, and for turns about the vertical of upright boxes whose textures
// are turned by right angles; and stretches.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "edit/box_brush.h"
#include "edit/stretch.h"
#include "edit/texture_lock.h"
#include "edit/transforms.h"
#include "model/plane_polygon.h"
#include "model/rotation.h"
#include "model/texture_axes.h"
#include "model_fixture.h"

namespace {

class TextureLock : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    make_world();
  }
  std::mt19937 rng{1209};

  double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); }

  // Turns about z, then y, then x, by the given radians.
  static point_map turn(double x, double y, double z) {
    const double cx = std::cos(x), sx = std::sin(x), cy = std::cos(y), sy = std::sin(y), cz = std::cos(z),
                 sz = std::sin(z);
    const double rz[3][3] = {{cz, -sz, 0}, {sz, cz, 0}, {0, 0, 1}};
    const double ry[3][3] = {{cy, 0, sy}, {0, 1, 0}, {-sy, 0, cy}};
    const double rx[3][3] = {{1, 0, 0}, {0, cx, -sx}, {0, sx, cx}};
    double yz[3][3] = {}, m[3][3] = {};
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) yz[i][j] += ry[i][k] * rz[k][j];
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) m[i][j] += rx[i][k] * yz[k][j];
    point_map out;
    std::copy(&m[0][0], &m[0][0] + 9, &out.turn[0][0]);
    return out;
  }
};

vertex_t apply(const point_map& m, const vertex_t& p) {
  const double v[3] = {p.x, p.y, p.z};
  double out[3];
  for (int i = 0; i < 3; ++i) out[i] = m.turn[i][0] * v[0] + m.turn[i][1] * v[1] + m.turn[i][2] * v[2];
  return {static_cast<float>(out[0] + m.shift.x), static_cast<float>(out[1] + m.shift.y),
          static_cast<float>(out[2] + m.shift.z)};
}

}  // namespace

TEST_F(TextureLock, TexelsStayOnThePointsTheyWereOn) {
  int checked[2] = {0, 0};
  for (int round = 0; round < 400; ++round) {
    const bool valve = round % 2 == 1;
    const vertex_t lo{static_cast<float>(std::round(uniform(-500, 500))),
                      static_cast<float>(std::round(uniform(-500, 500))),
                      static_cast<float>(std::round(uniform(-200, 200)))};
    const vertex_t hi{lo.x + static_cast<float>(std::round(uniform(8, 300))),
                      lo.y + static_cast<float>(std::round(uniform(8, 300))),
                      lo.z + static_cast<float>(std::round(uniform(8, 300)))};
    brush_t* b = new_world_box(&lo, &hi);
    // A standard face can keep its texture through a turn about the vertical
    // or a stretch where its texture is turned by right angles: at any other
    // angle it would need a shear.
    const bool turned = round % 4 >= 2, stretched = round % 8 == 1 || round % 8 == 4;
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      s->flips = static_cast<float>((turned || stretched) && !valve ? 90 * std::round(uniform(-2, 2))
                                                     : std::round(uniform(-180, 180)));
      for (float& scale : s->scale) scale = static_cast<float>((round % 4 < 2 ? 1 : -1) * uniform(0.25, 4));
      s->sofs = static_cast<float>(std::round(uniform(-64, 64)));
      s->tofs = static_cast<float>(std::round(uniform(-64, 64)));
      if (valve) {
        float axes[2][3];
        texture_axes(s, axes);
        std::copy(&axes[0][0], &axes[0][0] + 6, &s->texaxis[0][0]);
        s->hasaxes = 1;
      }
    }
    // Moves, turns (about z for standard faces, any for Valve ones) and
    // stretches along an axis.
    point_map m = !turned ? point_map{}
                          : turn(valve ? uniform(-3, 3) : 0, valve ? uniform(-3, 3) : 0, uniform(-3.2, 3.2));
    m.shift = {uniform(-300, 300), uniform(-300, 300), uniform(-300, 300)};
    if (stretched) m.turn[round % 3][round % 3] = uniform(0.25, 4);

    std::vector<surf> before;
    std::vector<std::vector<std::pair<vertex_t, std::pair<double, double>>>> texels;
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      before.push_back(*s);
      texels.emplace_back();
      for (int i = 0; i < s->numpoints; ++i) {
        double u, v;
        texture_coords(s, s->point[i], u, v);
        texels.back().push_back({s->point[i], {u, v}});
      }
      for (int i = 0; i < s->numpoints; ++i) s->point[i] = apply(m, s->point[i]);
    }
    fixbrush(b);
    std::size_t k = 0;
    for (surf* s = b->fsurf; s != nullptr; s = s->next, ++k) {
      lock_texture(s, before[k], m);
      for (const auto& [p, coords] : texels[k]) {
        double u, v;
        texture_coords(s, apply(m, p), u, v);
        // Far corners carry the float rounding of the moved points.
        EXPECT_NEAR(u, coords.first, 0.01) << (valve ? "valve" : "standard") << " round " << round;
        EXPECT_NEAR(v, coords.second, 0.01) << (valve ? "valve" : "standard") << " round " << round;
        ++checked[valve ? 1 : 0];
      }
    }
  }
  EXPECT_GT(checked[0], 1000);
  EXPECT_GT(checked[1], 1000);
}

// The switch carries the lock through the editor's own moves, turns and
// stretches.
TEST_F(TextureLock, MovesTurnsAndStretchesCarryTexturesWhenLocked) {
  texture_lock = 1;
  const vertex_t lo{-40, 8, 0}, hi{88, 72, 96};
  brush_t* b = new_world_box(&lo, &hi);
  for (surf* s = b->fsurf; s != nullptr; s = s->next) {
    s->flips = 30;
    s->scale[0] = 0.5f;
    s->sofs = 7;
  }
  const auto texels = [&] {
    std::vector<std::pair<double, double>> out;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
      double u, v;
      texture_coords(s, s->point[0], u, v);
      out.push_back({u, v});
    }
    return out;
  };
  // Each step moves every corner as the map given; the texel the first
  // corner had is then at that corner's new place.
  const auto check = [&](const std::function<void()>& step, const std::function<vertex_t(vertex_t)>& where) {
    std::vector<vertex_t> firsts;
    const auto before = texels();
    for (const surf* s = b->fsurf; s != nullptr; s = s->next) firsts.push_back(where(s->point[0]));
    step();
    std::size_t k = 0;
    for (const surf* s = b->fsurf; s != nullptr; s = s->next, ++k) {
      double u, v;
      texture_coords(s, firsts[k], u, v);
      EXPECT_NEAR(u, before[k].first, 0.01);
      EXPECT_NEAR(v, before[k].second, 0.01);
    }
  };
  const vertex_t d{16, -32, 8};
  check([&] { move_brush(b, &d); }, [&](vertex_t p) { return vertex_t{p.x + d.x, p.y + d.y, p.z + d.z}; });
  check([&] { stretch_brushes({b}, 2, 8, 104, 200); },
        [&](vertex_t p) {
          return vertex_t{p.x, p.y, 8 + (p.z - 8) * 2};
        });
  vertex_t centre;
  find_center(b, &centre);
  const vertex_t angles{0, 0, 0.7f};
  const rotation r{std::sin(angles.x), std::cos(angles.x), std::sin(angles.y),
                   std::cos(angles.y), std::sin(angles.z), std::cos(angles.z)};
  check([&] { rotate_brush(b, &centre, &angles); },
        [&](vertex_t p) {
          const vertex_t t = rotate_offset(r, p.x - centre.x, p.y - centre.y, p.z - centre.z);
          return vertex_t{t.x + centre.x, t.y + centre.y, t.z + centre.z};
        });
  reset_edit_steps();
  EXPECT_EQ(texture_lock, 0);
}
