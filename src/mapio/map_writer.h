// Writing the map model as a .map file: brush entities with brushes first,
// then point entities, each with its key/value pairs in order.
#pragma once

#include <string>

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

// Writes map_text() to path, replacing the file only once all of it is
// written. Returns "" on success, else the reason.
std::string write_map(const std::string& path);

// The three whole-numbered points written for face s. They are the face's
// first three points rounded half up wherever those still describe its
// plane (same orientation, each point within WRITTEN_PLANE_TOLERANCE);
// otherwise the points it was read with, or the polygon corners that come
// closest. A face with a plane never gets three points on one line. True
// when they are the points it was read with at the file's own precision,
// which no edit has moved since.
bool face_points_to_write(const surf* s, double out[3][3]);
