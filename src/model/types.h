// The map records: plain structs joined by `next` pointers. Every other part of
// the editor reads and changes these in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/colour.h"
#include "model/face_points.h"
#include "model/vec3.h"

constexpr int MAX_ENTITIES = 1024;  // slots of the point entity table
constexpr int TEXT_BLOCK = 50;      // smallest key / value block

// The face syntax of a map file. Each file is read and written in one.
enum face_dialect {
  DIALECT_STANDARD,  // three points, texture, offsets, rotation, scales
  DIALECT_VALVE,     // texture axes in brackets before rotation and scales (Valve 220)
  DIALECT_QUAKE2,    // standard, then content flags, surface flags and value
  DIALECT_HEXEN2,    // standard, then one more number
};
// Their names for the user, in the order above.
constexpr const char* DIALECT_NAMES[] = {"QUAKE standard", "Valve 220", "QUAKE 2", "Hexen 2"};

// The numbers a face was read with, at the precision the file gave them,
// kept once in a table of the open map (see map_source). Edits change the
// float fields of the face; wherever a float still equals its read number
// rounded to float, the writer writes the read number, so a face the mapper
// did not touch goes back to the file as it came.
struct read_numbers {
  vec3 point[3];           // the three plane points
  double values[5] = {};   // offsets s and t, rotation, scales s and t
  double axis[2][3] = {};  // Valve 220 texture axes, u then v
  bool operator==(const read_numbers&) const = default;
};

// Where a record stood in the text the open map was read from (see
// map_source), for saves that keep the file's own text: an untouched record
// goes back as that text. Zero `end` for a record that was not read from it.
struct text_span {
  std::size_t gap =
      0;  // end of the record before it there; the comments and blank lines between go with this one
  std::size_t begin = 0;
  std::size_t end = 0;
  std::uint64_t read_as = 0;  // what the record held when read, as a fingerprint
  bool operator==(const text_span&) const = default;
};

struct surf;
struct brush_t;
struct hull_t;

// A display polygon in view space: a frame takes one for each face it lists,
// and the display BSP more for the pieces of its splits.
struct winding {
  vertex_t world[MAX_POINTS];
  signed char numworld = 0;
  colour_t clr = 0;
  winding* next = nullptr;
  winding* front = nullptr;
  winding* back = nullptr;
  surf* original = nullptr;
  vertex_t norm;
};

// One face of a brush.
struct surf {
  std::string texname;  // kept whole, however long the file had it
  face_points point;    // numpoints corners, the first three of them also the plane
  signed char numpoints = 0;
  float scale[2] = {0, 0};
  float sofs = 0;
  float tofs = 0;
  float flips = 0;
  colour_t clr = 0;
  int vis = 0;
  int solid = 0;
  surf* next = nullptr;
  brush_t* brush = nullptr;
  vertex_t norm;
  float dist = 0;
  float avdist = 0;
  // The three points the face was read with; the writer falls back on them
  // when the rounded polygon corners would no longer describe the plane.
  vertex_t filepoint[3];
  int hasfilepoints = 0;
  // Its read_numbers in the open map's table, from 1; or, for a face read
  // with whole numbers only, WHOLE_READ with a digest of its filepoints as
  // read (see whole_read_mark); 0 for a face not read.
  std::uint32_t read = 0;
  // The texture axes of a face read in the Valve 220 syntax (u, then v); its
  // offsets are sofs and tofs. Without them the writer works the axes out
  // from the plane when the map needs them.
  float texaxis[2][3] = {};
  int hasaxes = 0;
  // Numbers after the scales that the editor does not use itself (QUAKE 2
  // and 3 content and surface flags and value, the Hexen 2 sixth number),
  // kept as the file wrote them, one space apart.
  std::string extra;
};

struct brush_t {
  surf* fsurf = nullptr;
  brush_t* next = nullptr;
  char valid = 0;
  int vis = 0;
  hull_t* hull = nullptr;
  short entity = -1;
  short numsurfaces = 0;
  // Put out of sight (H in a plan view): neither drawn nor picked in any
  // view, and saved as any other.
  char hidden = 0;
  text_span source;
};

// One key/value pair. Each text lives in its own block of at least TEXT_BLOCK
// chars, larger when the text needs it. A new pair's two blocks come in one
// allocation with the node (see new_keyval); a text set later gets a block of
// its own.
struct keyval {
  char* key = nullptr;
  char* value = nullptr;
  keyval* next = nullptr;
  unsigned char texts_in_node = 0;  // KEY_IN_NODE, VALUE_IN_NODE: which block is the node's own
};
constexpr unsigned char KEY_IN_NODE = 1, VALUE_IN_NODE = 2;

// A brush entity. The fixed fields are short copies for the status line; the
// key/value list is what gets saved.
struct hull_t {
  keyval* header = nullptr;
  char message[25] = {};
  char wad[25] = {};
  char classname[25] = {};
  brush_t* brush = nullptr;
  char target[10] = {};
  char targetname[10] = {};
  hull_t* next = nullptr;
  // Read with no brushes (a group or layer, or a world whose brushes all sit
  // in groups): saved all the same, where an entity emptied by deletes is not.
  int keepempty = 0;
  // Its place in the text it was read from, its pairs the fingerprint; and
  // there the ends of its pairs before the first brush and of its last brush,
  // and whether pairs came after a brush.
  text_span source;
  std::size_t pairs_end = 0, brushes_end = 0;
  bool late_pairs = false;
};

// A point entity: one slot of `entities`.
struct dentity_t {
  keyval* header = nullptr;
  vertex_t origin;
  char valid = 0;
  brush_t* brush = nullptr;
  text_span source;  // its pairs and origin the fingerprint
};

// The reader's scratch record for the entity being read.
struct tmapentity_t {
  char message[TEXT_BLOCK] = {};
  char wad[TEXT_BLOCK] = {};
  char classname[TEXT_BLOCK] = {};
  char target[10] = {};
  char targetname[10] = {};
  vertex_t origin[3];
};

// One node of the selection list; the list ends at the first null `brush`.
struct brushlist {
  brush_t* brush = nullptr;
  brushlist* next = nullptr;
};

// One block of the display fragment pool.
struct windinglist {
  winding* w = nullptr;
  short numwinding = 0;
  windinglist* next = nullptr;
};
