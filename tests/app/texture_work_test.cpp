// Texturing a map in the real window: the texture panel chooses, new boxes
// and Apply take the choice, Ctrl+clicks pick faces for the face inspector,
// and the lock keeps a moved brush's texture on it; each edit undoes alone.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <cmath>

#include "app/commands.h"
#include "app/face_panel.h"
#include "app/plan_window.h"
#include "app/texture_panel.h"
#include "app_fixture.h"
#include "edit/box_brush.h"
#include "model/camera.h"
#include "model/map_history.h"
#include "model/map_state.h"
#include "model/texture_axes.h"
#include "model/view_options.h"
#include "model_fixture.h"
#include "texture_bytes.h"

namespace tb = texture_bytes;

namespace {

constexpr int PALETTE_SEED = 5;

// BOX_MAP with the test WAD named and a light standing beside the box.
std::string textured_map() {
  return box_map_with_wad("gfx/test.wad") + "{\n\"classname\" \"light\"\n\"origin\" \"150 0 0\"\n}\n";
}

class TextureWork : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    const std::string game = temp_dir() + "/game";
    tb::write_file(game + "/id1/gfx/palette.lmp", tb::palette_bytes(PALETTE_SEED));
    tb::built wad = tb::wad('2', {{"ground1", WAD2_TEXTURE, tb::miptex("ground1", 16, 16, false)},
                                  {"BRICK", WAD2_TEXTURE, tb::miptex("BRICK", 32, 8, false, 9)},
                                  {"BROKEN", WAD2_TEXTURE, tb::miptex("BROKEN", 16, 16, false)}});
    tb::set32(wad.bytes, wad.lumps[2].first + 16, 0);  // BROKEN has no width
    tb::write_file(game + "/id1/gfx/test.wad", wad.bytes);
    fake.file_answers.push_back(game);
    trigger(CM_GAMEFOLDER);
    const std::string path = temp_dir() + "/box.map";
    write_file(path, textured_map());
    open_map(path);
    ASSERT_NE(win->candraw, 0);
    win->timer().stop();
    box = hull->brush;
  }

  TTexturePanel* panel() const { return frame->texture_panel(); }
  TFaceInspector* inspector() const { return frame->face_inspector(); }

  QListWidgetItem* tile(const char* name) const {
    for (int i = 0; i < panel()->list()->count(); ++i) {
      QListWidgetItem* item = panel()->list()->item(i);
      if (item->data(Qt::UserRole).toString() == QLatin1String(name)) return item;
    }
    return nullptr;
  }

  // A click of the mouse on the 3D view's picture.
  void click_3d(QPoint p, Qt::KeyboardModifiers mods) {
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      QMouseEvent e(type, QPointF(p), win->picture()->mapToGlobal(QPointF(p)), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::MouseButtons(Qt::LeftButton) : Qt::MouseButtons(),
                    mods);
      QCoreApplication::sendEvent(win->picture(), &e);
    }
  }

  std::string field(TFaceInspector::field f) const { return inspector()->edit(f)->text().toStdString(); }

  brush_t* box = nullptr;
};

// The texel coordinates of each corner of a face.
std::vector<std::pair<double, double>> texels_at_corners(const surf* f) {
  std::vector<std::pair<double, double>> out;
  for (int i = 0; i < f->numpoints; ++i) {
    double s = 0, t = 0;
    texture_coords(f, f->point[i], s, t);
    out.emplace_back(s, t);
  }
  return out;
}

}  // namespace

TEST_F(TextureWork, ChooseDrawApplyPickShiftAndLockEachOneUndoStep) {
  // The panel: the WAD's textures, the one in use marked, the damaged one grey
  // with its reason; the marker's TECH01_1 counts for nothing.
  EXPECT_EQ(frame->texture_note()->text(), "texture: TECH01_1 (none chosen)");
  trigger(CM_VIEWTEXTURES);
  ASSERT_TRUE(panel()->isVisible());
  ASSERT_EQ(panel()->list()->count(), 3);
  EXPECT_TRUE(tile("ground1")->font().bold());
  EXPECT_FALSE(tile("BRICK")->font().bold());
  QListWidgetItem* broken = tile("BROKEN");
  EXPECT_NE(broken->toolTip().indexOf("out of range"), -1) << broken->toolTip().toStdString();
  EXPECT_FALSE(broken->flags() & Qt::ItemIsSelectable);

  // A click makes BRICK current, and the status line says so; the grey tile
  // cannot be chosen.
  QListWidget* list = panel()->list();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(broken).center());
  EXPECT_EQ(current_texture, "");
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(tile("BRICK")).center());
  EXPECT_EQ(current_texture, "BRICK");
  EXPECT_EQ(frame->texture_note()->text(), "texture: BRICK");

  // A box drawn in the top view is of BRICK; undone, it goes.
  TPlanWindow* top = open(CM_VIEWTOP);
  drag(top, at(top, {-300, 200, 0}), at(top, {-200, 120, 0}));
  ASSERT_NE(hibr, nullptr);
  ASSERT_NE(hibr, box);
  for (const surf* s = hibr->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "BRICK");
  EXPECT_EQ(count_brushes(hull), 2);
  EXPECT_TRUE(history_undo());
  EXPECT_EQ(count_brushes(hull), 1);
  box = hull->brush;

  // Apply puts it on the selected box; undone, GROUND1 is back.
  click(top, at(top, {0, 0, 0}));
  ASSERT_EQ(selected_brushes(), std::vector<brush_t*>{box});
  trigger(CM_APPLYTEXTURE);
  for (const surf* s = box->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "BRICK");
  panel()->refresh();
  EXPECT_TRUE(tile("BRICK")->font().bold());
  EXPECT_FALSE(tile("ground1")->font().bold());
  EXPECT_TRUE(history_undo());
  box = hull->brush;
  for (const surf* s = box->fsurf; s != nullptr; s = s->next) EXPECT_EQ(s->texname, "GROUND1");

  // Ctrl+click in 3D picks the face under the mouse; the inspector shows it.
  trigger(CM_VIEWFACEINSPECTOR);
  origin = {0, 300, 0};  // the box's +y side ahead
  ticks(1);
  const QPoint middle(400, 300);
  click_3d(middle, Qt::ControlModifier);
  ASSERT_EQ(selected_faces.size(), 1u);
  surf* face = selected_faces[0];
  EXPECT_EQ(face->brush, box);
  EXPECT_TRUE(selection_empty());
  EXPECT_EQ(field(TFaceInspector::TEXTURE), "GROUND1");
  EXPECT_EQ(field(TFaceInspector::S_OFFSET), "0");
  EXPECT_FALSE(inspector()->axes()->isVisibleTo(inspector()));  // a standard face has none

  // Shifted one texel, then justified left: each one step, undone alone.
  trigger(CM_SHIFTSMORE);
  EXPECT_FLOAT_EQ(face->sofs, 1);
  EXPECT_EQ(field(TFaceInspector::S_OFFSET), "1");
  trigger(CM_JUSTIFYLEFT);
  double least = 1e9;
  for (const auto& [s, t] : texels_at_corners(face)) least = std::min(least, s);
  EXPECT_NEAR(least, 0, 0.01);
  EXPECT_TRUE(history_undo());
  EXPECT_TRUE(history_undo());
  face = nullptr;  // the records were made anew
  for (const surf* s = hull->brush->fsurf; s != nullptr; s = s->next) EXPECT_FLOAT_EQ(s->sofs, 0);
  EXPECT_TRUE(selected_faces.empty());

  // Ctrl+Shift+click adds a face and takes it out again.
  ticks(1);
  click_3d(middle, Qt::ControlModifier);
  click_3d(middle, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_TRUE(selected_faces.empty());

  // With the lock on, a nudged box keeps its texture on it; undone, it is back.
  trigger(CM_TEXTURELOCK);
  box = hull->brush;
  click(top, at(top, {0, 0, 0}));
  const std::vector<std::pair<double, double>> before = texels_at_corners(box->fsurf);
  QTest::keyClick(top->canvas(), Qt::Key_Right);
  const std::vector<std::pair<double, double>> after = texels_at_corners(box->fsurf);
  EXPECT_NE(box->fsurf->point[0].x, -64);
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_NEAR(before[i].first, after[i].first, 0.01);
    EXPECT_NEAR(before[i].second, after[i].second, 0.01);
  }
  EXPECT_TRUE(history_undo());
  EXPECT_EQ(hull->brush->fsurf->point[0].x, -64);
}

TEST_F(TextureWork, AFieldTheFacesDisagreeOnIsBlankUntilTypedAndThenOneStep) {
  trigger(CM_VIEWFACEINSPECTOR);
  EXPECT_FALSE(inspector()->widget()->isEnabled());  // nothing to work on
  surf* first = box->fsurf;
  surf* second = first->next;
  second->sofs = 8;
  history_record();  // as an edit before would have
  first = hull->brush->fsurf;
  second = first->next;
  pick_face(first, false);
  pick_face(second, true);
  frame->refresh_commands();
  EXPECT_EQ(field(TFaceInspector::S_OFFSET), "");
  EXPECT_EQ(field(TFaceInspector::T_OFFSET), "0");
  EXPECT_EQ(field(TFaceInspector::TEXTURE), "GROUND1");

  QLineEdit* offset = inspector()->edit(TFaceInspector::S_OFFSET);
  offset->setFocus();
  QTest::keyClicks(offset, "4.5");
  frame->refresh_commands();  // a field being typed in is left alone
  EXPECT_EQ(offset->text(), "4.5");
  QTest::keyClick(offset, Qt::Key_Return);
  EXPECT_FLOAT_EQ(first->sofs, 4.5f);
  EXPECT_FLOAT_EQ(second->sofs, 4.5f);
  EXPECT_EQ(offset->text(), "4.5");

  // Not a number, or a name the file could not hold: nothing changes.
  offset->setText("east");
  offset->setModified(true);
  inspector()->take_field(TFaceInspector::S_OFFSET);
  EXPECT_FLOAT_EQ(first->sofs, 4.5f);
  EXPECT_EQ(offset->text(), "4.5");
  inspector()->edit(TFaceInspector::TEXTURE)->setText("two words");
  inspector()->take_field(TFaceInspector::TEXTURE);
  EXPECT_EQ(first->texname, "GROUND1");

  // Valve 220 faces show their axes while they share them.
  for (surf* s : {first, second}) {
    s->hasaxes = 1;
    s->texaxis[0][0] = 1;
    s->texaxis[1][2] = -1;
  }
  ASSERT_TRUE(history_record());  // as the edit that gave them axes would
  frame->refresh_commands();
  EXPECT_TRUE(inspector()->axes()->isVisibleTo(inspector()));
  EXPECT_EQ(inspector()->axes()->text().toStdString(), "u (1 0 0)  v (0 0 -1)");
  EXPECT_TRUE(history_undo());
  first = hull->brush->fsurf;
  second = first->next;
  pick_face(first, false);
  pick_face(second, true);

  // Fit twice across: the scale that puts the texture twice over the face.
  inspector()->fit_across()->setValue(2);
  trigger(CM_FITTEXTURE);
  EXPECT_FLOAT_EQ(first->scale[0], 128.0f / (16 * 2));

  EXPECT_TRUE(history_undo());
  EXPECT_TRUE(history_undo());
  EXPECT_FLOAT_EQ(hull->brush->fsurf->next->sofs, 8);
  EXPECT_FLOAT_EQ(hull->brush->fsurf->sofs, 0);
}

TEST_F(TextureWork, CtrlClickPicksTheFaceInSightNotTheOneDrawnLast) {
  // A block between the camera and the box, ahead of it in the list, so that
  // the box's face is drawn after it.
  const vertex_t lo{-16, 150, -16}, hi{16, 200, 16};
  brush_t* block = new_world_box(&lo, &hi);
  ASSERT_EQ(hull->brush, block);
  win->end_of_step();
  origin = {0, 300, 0};
  ticks(1);
  click_3d(QPoint(400, 300), Qt::ControlModifier);
  ASSERT_EQ(selected_faces.size(), 1u);
  EXPECT_EQ(selected_faces[0]->brush, block);
  EXPECT_FLOAT_EQ(selected_faces[0]->point[0].y, 200);
  // Beside the block the box is in sight; a click on the sky picks nothing.
  click_3d(QPoint(400 + 95, 300), Qt::ControlModifier | Qt::ShiftModifier);
  ASSERT_EQ(selected_faces.size(), 2u);
  EXPECT_EQ(selected_faces[1]->brush, box);
  click_3d(QPoint(5, 590), Qt::ControlModifier);
  EXPECT_TRUE(selected_faces.empty());
}

TEST_F(TextureWork, AMarkersBoxRaisesNoTextureWarningAndIsDrawnInItsColour) {
  fake.boxes.clear();
  origin = {150, 300, 0};  // the box and the light's marker ahead
  trigger(CM_SOLIDTOGGLE);
  QTest::keyClick(win, Qt::Key_X);
  ASSERT_EQ(options.drawtextures, 1);
  ticks(3);
  EXPECT_TRUE(fake.boxes.empty()) << fake.boxes[0].text;
}
