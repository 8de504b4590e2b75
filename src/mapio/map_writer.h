// Writing the map model as a .map file: brush entities with brushes first,
// then point entities, each with its key/value pairs in order.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "model/types.h"

// How close a written point must stay to its face's plane.
constexpr double WRITTEN_PLANE_TOLERANCE = 0.01;

// The whole map as .map text in the map's dialect. The world entity is
// always written, first; other brush entities when they have brushes or were
// read without any; then the point entities.
std::string map_text();

// The selected brushes as .map text, for the clipboard: each brush entity
// holding one of them with its pairs and those brushes only, then each point
// entity whose box is selected. Empty when nothing is selected.
std::string selection_map_text();

// Whether the map's dialect writes every face with its texture axes.
bool writes_texture_axes();

// Whether map_text writes the brush entity h.
bool hull_is_written(const hull_t* h);

// Pieces of map_text, each line ended with eol (a file's own line break
// where a save keeps the file's text): a brush; key/value pairs; a point
// entity with its origin; a brush entity with its brushes, those take keeps
// when it is given.
void put_brush_text(std::string& out, const brush_t* b, std::string_view eol);
void put_pairs_text(std::string& out, const keyval* pairs, std::string_view eol);
void put_point_entity_text(std::string& out, const dentity_t& e, std::string_view eol);
void put_brush_entity_text(std::string& out, const hull_t* h, std::string_view eol,
                           const std::function<bool(const brush_t*)>& take = {});

// The three whole-numbered points written for face s. They are the face's
// first three points rounded half up wherever those still describe its
// plane (same orientation, each point within WRITTEN_PLANE_TOLERANCE);
// otherwise the points it was read with, or the polygon corners that come
// closest. A face with a plane never gets three points on one line. True
// when they are the points it was read with at the file's own precision,
// which no edit has moved since.
bool face_points_to_write(const surf* s, double out[3][3]);
