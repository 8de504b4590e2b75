#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model_fixture.h"

namespace {

using Lists = ModelTest;

brush_t* add_brush(hull_t* h) {
  auto* b = new brush_t;
  b->hull = h;
  b->valid = 1;
  b->next = h->brush;
  h->brush = b;
  return b;
}

}  // namespace

TEST_F(Lists, SelectingTwiceKeepsOneEntryAndNodesAreReused) {
  hull_t* w = make_world();
  brush_t* a = add_brush(w);
  brush_t* b = add_brush(w);
  insert_brush_in_list(a);
  insert_brush_in_list(b);
  insert_brush_in_list(a);
  EXPECT_EQ(blist->brush, a);
  EXPECT_EQ(blist->next->brush, b);
  EXPECT_EQ(blist->next->next, cbrushlist);
  EXPECT_MODEL_OK();

  brushlist* first = blist;
  hibr = b;
  unselectbrushes();
  EXPECT_TRUE(selection_empty());
  EXPECT_EQ(hibr, nullptr);
  insert_brush_in_list(b);
  EXPECT_EQ(blist, first);
  EXPECT_EQ(first->brush, b);
  EXPECT_EQ(first->next->brush, nullptr);  // the spare node is reused, ended again
}

TEST_F(Lists, DeleteKeyvalReturnsTheNewHead) {
  keyval* only = new_keyval("a", "1");
  EXPECT_EQ(delete_keyval(only, only), nullptr);

  keyval* head = new_keyval("a", "1");
  head->next = new_keyval("b", "2");
  head->next->next = new_keyval("c", "3");
  keyval* second = head->next;
  EXPECT_EQ(delete_keyval(head, head), second);
  head = second;
  keyval* last = head->next;
  EXPECT_EQ(delete_keyval(head, last), head);
  EXPECT_EQ(head->next, nullptr);
  EXPECT_STREQ(head->key, "b");
  free_keyvals(head);
}

TEST_F(Lists, RemoveBrushFromListUnlinksOnly) {
  hull_t* w = make_world();
  brush_t* second = add_brush(w);
  brush_t* first = add_brush(w);
  remove_brush_from_list(first);
  EXPECT_EQ(w->brush, second);
  EXPECT_EQ(first->hull, w);      // the record keeps its owner pointer
  remove_brush_from_list(first);  // no longer listed: nothing changes
  EXPECT_EQ(w->brush, second);
  remove_brush_from_list(second);
  EXPECT_EQ(w->brush, nullptr);
  free_brush(first);
  free_brush(second);
}

TEST_F(Lists, RemoveBrushFromTheMiddle) {
  hull_t* w = make_world();
  brush_t* c = add_brush(w);
  brush_t* b = add_brush(w);
  brush_t* a = add_brush(w);
  remove_brush_from_list(b);
  EXPECT_EQ(a->next, c);
  free_brush(b);
}

TEST_F(Lists, LongTextsAreKeptWholeAndFixedFieldsCut) {
  // Texts of every length, set anew once and twice, on either side: each
  // keeps its whole text and its TEXT_BLOCK, and the list lets all go.
  keyval* list = nullptr;
  for (const std::size_t length : {0, 1, 48, 49, 50, 300}) {
    const std::string key(length, 'k'), value(length + 7, 'v');
    keyval* kv = new_keyval(key.c_str(), value.c_str());
    kv->next = list;
    list = kv;
    EXPECT_EQ(std::string(kv->key), key);
    EXPECT_EQ(std::string(kv->value), value);
    EXPECT_GE(kv->value - kv->key, TEXT_BLOCK);
    for (int round = 0; round < static_cast<int>(length % 3); ++round) {
      const std::string fresh(length * 2 + static_cast<std::size_t>(round), 'n');
      length % 2 == 0 ? set_key(kv, fresh.c_str()) : set_value(kv, fresh.c_str());
      EXPECT_EQ(std::string(length % 2 == 0 ? kv->key : kv->value), fresh);
      EXPECT_EQ(std::string(length % 2 == 0 ? kv->value : kv->key), length % 2 == 0 ? value : key);
    }
  }
  free_keyvals(list);

  char field[10];
  copy_field(field, sizeof field, "targetname_that_is_long");
  EXPECT_STREQ(field, "targetnam");
}

TEST_F(Lists, CheckModelNamesBrokenInvariants) {
  hull_t* w = make_world();
  brush_t* b = add_brush(w);
  EXPECT_MODEL_OK();

  b->entity = 3;
  EXPECT_NE(check_model().find("entity index"), std::string::npos);
  b->entity = -1;

  brush_t stray;
  insert_brush_in_list(&stray);
  EXPECT_NE(check_model().find("selection"), std::string::npos);
  unselectbrushes();

  surf face;
  hilight = &face;
  EXPECT_NE(check_model().find("highlighted"), std::string::npos);
  hilight = nullptr;

  b->next = b;  // a cycle reaches the brush twice
  EXPECT_NE(check_model().find("twice"), std::string::npos);
  b->next = nullptr;
}

TEST_F(Lists, ReleaseMapEmptiesEverything) {
  hull_t* w = make_world();
  insert_brush_in_list(add_brush(w));
  entities[0].brush = new brush_t;
  entities[0].brush->entity = 0;
  entities[0].header = new_keyval("classname", "light");
  numentity = 1;
  release_map();
  EXPECT_EQ(hull, nullptr);
  EXPECT_EQ(numentity, 0);
  EXPECT_TRUE(selection_empty());
  EXPECT_EQ(entities[0].brush, nullptr);
}

TEST_F(Lists, FreeingABrushLeavesNothingPointingAtIt) {
  hull_t* w = make_world();
  brush_t* c = add_brush(w);
  brush_t* b = add_brush(w);
  brush_t* a = add_brush(w);
  surf* face = add_face(b, {0, 0, 0}, {1, 0, 0}, {0, 1, 0});
  insert_brush_in_list(a);
  insert_brush_in_list(b);
  insert_brush_in_list(c);
  hibr = b;
  hilight = face;
  thi = face;
  closest_point = &face->point[2];

  remove_brush_from_list(b);
  free_brush(b);
  EXPECT_EQ(hibr, nullptr);
  EXPECT_EQ(hilight, nullptr);
  EXPECT_EQ(thi, nullptr);
  EXPECT_EQ(closest_point, nullptr);
  EXPECT_EQ(blist->brush, a);  // the others stay selected, in order
  EXPECT_EQ(blist->next->brush, c);
  EXPECT_EQ(blist->next->next, cbrushlist);
}
