// Saves that keep the file's own text. A record the mapper did not touch goes
// back as the text it was read from, with the comments and blank lines before
// it; a changed one is written in the editor's format in its place; a deleted
// one goes with the comments before it; a new brush comes at the end of its
// entity, a new entity at the end of the file. Whether a record was touched
// is told by a fingerprint of what it held when read (text_span::read_as),
// so an undone edit leaves the text as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/map_state.h"
#include "model/types.h"

// Saves keep the file's layout; off at start-up (the window keeps it in the
// settings).
extern int keep_file_layout;

// The text a save writes: map_text(), or with keep_file_layout on and a map
// read from a file, the file's own text wherever the map has not changed.
std::string map_save_text();

// Writes map_save_text() to path, replacing the file only once all of it is
// written. Returns "" on success, else the reason.
std::string write_map(const std::string& path);

// map_save_text() with the file's layout kept, whatever the switch.
std::string map_text_keeping_layout();

// Takes text as what the map now in the model was read from, and numbers as
// the numbers its faces were read with: the records' spans point into the
// one, the faces into the other. The brush entities' fingerprints are taken
// as they stand; the reader took those of the brushes and the point entities
// while each was at hand.
void take_as_read(std::string text, std::size_t entities_end, read_table numbers);

// What the writer writes of brush b, as a fingerprint. (A map keeps the
// dialect it was read in, so that is left out.)
std::uint64_t brush_fingerprint(const brush_t* b);

// The same for point entity e: its pairs and its origin.
std::uint64_t point_fingerprint(const dentity_t& e);

// For the reader's spans: the start of the line at `at` when only blanks
// come before it there, else `at`; and past the line break after `at` when
// only blanks come before it, else `at`.
std::size_t line_start_before(std::string_view text, std::size_t at);
std::size_t line_end_after(std::string_view text, std::size_t at);
