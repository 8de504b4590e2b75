// Texture work on faces: which faces are picked and which ones Apply and the
// inspector's steps reach, the texture new brushes take, and what counts as
// a texture in use.
#include <gtest/gtest.h>

#include <cmath>

#include "edit/box_brush.h"
#include "edit/brush_creator.h"
#include "edit/brush_cut.h"
#include "edit/clip_brushes.h"
#include "edit/replace_texture.h"
#include "edit/texture_align.h"
#include "edit/transforms.h"
#include "model/map_history.h"
#include "model/texture_axes.h"
#include "model_fixture.h"

namespace {

class FaceTextures : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    reset_edit_steps();
    make_world();
    const vertex_t lo{0, 0, 0}, hi{64, 64, 64}, lo2{128, 0, 0}, hi2{192, 64, 64};
    a = new_world_box(&lo, &hi);
    b = new_world_box(&lo2, &hi2);
    // A point entity and its marker box.
    entities[0].origin = {300, 0, 0};
    entities[0].valid = 1;
    entities[0].brush = new_brush(&entities[0].origin, MARKER_SIZE, MARKER_SIZE, MARKER_SIZE, 1);
    entities[0].brush->entity = 0;
    numentity = 1;
    history_reset();
  }
  void TearDown() override {
    reset_edit_steps();
    ModelTest::TearDown();
  }
  static surf* face(brush_t* br, int n) {
    surf* s = br->fsurf;
    while (n-- > 0) s = s->next;
    return s;
  }
  brush_t* marker() const { return entities[0].brush; }

  brush_t* a = nullptr;
  brush_t* b = nullptr;
};

}  // namespace

TEST_F(FaceTextures, PickingFacesReplacesAddsRemovesAndLetsTheBrushSelectionGo) {
  insert_brush_in_list(a);
  pick_face(face(a, 0), false);
  EXPECT_TRUE(selection_empty());
  EXPECT_EQ(selected_faces, std::vector<surf*>{face(a, 0)});
  pick_face(face(b, 2), false);  // a plain pick starts again
  EXPECT_EQ(selected_faces, std::vector<surf*>{face(b, 2)});
  pick_face(face(a, 1), true);
  pick_face(face(a, 1), true);  // the same face again goes out
  pick_face(face(a, 3), true);
  EXPECT_EQ(selected_faces, (std::vector<surf*>{face(b, 2), face(a, 3)}));
  // A marker's face is never picked, and toggling keeps the rest.
  pick_face(face(marker(), 0), true);
  EXPECT_EQ(selected_faces.size(), 2u);
  pick_face(nullptr, true);
  EXPECT_EQ(selected_faces.size(), 2u);
  pick_face(face(marker(), 0), false);  // a plain click on a marker or on nothing empties it
  EXPECT_TRUE(selected_faces.empty());

  pick_face(face(a, 0), false);
  insert_brush_in_list(b);  // selecting brushes lets the faces go
  EXPECT_TRUE(selected_faces.empty());
}

TEST_F(FaceTextures, AFaceLeavesTheSelectionWhenItsRecordsGo) {
  pick_face(face(a, 0), false);
  pick_face(face(b, 0), true);
  pick_face(face(b, 1), true);
  delete_brush(b);
  EXPECT_EQ(selected_faces, std::vector<surf*>{face(a, 0)});
  // Cut in two: its old faces are released, the pieces' are new.
  const vertex_t p0{32, 0, 0}, p1{32, 0, 64}, p2{32, 64, 0};
  clip_brushes({a}, p0, p1, p2, clip_keep::both);
  EXPECT_TRUE(selected_faces.empty());

  pick_face(hull->brush->fsurf, false);
  ASSERT_TRUE(history_record());
  pick_face(hull->brush->fsurf, false);
  ASSERT_TRUE(history_undo());  // the records are made anew
  EXPECT_TRUE(selected_faces.empty());
  pick_face(hull->brush->fsurf, false);
  release_map();
  EXPECT_TRUE(selected_faces.empty());
}

TEST_F(FaceTextures, ApplyGoesToTheSelectedFacesElseToTheSelectedBrushesButNeverMarkers) {
  EXPECT_TRUE(texture_targets().empty());
  EXPECT_EQ(apply_texture("BRICK"), 0);

  insert_brush_in_list(a);
  insert_brush_in_list(marker());
  EXPECT_EQ(apply_texture("BRICK"), 6);
  EXPECT_EQ(apply_texture("BRICK"), 0);  // nothing new
  for (surf* s = a->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "BRICK");
  EXPECT_EQ(marker()->fsurf->texname, DEFAULT_TEXTURE);
  EXPECT_EQ(b->fsurf->texname, DEFAULT_TEXTURE);

  pick_face(face(b, 4), false);
  EXPECT_EQ(apply_texture("sky1"), 1);
  for (surf* s = b->fsurf; s != nullptr; s = s->next)
    EXPECT_EQ(s->texname, s == face(b, 4) ? "sky1" : "TECH01_1");
  EXPECT_EQ(face(a, 0)->texname, "BRICK");
}

TEST_F(FaceTextures, TexturesInUseLeaveMarkersOutAndFacesAreFoundInAnyCase) {
  face(a, 0)->texname = "Brick";
  face(b, 5)->texname = "BRICK";
  face(b, 4)->texname = "brick";
  for (surf* s = b->fsurf; s != nullptr; s = s->next) {
    if (s->texname == DEFAULT_TEXTURE) s->texname = "METAL";
  }
  for (surf* s = a->fsurf->next; s != nullptr; s = s->next) s->texname = "METAL";
  // The marker still says TECH01_1, which no brush uses.
  EXPECT_EQ(textures_in_use(), (std::set<std::string>{"brick", "metal"}));

  insert_brush_in_list(a);
  EXPECT_EQ(select_faces_using("BRICK"), 3);
  EXPECT_TRUE(selection_empty());
  b->hidden = 1;  // out of sight, out of the pick
  EXPECT_EQ(select_faces_using("brick"), 1);
  EXPECT_EQ(select_faces_using(DEFAULT_TEXTURE), 0);
}

TEST_F(FaceTextures, NewBrushesTakeTheCurrentTextureAndMarkersNever) {
  const vertex_t o{0, 0, 200};
  brush_t* before = new_brush(&o, 32, 32, 32, 0);
  EXPECT_EQ(before->fsurf->texname, DEFAULT_TEXTURE);
  current_texture = "CRATE";
  const vertex_t lo{0, 0, 300}, hi{16, 16, 316};
  for (brush_t* made : {new_brush(&o, 32, 32, 32, 0), new_world_box(&lo, &hi)}) {
    for (surf* s = made->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "CRATE");
  }
  EXPECT_EQ(a->fsurf->texname, DEFAULT_TEXTURE);  // brushes made before keep theirs
  brush_t* box = new_brush(&o, 32, 32, 32, 1);    // a marker's box
  EXPECT_EQ(box->fsurf->texname, DEFAULT_TEXTURE);
  free_brush(box);

  // The brush creator's room: every wall and the inside.
  ASSERT_EQ(brush_creator_build(1, 256, 256, 128, 16, 1, 0), creator_outcome::built);
  for (int i = 0; i < 2; ++i) {
    brush_t* made = hull->brush;
    for (int k = 0; k < i; ++k) made = made->next;
    for (surf* s = made->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "CRATE");
  }
}

TEST_F(FaceTextures, TheClipToolsCapsTakeTheCurrentTextureAndTheSplitKeysItsOwnRule) {
  for (surf* s = a->fsurf; s != nullptr; s = s->next) s->texname = "WALL";
  for (surf* s = b->fsurf; s != nullptr; s = s->next) s->texname = "WALL";
  const auto caps = [](const std::vector<brush_t*>& pieces) {
    std::vector<std::string> names;
    for (brush_t* p : pieces) {
      for (surf* s = p->fsurf; s != nullptr; s = s->next) {
        if (s->texname != "WALL") names.push_back(s->texname);
      }
    }
    return names;
  };
  // No texture chosen: the caps take the cut brush's, as the split does.
  const vertex_t p0{32, 0, 0}, p1{32, 0, 64}, p2{32, 64, 0};
  EXPECT_TRUE(caps(clip_brushes({a}, p0, p1, p2, clip_keep::both)).empty());
  current_texture = "CAP";
  const vertex_t q0{160, 0, 0}, q1{160, 0, 64}, q2{160, 64, 0};
  const std::vector<brush_t*> pieces = clip_brushes({b}, q0, q1, q2, clip_keep::both);
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(caps(pieces), (std::vector<std::string>{"CAP", "CAP"}));
  // A plane that misses the piece makes no cap: it keeps only the one it had.
  const vertex_t r0{1000, 0, 0}, r1{1000, 0, 64}, r2{1000, 64, 0};
  EXPECT_EQ(caps(clip_brushes({pieces[0]}, r0, r1, r2, clip_keep::both)), std::vector<std::string>{"CAP"});
}

TEST_F(FaceTextures, StepsOfTheInspectorInBothDialects) {
  surf* standard = face(a, 1);
  surf* valve = face(b, 1);
  float axes[2][3];
  standard_axes(valve, axes);
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) valve->texaxis[i][k] = axes[i][k];
  }
  valve->hasaxes = 1;
  for (surf* s : {standard, valve}) {
    s->scale[0] = 2;
    s->scale[1] = 0;  // counts as 1
    // A grid step is map units: 16 units are 8 texels at scale 2.
    shift_texture_by_units(s, 16, -16);
    EXPECT_FLOAT_EQ(s->sofs, 8);
    EXPECT_FLOAT_EQ(s->tofs, -16);
    shift_texture(s, 1, 1);
    EXPECT_FLOAT_EQ(s->tofs, -15);
    scale_texture(s, 1, 0.5);
    EXPECT_FLOAT_EQ(s->scale[1], 0.5f);
    scale_texture(s, 0, 2);
    EXPECT_FLOAT_EQ(s->scale[0], 4);
  }
  // Setting a rotation: a Valve face turns its axes by the difference only.
  set_rotation(valve, 30);
  set_rotation(valve, 90);
  EXPECT_FLOAT_EQ(valve->flips, 90);
  surf turned_once = *valve;
  turned_once.flips = 0;
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) turned_once.texaxis[i][k] = axes[i][k];
  }
  turn_texture(&turned_once, 90);
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(valve->texaxis[i][k], turned_once.texaxis[i][k], 1e-5);
  }
  set_rotation(standard, 45);
  EXPECT_FLOAT_EQ(standard->flips, 45);
}
