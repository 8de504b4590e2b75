// What the map parser makes of a .map text: plain records, one at a time, in
// file order. The builder turns them into the model; nothing in them points
// into the model.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/types.h"

enum class record_kind {
  entity,        // the '{' of an entity; its leading pairs follow
  pair,          // a key/value pair of the open entity
  brush_entity,  // the open entity holds brushes (told after its leading pairs, or at its first brush)
  brush,         // the '{' of a brush of the open brush entity
  face,          // a face of the open brush
  brush_end,     // the '}' of the open brush
  entity_end,    // the '}' of the open entity
};

// Keys and values without the NUL characters the file may have held.
struct parsed_pair {
  std::string key, value;
  // Among the pairs right after the entity's '{'; a late pair comes after a
  // brush or the entity's other pairs and joins them at the end.
  bool leading = false;
  // A leading "origin" of three numbers, which makes its entity a point
  // entity standing at `point`.
  bool origin = false;
  vertex_t point;
};

// A face as the file wrote it, in any dialect, its numbers at the precision
// the text gives. The texture name and the numbers after the scales point
// into the text or a buffer of the parser and last until the next record.
struct parsed_face {
  vec3 point[3];
  std::string_view texture;
  double values[5] = {};      // offsets s and t, rotation in degrees, scales s and t
  bool hasaxes = false;       // the face gives its texture axes (Valve 220)
  double texaxis[2][3] = {};  // those axes, u then v; zero without them
  // Numbers after the scales, as written, one space apart: the QUAKE 2
  // content and surface flags and value, the Hexen 2 sixth number.
  std::string_view extra;
  face_dialect dialect = DIALECT_STANDARD;
};

// One record; only the part its kind names is filled. Its place in the text
// (the byte offset of its first character) turns into a line and column
// through the parser, only when a message needs one.
struct parsed_record {
  record_kind kind = record_kind::entity;
  std::size_t at = 0;
  std::size_t end = 0;  // of a pair: just past its closing quote
  parsed_pair pair;
  parsed_face face;
};
