#include "model/face_points.h"

#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <random>
#include <utility>

namespace {

// What a face_points is known to hold: the points written to it, by index.
using known_points = std::array<std::optional<vertex_t>, MAX_POINTS>;

void expect_holds(const face_points& p, const known_points& known, const face_points& other, int step) {
  for (int i = 0; i < MAX_POINTS; ++i) {
    if (!known[i]) continue;
    ASSERT_LT(i, p.capacity()) << "step " << step;
    EXPECT_EQ(p[i], *known[i]) << "point " << i << ", step " << step;
    EXPECT_EQ(&p[i], p.data() + i);
    EXPECT_TRUE(p.holds(&p[i]));
    EXPECT_FALSE(other.holds(&p[i])) << "step " << step;
  }
}

}  // namespace

// Random writes, growing, copies and moves between two point lists, checked
// against what was written: every point written is read back, from the place
// data() gives, whatever moved the points from the record to the heap.
TEST(FacePoints, KeepEveryPointWrittenThroughGrowthCopiesAndMoves) {
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<int> op(0, 6), index(0, MAX_POINTS - 1), small(0, face_points::IN_RECORD - 1);
  std::uniform_real_distribution<float> coordinate(-4096, 4096);
  for (int trial = 0; trial < 200; ++trial) {
    face_points p[2];
    known_points known[2];
    for (int step = 0; step < 40; ++step) {
      const int a = step % 2, b = 1 - a;
      switch (op(rng)) {
        case 0:
        case 1: {  // write a point; mostly those the record holds
          const int i = op(rng) == 0 ? index(rng) : small(rng);
          const vertex_t v{coordinate(rng), coordinate(rng), coordinate(rng)};
          p[a][i] = v;
          known[a][i] = v;
          break;
        }
        case 2: {  // make room, as a whole polygon is stored, and store one
          const int n = index(rng) + 1;
          vertex_t* to = p[a].room(n);
          ASSERT_GE(p[a].capacity(), n);
          for (int i = 0; i < n; ++i) known[a][i] = to[i] = vertex_t{float(trial), float(step), float(i)};
          break;
        }
        case 3:
          p[a] = p[b];
          known[a] = known[b];
          break;
        case 4: {
          const face_points copy(p[b]);
          expect_holds(copy, known[b], p[b], step);
          p[a] = copy;
          known[a] = known[b];
          break;
        }
        case 5: {
          face_points moved(std::move(p[b]));
          expect_holds(moved, known[b], p[a], step);
          p[a] = std::move(moved);
          known[a] = known[b];
          p[b] = face_points();
          known[b] = {};
          break;
        }
        default: {
          const auto& self = p[a];
          p[a] = self;
          break;
        }
      }
      expect_holds(p[a], known[a], p[b], step);
      expect_holds(p[b], known[b], p[a], step);
      if (HasFailure()) return;
    }
  }
}
