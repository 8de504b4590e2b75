#include "model/map_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "built_map.h"
#include "mapio/map_reader.h"
#include "mapio/map_writer.h"
#include "model/face_fields.h"
#include "model/vector_math.h"
#include "model_fixture.h"

namespace {

class History : public ModelTest {
 protected:
  void load() {
    ASSERT_TRUE(read_map(built_map_path()).ok());
    history_reset();
  }
  // Moves a brush up by dz, its planes with it, as every edit moves them.
  static void nudge(brush_t* b, float dz) {
    for (surf* s = b->fsurf; s != nullptr; s = s->next) {
      for (int i = 0; i < s->numpoints; ++i) s->point[i].z += dz;
      for (vertex_t& p : s->filepoint) p.z += dz;
    }
  }
};

}  // namespace

TEST_F(History, UndoAndRedoGiveBackTheSavedBytes) {
  load();
  const std::string before = map_text();
  EXPECT_FALSE(history_record());  // nothing changed yet
  EXPECT_FALSE(history_can_undo());

  nudge(hull->brush->next, 16);
  set_value(hull->header, "changed");
  ASSERT_TRUE(history_record());
  const std::string after = map_text();
  ASSERT_NE(before, after);

  hilight = hull->brush->fsurf;
  hibr = hull->brush;
  insert_brush_in_list(hull->brush);
  ASSERT_TRUE(history_undo());
  EXPECT_EQ(map_text(), before);
  EXPECT_EQ(hilight, nullptr);
  EXPECT_EQ(hibr, nullptr);
  EXPECT_TRUE(selection_empty());
  EXPECT_MODEL_OK();
  EXPECT_FALSE(history_undo() && history_undo());  // only one step to undo

  ASSERT_TRUE(history_redo());
  EXPECT_EQ(map_text(), after);
  EXPECT_FALSE(history_can_redo());
}

TEST_F(History, ANewChangeAfterUndoDropsTheRedoSteps) {
  load();
  nudge(hull->brush, 8);
  history_record();
  nudge(hull->brush, 8);
  history_record();
  const std::string two = map_text();
  history_undo();
  history_undo();
  EXPECT_FALSE(history_can_undo());
  nudge(hull->brush->next, -8);
  ASSERT_TRUE(history_record());
  EXPECT_FALSE(history_can_redo());
  history_undo();
  EXPECT_FALSE(history_can_undo());
  EXPECT_NE(map_text(), two);
}

TEST_F(History, RestoredRecordsAreWholeAndEditableAgain) {
  load();
  // Point entities, deleted ones included, and marker brushes come back as they were.
  entities[3].valid = 0;
  entities[3].brush->valid = 0;
  entities[5].origin.x += 64;
  ASSERT_TRUE(history_record());
  const std::string after = map_text();
  history_undo();
  EXPECT_EQ(entities[3].valid, 1);
  ASSERT_TRUE(history_redo());
  EXPECT_EQ(map_text(), after);
  EXPECT_EQ(entities[3].brush->valid, 0);
  EXPECT_EQ(entities[3].brush->entity, 3);
  EXPECT_MODEL_OK();
  // The restored faces carry their planes for the next edit.
  const surf* s = hull->brush->fsurf;
  EXPECT_NEAR(VectorLength(&s->norm), 1.0, 1e-5);
  nudge(hull->brush, 4);
  EXPECT_TRUE(history_record());
}

TEST_F(History, AFaceThatBoundsNothingKeepsItsPlane) {
  // The seventh face lies beyond the top and is left with no polygon; only its
  // first three points still say where its plane is.
  ASSERT_TRUE(read_map_text(R"({
"classname" "worldspawn"
{
( -32 -32 -32 ) ( 32 -32 -32 ) ( 32 32 -32 ) A 0 0 0 1 1
( -32 -32 32 ) ( 32 -32 32 ) ( 32 -32 -32 ) A 0 0 0 1 1
( -32 32 32 ) ( -32 -32 32 ) ( -32 -32 -32 ) A 0 0 0 1 1
( 32 32 32 ) ( -32 32 32 ) ( -32 32 -32 ) A 0 0 0 1 1
( 32 32 32 ) ( 32 32 -32 ) ( 32 -32 -32 ) A 0 0 0 1 1
( 32 32 32 ) ( 32 -32 32 ) ( -32 -32 32 ) A 0 0 0 1 1
( 32 32 64 ) ( 32 -32 64 ) ( -32 -32 64 ) B 0 0 0 1 1
}
}
)")
                  .ok());
  history_reset();
  const std::string before = map_text();
  ASSERT_NE(before.find(" 64 ) B "), std::string::npos);
  set_value(hull->header, "changed");
  ASSERT_TRUE(history_record());
  ASSERT_TRUE(history_undo());
  EXPECT_EQ(map_text(), before);
}

TEST_F(History, AStepSharesWhatDidNotChange) {
  load();
  const std::size_t base = history_bytes();
  nudge(hull->brush, 8);
  ASSERT_TRUE(history_record());
  const std::size_t step = history_bytes() - base;
  EXPECT_LT(step * 20, base) << "one changed brush cost " << step << " bytes against " << base;
}

TEST_F(History, OnlyTheLastStepsAreKept) {
  load();
  for (std::size_t i = 0; i < HISTORY_STEPS + 5; ++i) {
    nudge(hull->brush, 1);
    ASSERT_TRUE(history_record());
  }
  std::size_t undone = 0;
  while (history_undo()) ++undone;
  EXPECT_EQ(undone, HISTORY_STEPS);
}

// Every field a face carries comes back from an undo as it was, whatever it
// holds: long and short names, extra numbers, axes, any count of points.
TEST_F(History, UndoGivesBackEveryFieldOfEveryFace) {
  hull_t* world = make_world();
  auto* b = new brush_t;
  b->hull = world;
  b->valid = 1;
  world->brush = b;
  std::mt19937 random(7);
  const auto any = [&random] { return std::uniform_real_distribution<float>(-5000, 5000)(random); };
  for (int n = 0; n < 40; ++n) {
    surf* s = add_face(b, {any(), any(), any()}, {any(), any(), any()}, {any(), any(), any()});
    s->numpoints = static_cast<signed char>(random() % (MAX_POINTS + 1));
    for (int i = 0; i < s->numpoints; ++i) s->point[i] = {any(), any(), any()};
    s->texname = std::string(random() % 40, static_cast<char>('a' + random() % 26));
    s->extra = random() % 2 == 0 ? "" : std::to_string(random()) + " 0 " + std::to_string(random());
    s->scale[0] = any();
    s->scale[1] = any();
    s->sofs = any();
    s->tofs = any();
    s->flips = any();
    s->solid = static_cast<int>(random() % 2);
    s->clr = static_cast<colour_t>(random());
    s->hasfilepoints = static_cast<int>(random() % 2);
    s->read = static_cast<std::uint32_t>(random());
    s->hasaxes = static_cast<int>(random() % 2);
    for (auto& axis : s->texaxis) {
      for (float& c : axis) c = any();
    }
  }
  history_reset();
  std::vector<surf> before;
  for (const surf* s = b->fsurf; s != nullptr; s = s->next) before.push_back(*s);
  set_value(world->header, "changed");
  ASSERT_TRUE(history_record());
  ASSERT_TRUE(history_undo());
  std::size_t i = 0;
  for (const surf* s = hull->brush->fsurf; s != nullptr; s = s->next, ++i) {
    ASSERT_LT(i, before.size());
    const surf& was = before[i];
    EXPECT_TRUE(same_face_fields(*s, was)) << "face " << i;
    EXPECT_EQ(s->numpoints, was.numpoints);
    EXPECT_EQ(s->clr, was.clr);
    const int kept = std::max<int>(was.numpoints, 3);
    EXPECT_TRUE(std::equal(was.point.data(), was.point.data() + kept, s->point.data())) << "face " << i;
  }
  EXPECT_EQ(i, before.size());
}
