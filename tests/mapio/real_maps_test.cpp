// Open and save round trips over the original maps.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/number_text.h"
#include "built_map.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model_fixture.h"

namespace {

struct plane {
  double n[3];
  double d;
};

// Plane through three points, normal not normalised away from its direction.
bool plane_through(const double p[3][3], plane& out) {
  const double a[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
  const double b[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
  const double n[3] = {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
  const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
  if (len == 0) return false;
  for (int i = 0; i < 3; ++i) out.n[i] = n[i] / len;
  out.d = out.n[0] * p[0][0] + out.n[1] * p[0][1] + out.n[2] * p[0][2];
  return true;
}

// True when the points lie within 0.01 of the plane and face its way.
bool on_plane(const plane& pl, const double p[3][3]) {
  plane own;
  if (!plane_through(p, own)) return false;
  if (own.n[0] * pl.n[0] + own.n[1] * pl.n[1] + own.n[2] * pl.n[2] <= 0) return false;
  for (int i = 0; i < 3; ++i) {
    const double dist = pl.n[0] * p[i][0] + pl.n[1] * p[i][1] + pl.n[2] * p[i][2] - pl.d;
    if (std::fabs(dist) > WRITTEN_PLANE_TOLERANCE) return false;
  }
  return true;
}

void file_points(const surf* s, double p[3][3]) {
  for (int i = 0; i < 3; ++i) {
    p[i][0] = s->filepoint[i].x;
    p[i][1] = s->filepoint[i].y;
    p[i][2] = s->filepoint[i].z;
  }
}

std::string pairs_of(const keyval* list) {
  std::string out;
  for (; list != nullptr; list = list->next) out += std::string(list->key) + "\x1f" + list->value + "\x1e";
  return out;
}

// What a map is made of, from the model just read.
struct face_record {
  plane pl;
  std::string texture;
  float values[5];
};
struct map_record {
  std::vector<std::string> entity_pairs;  // brush entities with brushes, then point entities
  std::vector<std::vector<int>> brushes;  // faces per brush, per brush entity
  std::vector<face_record> faces;
  std::vector<vertex_t> origins;
};

map_record record() {
  map_record m;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    if (h->brush == nullptr) continue;
    m.entity_pairs.push_back(pairs_of(h->header));
    m.brushes.emplace_back();
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      m.brushes.back().push_back(count_faces(b));
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
        face_record f{{}, s->texname, {s->sofs, s->tofs, s->flips, s->scale[0], s->scale[1]}};
        double p[3][3];
        file_points(s, p);
        EXPECT_TRUE(plane_through(p, f.pl));
        m.faces.push_back(f);
      }
    }
  }
  for (int i = 0; i < numentity; ++i) {
    m.entity_pairs.push_back(pairs_of(entities[i].header));
    m.origins.push_back(entities[i].origin);
  }
  return m;
}

class RealMaps : public ModelTest, public ::testing::WithParamInterface<const char*> {};

}  // namespace

TEST_P(RealMaps, ReadWriteReadKeepsEverythingAndEveryPlane) {
  const std::string path = any_map_path(GetParam());
  SKIP_WITHOUT(path);
  const load_report first = read_map(path);
  ASSERT_TRUE(first.ok()) << first.error;
  EXPECT_TRUE(first.complete);
  EXPECT_TRUE(first.problems.empty());
  EXPECT_EQ(first.malformed_numbers, 0);
  EXPECT_MODEL_OK();
  const map_record before = record();

  // Every written face lies on the plane it was read with.
  int face = 0;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      for (const surf* s = b->fsurf; s != nullptr; s = s->next, ++face) {
        double p[3][3];
        face_points_to_write(s, p);
        EXPECT_TRUE(on_plane(before.faces[face].pl, p)) << "face " << face;
      }
    }
  }

  const std::string text = map_text();
  EXPECT_EQ(map_text(), text);

  const load_report second = read_map_text(text);
  EXPECT_TRUE(second.complete);
  EXPECT_TRUE(second.problems.empty());
  const map_record after = record();
  EXPECT_EQ(after.entity_pairs, before.entity_pairs);
  EXPECT_EQ(after.brushes, before.brushes);
  ASSERT_EQ(after.faces.size(), before.faces.size());
  for (std::size_t i = 0; i < after.faces.size(); ++i) {
    const face_record &a = before.faces[i], &b = after.faces[i];
    EXPECT_EQ(b.texture, a.texture);
    for (int v = 0; v < 5; ++v) EXPECT_EQ(b.values[v], a.values[v]) << "face " << i;
    EXPECT_GT(a.pl.n[0] * b.pl.n[0] + a.pl.n[1] * b.pl.n[1] + a.pl.n[2] * b.pl.n[2], 0.9999) << "face " << i;
  }
  ASSERT_EQ(after.origins.size(), before.origins.size());
  for (std::size_t i = 0; i < after.origins.size(); ++i) {
    EXPECT_EQ(after.origins[i].x, number_from_text(format_0lf(before.origins[i].x)));
    EXPECT_EQ(after.origins[i].y, number_from_text(format_0lf(before.origins[i].y)));
    EXPECT_EQ(after.origins[i].z, number_from_text(format_0lf(before.origins[i].z)));
  }

  // Written again, the text is the same.
  EXPECT_EQ(map_text(), text);
}

INSTANTIATE_TEST_SUITE_P(Maps, RealMaps, ::testing::ValuesIn(EVERY_MAP_NAME), map_case_name);

// The faces the plain rounding of the first corners would lose: in e2m2 four
// come out on one line. They must still be written on their plane.
TEST_F(ModelTest, RoundedCornersOnOneLineAreNotWritten) {
  SKIP_WITHOUT(map_path("e2m2.map"));
  ASSERT_TRUE(read_map(map_path("e2m2.map")).complete);
  int on_one_line = 0;
  for (const hull_t* h = hull; h != nullptr; h = h->next) {
    for (const brush_t* b = h->brush; b != nullptr; b = b->next) {
      for (const surf* s = b->fsurf; s != nullptr; s = s->next) {
        double r[3][3];
        for (int i = 0; i < 3; ++i) {
          r[i][0] = std::floor(s->point[i].x + 0.5);
          r[i][1] = std::floor(s->point[i].y + 0.5);
          r[i][2] = std::floor(s->point[i].z + 0.5);
        }
        plane unused;
        if (plane_through(r, unused)) continue;
        ++on_one_line;
        double p[3][3], f[3][3];
        face_points_to_write(s, p);
        file_points(s, f);
        plane read;
        ASSERT_TRUE(plane_through(f, read));
        EXPECT_TRUE(on_plane(read, p));
      }
    }
  }
  EXPECT_EQ(on_one_line, 4);
}
