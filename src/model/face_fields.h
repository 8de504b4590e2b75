// What a face carries besides its polygon and what the view makes of it: the
// texture and its alignment, the solid flag, and the points the face was read
// with. One list of those fields serves every copy and comparison, so a new
// field is added here and nowhere else.
#pragma once

#include "model/types.h"

// Calls fn(a.field, b.field) for every such field. a and b may be faces or
// any record with fields of the same names (the undo history keeps one).
template <class A, class B, class Fn>
void for_each_face_field(A& a, B& b, Fn&& fn) {
  fn(a.texname, b.texname);
  fn(a.scale[0], b.scale[0]);
  fn(a.scale[1], b.scale[1]);
  fn(a.sofs, b.sofs);
  fn(a.tofs, b.tofs);
  fn(a.flips, b.flips);
  fn(a.solid, b.solid);
  for (int i = 0; i < 3; ++i) fn(a.filepoint[i], b.filepoint[i]);
  fn(a.hasfilepoints, b.hasfilepoints);
  fn(a.read, b.read);
  for (int i = 0; i < 2; ++i) {
    for (int k = 0; k < 3; ++k) fn(a.texaxis[i][k], b.texaxis[i][k]);
  }
  fn(a.hasaxes, b.hasaxes);
  fn(a.extra, b.extra);
}

template <class To, class From>
void copy_face_fields(To& to, const From& from) {
  for_each_face_field(to, from, [](auto& t, const auto& f) { t = f; });
}

template <class A, class B>
bool same_face_fields(const A& a, const B& b) {
  bool same = true;
  for_each_face_field(a, b, [&same](const auto& x, const auto& y) { same = same && x == y; });
  return same;
}
