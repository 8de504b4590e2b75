// Splitting view-space fragments, the fragment pool and painter's order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "built_map.h"
#include "edit/box_brush.h"
#include "mapio/map_reader.h"
#include "model/camera.h"
#include "model/map_state.h"
#include "model/vector_math.h"
#include "model/view_defaults.h"
#include "model/view_options.h"
#include "render/display_bsp.h"
#include "render/draw_canvas.h"
#include "render/frame_list.h"
#include "render/projection.h"
#include "render/winding_pool.h"
#include "render_fixture.h"

namespace {

class DisplayBspTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    reset_winding_pool();
  }
  void TearDown() override {
    free_winding_pool();
    RenderTest::TearDown();
  }
};

// A wall at depth y facing away from the eye (visible), x and z within +-h.
void wall_at(winding* w, float y, float h) {
  set_winding(w, {{-h, y, -h}, {-h, y, h}, {h, y, h}, {h, y, -h}});
}

int count_list(const winding* w) {
  int n = 0;
  for (; w != nullptr; w = w->next) ++n;
  return n;
}

int count_tree(const winding* w) {
  if (w == nullptr) return 0;
  return 1 + count_tree(w->front) + count_tree(w->back);
}

bool same_point(const vertex_t& a, const vertex_t& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

TEST_F(DisplayBspTest, FacesOfOneBrushNeverSplitEachOther) {
  make_world();
  const vertex_t o{100, -300, -100};  // right of and below the view: three faces show
  new_brush(&o, 64, 64, 64, 0);
  face_windings windings;
  winding* listed = draw_all(windings, 0);
  ASSERT_EQ(numdrawn, 3);
  display_bsp tree;
  tree.build(listed);
  EXPECT_EQ(numtlsurf, 0);
  EXPECT_EQ(count_tree(listed), 3);
}

TEST_F(DisplayBspTest, CrossingFragmentIsCutAndBothPartsKeepTheFace) {
  surf face;
  face.clr = make_rgb(30, 60, 90);
  winding root, floor;
  wall_at(&root, 20, 10);
  // A floor below the eye running from depth 10 to 30, through the wall's plane.
  set_winding(&floor, {{-5, 10, -5}, {-5, 30, -5}, {5, 30, -5}, {5, 10, -5}});
  floor.clr = face.clr;
  floor.original = &face;

  winding* f = nullptr;
  winding* b = nullptr;
  split_surf(&root, &floor, &f, &b);
  ASSERT_EQ(f, &floor);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(numtlsurf, 1);
  for (const winding* part : {f, b}) {
    EXPECT_EQ(part->numworld, 4);
    EXPECT_EQ(part->clr, face.clr);
    EXPECT_EQ(part->original, &face);
    EXPECT_EQ(part->next, nullptr);
  }
  for (int i = 0; i < 4; ++i) {
    EXPECT_LE(f->world[i].y, 20.0f);  // front: the near side
    EXPECT_GE(b->world[i].y, 20.0f);
  }
}

TEST_F(DisplayBspTest, PointNearThePlaneGoesToBothPartsAsItIs) {
  winding root, tri;
  wall_at(&root, 20, 10);
  set_winding(&tri, {{0, 20.05f, -5}, {-5, 30, -5}, {5, 10, -5}});
  const vertex_t near_point = tri.world[0];
  winding* f = nullptr;
  winding* b = nullptr;
  split_surf(&root, &tri, &f, &b);
  ASSERT_NE(f, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(f->numworld, 3);
  EXPECT_EQ(b->numworld, 3);
  EXPECT_TRUE(same_point(f->world[0], near_point));
  EXPECT_TRUE(same_point(b->world[0], near_point));
}

TEST_F(DisplayBspTest, CoplanarFragmentGoesWholeToTheSideDrawnLater) {
  surf face;
  winding list[2];
  for (const float depth : {20.0f, -20.0f}) {  // the wall seen from the front, then from behind
    wall_at(&list[0], depth, 10);
    wall_at(&list[1], depth, 4);
    list[1].original = &face;
    list[0].next = &list[1];
    display_bsp tree;
    tree.build(&list[0]);
    EXPECT_EQ(depth > 0 ? list[0].front : list[0].back, &list[1]);
    EXPECT_EQ(depth > 0 ? list[0].back : list[0].front, nullptr);
    EXPECT_EQ(list[1].numworld, 4);
    EXPECT_EQ(numtlsurf, 0);
  }
}

TEST_F(DisplayBspTest, OneSideOverSixteenPointsComesAsAFanOfPieces) {
  // A sixteen-sided disc in the plane x = 0 whose first corner alone pokes
  // through the wall at depth 20: the near side keeps 15 corners plus two
  // crossings, one more than a fragment holds.
  surf face;
  winding root, disc;
  wall_at(&root, 20, 10);
  winding* list[16];
  for (int k = 0; k < 16; ++k) {
    const double a = 2 * M_PI * k / 16;
    disc.world[k] = {0, static_cast<float>(10.4 + 10 * std::cos(a)), static_cast<float>(10 * std::sin(a))};
    list[k] = nullptr;
  }
  disc.numworld = 16;
  disc.original = &face;
  disc.clr = make_rgb(10, 20, 30);
  root.next = &disc;
  display_bsp tree;
  tree.build(&root);

  winding* first = root.front;
  ASSERT_EQ(first, &disc);
  ASSERT_NE(first->next, nullptr);
  winding* second = first->next;
  EXPECT_EQ(second->next, nullptr);
  EXPECT_EQ(first->numworld, 16);
  EXPECT_EQ(second->numworld, 3);
  EXPECT_TRUE(same_point(second->world[0], first->world[0]));  // pieces share the fan's hub
  EXPECT_TRUE(same_point(second->world[1], first->world[15]));
  EXPECT_EQ(second->original, &face);
  EXPECT_EQ(second->clr, disc.clr);
  ASSERT_NE(root.back, nullptr);
  EXPECT_EQ(root.back->numworld, 3);
  EXPECT_EQ(count_list(root.front), 2);
  // Pool: the second piece and the back part. The second piece lies in the
  // first piece's plane and goes on whole, to its front.
  EXPECT_EQ(numtlsurf, 2);
}

TEST_F(DisplayBspTest, PoolGrowsAsAFrameNeedsAndIsReusedNextFrame) {
  std::vector<winding*> handed;
  for (int i = 0; i < 50 * POOL_BLOCK; ++i) handed.push_back(getnextwinding());
  EXPECT_EQ(numtlsurf, 50 * POOL_BLOCK);
  std::sort(handed.begin(), handed.end());
  EXPECT_EQ(std::adjacent_find(handed.begin(), handed.end()), handed.end());
  windinglist* second_block = windlist->next;
  reset_winding_pool();
  EXPECT_EQ(numtlsurf, 0);
  EXPECT_EQ(getnextwinding(), &windlist->w[0]);
  for (int i = 1; i <= POOL_BLOCK; ++i) getnextwinding();
  EXPECT_EQ(windlist->next, second_block);
}

TEST_F(DisplayBspTest, TreeDrawsFartherFragmentsFirst) {
  // Listed near first: in list order the far wall would cover the near one.
  const colour_t near_colour = make_rgb(140, 0, 0), far_colour = make_rgb(0, 0, 140);
  winding near_wall, far_wall;
  wall_at(&near_wall, 10, 2);
  wall_at(&far_wall, 30, 20);
  near_wall.clr = near_colour;
  far_wall.clr = far_colour;
  near_wall.next = &far_wall;
  options.allsolid = 1;
  TDrawCanvas canvas;
  display_bsp tree;
  tree.build(&near_wall);
  canvas.draw_tree(&near_wall);
  EXPECT_EQ(canvas.winbmp.pixel(400, 300), qRgb(140, 0, 0));
  EXPECT_EQ(canvas.winbmp.pixel(400, 100), qRgb(0, 0, 140));

  // Seen from behind (the eye on its back side) a node is skipped.
  wall_at(&near_wall, -10, 2);
  near_wall.next = nullptr;
  canvas.window.fillRect(canvas.winbmp.rect(), Qt::white);
  tree.build(&near_wall);
  canvas.draw_tree(&near_wall);
  EXPECT_EQ(canvas.winbmp.pixel(400, 300), qRgb(255, 255, 255));
}

// Painter's order spelled out: each node drawn on its own with makepoly.
void draw_in_turn(TDrawCanvas& canvas, winding* node) {
  if (node == nullptr) return;
  const vertex_t& W = node->world[0];
  const vertex_t& N = node->norm;
  if (-W.x * N.x + -W.y * N.y + -W.z * N.z > 0) {
    draw_in_turn(canvas, node->front);
    draw_in_turn(canvas, node->back);
  } else {
    draw_in_turn(canvas, node->back);
    canvas.makepoly(node, 1, options.allsolid);
    draw_in_turn(canvas, node->front);
  }
}

TEST_F(DisplayBspTest, TreeIsDrawnAsIfEachFragmentWerePaintedInTurn) {
  // Two overlapping floors whose tops share a plane, so fragments reach the
  // tree many times over, and a long wall reaching behind the eye, listed
  // after them, which cuts them both.
  make_world();
  const vertex_t floor1{0, -300, -100}, floor2{60, -340, -100}, wall{-150, -150, 0};
  new_brush(&floor1, 100, 600, 20, 0);
  new_brush(&floor2, 120, 300, 20, 0);
  new_brush(&wall, 500, 64, 64, 0);
  for (const int solid : {1, 0}) {
    options.allsolid = solid;
    TDrawCanvas queued, direct;
    queued.Point = direct.Point = QPoint(420, 430);
    face_windings windings;
    winding* listed = draw_all(windings, 0);
    reset_winding_pool();
    display_bsp tree;
    tree.build(listed);
    ASSERT_GT(numtlsurf, 0);
    thi = nullptr;
    queued.draw_tree(listed);
    const surf* picked = thi;
    thi = nullptr;
    draw_in_turn(direct, listed);
    EXPECT_NE(picked, nullptr);
    EXPECT_EQ(picked, thi);
    EXPECT_EQ(queued.Pen, direct.Pen);  // the last fragment's colour stays selected
    int differ = 0, drawn = 0;
    for (int y = 0; y < VIEW_HEIGHT; ++y) {
      for (int x = 0; x < VIEW_WIDTH; ++x) {
        differ += queued.winbmp.pixel(x, y) != direct.winbmp.pixel(x, y) ? 1 : 0;
        drawn += direct.winbmp.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
      }
    }
    EXPECT_EQ(differ, 0) << "solid " << solid;
    EXPECT_GT(drawn, solid != 0 ? 20000 : 1000);
  }
}

// The cut as it was first written, every fragment through the full point
// lists, and the tree built from it by plain recursion: what the frame code
// must still produce, fragment for fragment, whatever shortcuts it takes.
// With copy_coplanar a fragment in a node's plane goes to both sides, as the
// cut alone gives it: the complete drawing the tree's picture must match.
struct reference_side {
  vertex_t p[2 * MAX_POINTS];
  int n = 0;
};

void reference_store(winding* w, const vertex_t* p, int n) {
  for (int i = 0; i < n; ++i) w->world[i] = p[i];
  w->numworld = static_cast<signed char>(n);
  w->next = nullptr;
}

void reference_give(const winding& face, winding* w) {
  w->clr = face.clr;
  w->norm = face.norm;
  w->original = face.original;
}

winding* reference_store_side(const reference_side& side, winding* first, const winding& face) {
  if (side.n <= MAX_POINTS) {
    reference_store(first, side.p, side.n);
    return first;
  }
  winding* piece = first;
  winding* last = nullptr;
  for (int start = 1; start < side.n - 1;) {
    const int end = std::min(start + MAX_POINTS - 2, side.n - 1);
    vertex_t fan[MAX_POINTS];
    int n = 0;
    fan[n++] = side.p[0];
    for (int i = start; i <= end; ++i) fan[n++] = side.p[i];
    if (piece != first) reference_give(face, piece);
    reference_store(piece, fan, n);
    if (last != nullptr) last->next = piece;
    last = piece;
    start = end;
    if (start < side.n - 1 && (piece = getnextwinding()) == nullptr) break;
  }
  return first;
}

void reference_cut(const winding* node, winding* s, winding** f, winding** b, bool copy_coplanar) {
  const vertex_t P = node->world[0];
  vertex_t e1, e2, N;
  _VectorSubtract(&node->world[1], &P, &e1);
  _VectorSubtract(&node->world[2], &P, &e2);
  crossproduct(&e1, &e2, &N);
  const int count = std::clamp(static_cast<int>(s->numworld), 0, MAX_POINTS);
  float d[MAX_POINTS];
  bool all_front = true, all_back = true, all_on = true;
  for (int i = 0; i < count; ++i) {
    vertex_t rel;
    _VectorSubtract(&s->world[i], &P, &rel);
    d[i] = static_cast<float>(_DotProduct(&rel, &N));
    all_front = all_front && d[i] < -CLIP_ON_PLANE;
    all_back = all_back && d[i] > CLIP_ON_PLANE;
    all_on = all_on && !(d[i] < -CLIP_ON_PLANE) && !(d[i] > CLIP_ON_PLANE);
  }
  if (count >= 3 && all_on && !copy_coplanar) {
    const vertex_t& W = node->world[0];
    const vertex_t& M = node->norm;
    s->next = nullptr;
    (-W.x * M.x + -W.y * M.y + -W.z * M.z > 0 ? *b : *f) = s;
    return;
  }
  if (count >= 3 && (all_front || all_back)) {
    s->next = nullptr;
    (all_front ? *f : *b) = s;
    return;
  }
  reference_side front, back;
  for (int i = 0; i < count; ++i) {
    const vertex_t A = s->world[i];
    const vertex_t B = s->world[(i + 1) % count];
    const float a = d[i], bd = d[(i + 1) % count];
    if (a > -CLIP_ON_PLANE) back.p[back.n++] = A;
    if (a < CLIP_ON_PLANE) front.p[front.n++] = A;
    if ((a < -CLIP_ON_PLANE && bd > CLIP_ON_PLANE) || (a > CLIP_ON_PLANE && bd < -CLIP_ON_PLANE)) {
      vertex_t e, toP;
      _VectorSubtract(&B, &A, &e);
      _VectorSubtract(&P, &A, &toP);
      const auto q = static_cast<float>(_DotProduct(&toP, &N));
      const auto r = static_cast<float>(_DotProduct(&N, &e));
      const float t = std::fabs(r) <= SPLIT_PARALLEL ? 0.0f : q / r;
      front.p[front.n++] = back.p[back.n++] = {A.x + e.x * t, A.y + e.y * t, A.z + e.z * t};
    }
  }
  const winding face = *s;
  if (front.n >= 3) *f = reference_store_side(front, s, face);
  if (back.n >= 3) {
    winding* part = front.n >= 3 ? getnextwinding() : s;
    if (part != nullptr) {
      reference_give(face, part);
      *b = reference_store_side(back, part, face);
    }
  }
}

void reference_append(winding* part, winding*& head, winding*& tail) {
  for (winding* following; part != nullptr; part = following) {
    following = part->next;
    part->next = part->front = part->back = nullptr;
    (tail == nullptr ? head : tail->next) = part;
    tail = part;
  }
}

// Node, front subtree, back subtree, as a recursion would; the tree is too
// deep for the call stack.
void reference_build(winding* root, bool copy_coplanar = false) {
  std::vector<winding*> todo{root};
  while (!todo.empty()) {
    winding* node = todo.back();
    todo.pop_back();
    node->front = node->back = nullptr;
    winding *front_tail = nullptr, *back_tail = nullptr;
    for (winding *s = node->next, *following; s != nullptr; s = following) {
      following = s->next;
      winding *f = nullptr, *b = nullptr;
      reference_cut(node, s, &f, &b, copy_coplanar);
      reference_append(f, node->front, front_tail);
      reference_append(b, node->back, back_tail);
    }
    if (node->back != nullptr) todo.push_back(node->back);
    if (node->front != nullptr) todo.push_back(node->front);
  }
}

// Every node in walking order with everything drawing or picking reads.
struct tree_record {
  const winding* w;
  const winding *next, *front, *back;
  std::vector<float> points;
  colour_t clr;
  const surf* original;
};

void record_tree(const winding* root, std::vector<tree_record>& out) {
  std::vector<const winding*> todo{root};
  while (!todo.empty()) {
    const winding* w = todo.back();
    todo.pop_back();
    tree_record r{w, w->next, w->front, w->back, {}, w->clr, w->original};
    for (int i = 0; i < w->numworld; ++i) {
      r.points.insert(r.points.end(), {w->world[i].x, w->world[i].y, w->world[i].z});
    }
    out.push_back(std::move(r));
    if (w->back != nullptr) todo.push_back(w->back);
    if (w->front != nullptr) todo.push_back(w->front);
  }
}

TEST_F(DisplayBspTest, WholeMapsBuildTheSameTreeAsThePlainCut) {
  // Three of the real maps run into the pool's frame limit.
  const std::pair<const char*, std::size_t> cases[] = {
      {BUILT_MAP, 100}, {"e1m1.map", 900}, {"e1m2.map", 900}, {"e1m3.map", 900}, {"e2m2.map", 900}};
  for (const auto& [name, least_size] : cases) {
    SCOPED_TRACE(name);
    release_map();
    reset_model();
    SKIP_WITHOUT(any_map_path(name));
    ASSERT_TRUE(read_map(any_map_path(name)).ok());
    origin = vertex_t{0, OPENED_CAMERA_Y, 0};
    std::vector<tree_record> expected, built;
    face_windings windings;
    winding* listed = draw_all(windings, 0);
    reset_winding_pool();
    reference_build(listed);
    record_tree(listed, expected);
    const int expected_pool = numtlsurf;

    listed = draw_all(windings, 0);
    reset_winding_pool();
    display_bsp tree;
    tree.build(listed);
    record_tree(listed, built);
    EXPECT_EQ(numtlsurf, expected_pool);
    ASSERT_EQ(built.size(), expected.size());
    int differ = 0;
    for (std::size_t i = 0; i < built.size(); ++i) {
      const tree_record &a = built[i], &e = expected[i];
      differ += a.w != e.w || a.next != e.next || a.front != e.front || a.back != e.back ||
                        a.points != e.points || a.clr != e.clr || a.original != e.original
                    ? 1
                    : 0;
    }
    EXPECT_EQ(differ, 0);
    EXPECT_GT(built.size(), least_size);
  }
}

TEST_F(DisplayBspTest, PictureAndPickAreThoseOfTheCompleteDrawing) {
  // Views where the complete drawing, every fragment in a node's plane copied
  // to both sides, is still small enough to make. The frame's ordered drawing
  // must give the same picture and the same face under the mouse.
  struct view_case {
    const char* map;
    vertex_t eye, angles;
    QPoint mouse;
  };
  const view_case cases[] = {
      {BUILT_MAP, {256, 64, 128}, {0, 0, 0}, {400, 300}},
      {BUILT_MAP, {300, 450, 100}, {0.2f, 0, 3.1f}, {300, 350}},
      {"e1m1.map", {0, OPENED_CAMERA_Y, 0}, START_ANGLE, {400, 300}},
      {"e1m1.map", {480, -200, 60}, {0.3f, 0, 1.2f}, {300, 350}},
      {"dm1.map", {0, OPENED_CAMERA_Y, 0}, START_ANGLE, {420, 280}},
      {"start.map", {200, 300, 100}, {-0.2f, 0, 2.4f}, {500, 320}},
      {"e2m2.map", {300, -200, 100}, {0.2f, 0, 1.0f}, {400, 300}},
      // Views that once ran out of fragments and showed holes.
      {"dm3.map", {0, OPENED_CAMERA_Y, 0}, START_ANGLE, {400, 300}},
      {"e4m3.map", {0, OPENED_CAMERA_Y, 0}, START_ANGLE, {400, 300}},
      {"e1m3.map", {0, OPENED_CAMERA_Y, 0}, START_ANGLE, {400, 300}},
  };
  for (const view_case& c : cases) {
    SCOPED_TRACE(std::string(c.map) + " " + std::to_string(c.eye.x));
    release_map();
    reset_model();
    SKIP_WITHOUT(any_map_path(c.map));
    ASSERT_TRUE(read_map(any_map_path(c.map)).ok());
    origin = c.eye;
    angle = c.angles;
    compute_angles();
    // Each drawing filled, and as outlines only: where two faces meet, which
    // one's outline shows depends on the order of pieces that do not overlap,
    // so the pictures may differ there and only there.
    std::array<TDrawCanvas, 2> complete, tree;
    const surf* picked = nullptr;
    for (const int solid : {1, 0}) {
      options.allsolid = solid;
      TDrawCanvas& by_copies = complete[static_cast<std::size_t>(solid)];
      TDrawCanvas& by_tree = tree[static_cast<std::size_t>(solid)];
      by_copies.Point = by_tree.Point = c.mouse;
      face_windings windings;
      winding* listed = draw_all(windings, 0);
      reset_winding_pool();
      reference_build(listed, true);
      thi = nullptr;
      by_copies.draw_tree(listed);
      picked = thi;
      // The frame's own ordered drawing, through the canvas's world tree.
      thi = nullptr;
      by_tree.draw_ordered();
      EXPECT_EQ(thi, picked) << "solid " << solid;
    }
    // Outline pixels of either drawing, and those next to them: a piece's
    // edge is stepped from its own ends, which may put it a pixel off the
    // whole face's edge.
    const QRgb white = qRgb(255, 255, 255);
    std::vector<char> near_outline(VIEW_WIDTH * VIEW_HEIGHT, 0);
    for (int y = 0; y < VIEW_HEIGHT; ++y) {
      for (int x = 0; x < VIEW_WIDTH; ++x) {
        if (tree[0].winbmp.pixel(x, y) == white && complete[0].winbmp.pixel(x, y) == white) continue;
        for (int v = std::max(y - 1, 0); v <= std::min(y + 1, VIEW_HEIGHT - 1); ++v) {
          for (int u = std::max(x - 1, 0); u <= std::min(x + 1, VIEW_WIDTH - 1); ++u)
            near_outline[v * VIEW_WIDTH + u] = 1;
        }
      }
    }
    int differ = 0, inside = 0;
    for (int y = 0; y < VIEW_HEIGHT; ++y) {
      for (int x = 0; x < VIEW_WIDTH; ++x) {
        if (tree[1].winbmp.pixel(x, y) == complete[1].winbmp.pixel(x, y)) continue;
        ++differ;
        inside += near_outline[y * VIEW_WIDTH + x] != 0 ? 0 : 1;
      }
    }
    // A missing piece or one drawn out of order would differ across its
    // inside, hundreds of pixels away from every outline.
    EXPECT_EQ(inside, 0);
    EXPECT_LT(differ, VIEW_WIDTH * VIEW_HEIGHT / 50);
  }
}

}  // namespace
