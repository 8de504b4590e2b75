// The map held in memory: program-wide lists and table, the selection list and
// the small list operations every editing part shares.
#pragma once

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/types.h"

extern hull_t* hull;                      // brush entities in file order; the first is the world
extern dentity_t entities[MAX_ENTITIES];  // point entities in order of creation
extern short numentity;                   // used slots of `entities`, deleted ones included
extern brushlist* blist;                  // first node of the selection list; never null
extern brushlist* cbrushlist;             // node where the next selected brush goes
extern brush_t* hibr;                     // current brush of the keyboard commands
extern surf* hilight;                     // highlighted face
extern int map_dialect;                   // face syntax of the open map, a face_dialect; kept through undo

// Numbers faces were read with, in blocks that never move, so that a large
// map's table grows without being copied.
class read_table {
 public:
  read_numbers& add();
  std::size_t size() const { return size_; }
  const read_numbers& operator[](std::size_t i) const { return blocks_[i / BLOCK][i % BLOCK]; }
  void append(const read_table& more);

 private:
  static constexpr std::size_t BLOCK = 1024;
  std::vector<std::unique_ptr<read_numbers[]>> blocks_;
  std::size_t size_ = 0;
};

// The text the open map was read from, which its records' text_spans point
// into, empty for a map begun in the editor; and the numbers its faces and
// those pasted into it were read with. Undo keeps both.
struct source_text {
  std::string text;
  std::size_t entities_end = 0;  // end of the last entity read from it
  read_table numbers;            // surf::read counts from 1 here
};
extern source_text map_source;

// The numbers face s was read with, or null. An entry out of the table's
// range (a face of a map since closed) is none: the writer only ever takes a
// read number that rounds to the face's float, so no other face's numbers
// could be written for it.
const read_numbers* read_numbers_of(const surf* s);

// A face whose numbers were all whole, and so are its floats exactly, keeps
// no read_numbers: its read field is this mark of the points it was read
// with, which tells whether they are still those (but for a one in 2^31
// chance). Most maps hold nothing else.
constexpr std::uint32_t WHOLE_READ = 0x80000000U;
std::uint32_t whole_read_mark(const vertex_t points[3]);
// Whether a number is whole and exact in a float, so that reading it into
// one loses nothing.
inline bool whole_in_float(double v) {
  return std::fabs(v) <= 16777216.0 && static_cast<double>(static_cast<std::int32_t>(v)) == v;
}
extern surf* thi;                // face under the mouse, found while drawing
extern vertex_t* closest_point;  // face point under the mouse, found while drawing

// The face of the map whose polygon holds the point p (by address), or null.
surf* face_holding(const vertex_t* p);

// Selection list.
void insert_brush_in_list(brush_t* b);
// The same without the search, for a brush the caller knows is not listed
// (one just made): a merge of many brushes stays linear.
void append_to_selection(brush_t* b);
void unselectbrushes();
bool selection_empty();
bool is_selected(const brush_t* b);
// The selected brushes in order.
std::vector<brush_t*> selected_brushes();
// Takes b out of the selection, keeping the others in order.
void unselect_brush(const brush_t* b);

// Face selection: the faces picked for texture work, in the order picked.
// Selecting brushes empties it, and a face leaves it when its records are
// released. Only faces of brush entities' brushes are picked: a marker's box
// is not textured.
extern std::vector<surf*> selected_faces;
// A face picked with the mouse: alone, or with `toggle` added to the faces
// already picked or taken out of them. Either way the brush selection goes.
// A null face (a click on nothing) empties the face selection unless toggling.
void pick_face(surf* s, bool toggle);
void unselect_faces();
bool is_face_selected(const surf* s);

// Unlinks b from its entity's brush list; the record stays alive.
void remove_brush_from_list(brush_t* b);

// Removes node from the list that starts at start, releases it and returns
// the list's new head.
keyval* delete_keyval(keyval* start, keyval* node);

void zeromapentity(tmapentity_t* e);

// The world entity's value for key (its "wad" lists the texture WADs), or ""
// when it has none.
std::string world_value(const char* key);

// A pair, its node and its two text blocks (each at least TEXT_BLOCK chars,
// more if needed) in one allocation; free_keyvals releases it.
keyval* new_keyval(const char* key, const char* value);
// A new text for a pair's key or value, in a block of its own.
void set_key(keyval* kv, const char* text);
void set_value(keyval* kv, const char* text);

// Copies text into a fixed field of `size` chars, cutting it to fit.
void copy_field(char* field, int size, const char* text);

// A world entity holding one pair, "classname" "worldspawn", and no brushes.
hull_t* new_world_entity();

// Clears every program-wide pointer into b or its faces (current brush,
// highlight, picking results) and takes b out of the selection.
void forget_brush(const brush_t* b);

// Releasing records together with everything they own. free_brush forgets the
// brush first, so nothing program-wide is left pointing into released memory.
void free_keyvals(keyval* list);
void free_faces(surf* list);
// A copy of face s for another list: its fields, points and plane, without
// its links (next, brush, and the drawing's).
surf* copy_face(const surf* s);
void free_brush(brush_t* b);
void free_hull(hull_t* h);

// Releases every brush entity, point entity and marker brush and empties the
// selection. Options and the camera are left alone (closing a map).
void release_map();
// Only the records, for a model nothing else points into yet (a read that failed).
void release_records();

// release_map, then every program-wide value of the model back to start-up,
// the undo history included.
void reset_model();
