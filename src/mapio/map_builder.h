// The second layer of reading a .map file: the parser's records linked into
// the program-wide model as they come. Point entities get their marker boxes;
// closed brushes are rebuilt from their planes on the given number of
// threads, the reading one included.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "base/text_cursor.h"
#include "mapio/brush_rebuilder.h"
#include "mapio/map_reader.h"
#include "mapio/parsed_records.h"
#include "model/map_state.h"

class map_builder {
 public:
  // text is what the records were parsed from, for the places in messages;
  // with keep_places each record also notes its place in it (text_span).
  // The numbers each face was read with go to the end of numbers, which
  // will follow `before` entries of the open map's table.
  map_builder(std::string_view text, load_report& report, int threads, bool keep_places, read_table& numbers,
              std::size_t before);
  // The pairs of an entity still open when the records stop are not in the
  // model.
  ~map_builder();
  map_builder(const map_builder&) = delete;
  map_builder& operator=(const map_builder&) = delete;

  // Links r into the model. False when the map cannot be opened (more point
  // entities than the table holds); the report's error says why.
  bool add(const parsed_record& r) {
    // Most records are faces: they take the short way.
    if (r.kind != record_kind::face) return add_other(r);
    add_face(r.face);
    return true;
  }

  // After the last record: the map's dialect, the rebuild of the brushes
  // still waiting, and their problems listed among the others as if each had
  // been met where its brush ended. brushes_before tells, for each problem
  // listed so far, how many brushes had ended before it.
  void finish(face_dialect dialect, const std::vector<std::size_t>& brushes_before);

  // The end of the last entity closed in the text.
  std::size_t entities_end() const { return last_entity_end_; }

 private:
  bool add_other(const parsed_record& r);
  void open_entity(std::size_t at);
  void add_pair(const parsed_record& r);
  void start_brush_entity();
  void open_brush(std::size_t at);
  void close_brush(std::size_t at);
  void close_places(std::size_t end);
  void add_face(const parsed_face& f);
  bool close_entity(std::size_t at);
  bool save_point_entity();
  void list(load_problem p);

  text_cursor places_;
  std::string_view text_;
  load_report& report_;
  const bool keep_places_;
  read_table& numbers_;
  const std::size_t numbers_before_;

  tmapentity_t scratch_;    // the fixed fields of the open entity
  keyval* list_ = nullptr;  // pairs of the open entity, not yet stored
  keyval** list_tail_ = &list_;
  keyval* origin_node_ = nullptr;  // the open point entity's "origin" pair
  bool brush_entity_ = false;      // the open entity is a brush entity
  hull_t** hull_tail_;
  hull_t* current_hull_ = nullptr;
  brush_t** brush_tail_ = nullptr;
  brush_t* current_brush_ = nullptr;
  surf** face_tail_ = nullptr;
  std::size_t brush_start_ = 0;

  // Places in the text of the open entity and brush (with keep_places).
  text_span entity_place_;
  std::size_t pairs_end_ = 0, brushes_end_ = 0, last_entity_end_ = 0;
  bool entity_open_ = false, brush_open_ = false, had_brush_ = false, late_pairs_ = false;

  brush_rebuilder rebuilt_;
};
