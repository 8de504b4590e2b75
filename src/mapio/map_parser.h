// The first layer of reading a .map file: the text as records (parsed_records.h)
// one at a time, with the problems of the text itself listed in the report as
// they are met. What it cannot read it skips and reports, or stops at; what
// the editor could not keep (patches, brushes with texture matrices) it
// refuses.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_cursor.h"
#include "mapio/map_reader.h"
#include "mapio/parsed_records.h"

class map_parser {
 public:
  map_parser(std::string_view text, load_report& report) : text_(text), in_(text), report_(report) {}
  map_parser(const map_parser&) = delete;
  map_parser& operator=(const map_parser&) = delete;

  // The next record into r; false when there are no more: the text ended,
  // reading stopped early or the map was refused. At the end the report
  // says what was left open, and whether the text was a map at all.
  bool next(parsed_record& r);

  // Set when the map must not be opened; the report's error says why.
  bool refused() const { return refused_; }
  // The dialect of the map: of its faces so far, the one that comes first in
  // the order the dialect function gives.
  face_dialect dialect() const { return dialect_; }
  // The line and column of a place in the text.
  text_place where(std::size_t at) { return in_.place_at(at); }
  // For each listed problem, how many brushes had ended before it was met.
  const std::vector<std::size_t>& brushes_before() const { return brushes_before_; }

 private:
  // Which kind of record the last '{' opened, or that the open entity's
  // leading pairs are being read.
  enum class state { outside, leading_pairs, brush_entity, brush, point_entity };

  bool read_leading_pair(parsed_record& r);
  bool read_late_pair(parsed_record& r);
  bool open_brace(parsed_record& r);
  bool close_brace(parsed_record& r);
  // Keys and values; false at the end of the text.
  bool read_key(std::string& out);
  bool read_value(std::string& out);
  void drop_nuls(std::size_t start, std::string& out);
  bool read_origin(const std::string& value, std::size_t value_at, vertex_t& out);

  // Faces and numbers: defined inline where the loop that reads them is,
  // since they run for every face.
  inline bool read_face(parsed_face& f);
  inline bool read_face_values(parsed_face& f);
  inline bool read_standard_values(parsed_face& f);
  inline bool read_valve_values(parsed_face& f);
  inline bool read_axis(double axis[3], double& offset);
  inline int read_trailing_numbers();
  inline void note_dialect(face_dialect d);
  inline double number(std::string_view word, std::size_t at);
  inline bool next_number(double& out);
  [[gnu::noinline, gnu::cold]] void report_malformed(std::string_view word, std::size_t at);

  bool brush_follows();
  void read_word_in_brush();
  void refuse(std::string error);
  void problem(std::size_t at, std::string text);
  void stop(std::size_t at, const std::string& why);
  bool end();
  bool looks_like_a_map() const;

  std::string_view text_;
  text_cursor in_;
  load_report& report_;

  state state_ = state::outside;
  bool point_ = false;           // the open entity's leading pairs hold an origin
  bool entity_brushes_ = false;  // a brush was opened in the open brush entity
  bool brush_next_ = false;      // a brush entity was just made of a point entity; its brush comes next
  std::size_t brush_start_ = 0;  // the open brush's '{'
  std::size_t first_entity_ = std::string_view::npos;  // the first entity's '{'
  bool pairs_cut_ = false;                             // the text ended inside an entity's leading pairs
  bool stopped_ = false;
  bool refused_ = false;
  bool ended_ = false;  // the end was looked at

  face_dialect dialect_ = DIALECT_STANDARD;
  std::string extra_;  // the numbers after the scales of the last face
  std::size_t brushes_ended_ = 0;
  std::vector<std::size_t> brushes_before_;
};
