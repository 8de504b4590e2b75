// What the benchmark programs share: the maps they read, the folder their
// made-up maps go to, and the timed read of a map.
#pragma once

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

// One of the real maps, by file name. They are not part of the project: they
// are read from VELD_MAPS_DIR, and cases whose map is not there are skipped.
std::string map_path(const std::string& name);

// The original maps there, sorted by name; none where the folder is absent.
std::vector<std::string> original_maps();

// A 2 x 2 tiling of dm1.map: 12,320 faces, about as many as the largest level
// of the original game has (12,004; our eight stop at about 7,600). Empty when
// it could not be made.
std::string twelve_thousand_faces();
constexpr const char* TWELVE_THOUSAND_NAME = "dm1_2x2";

// A folder for files the benchmarks write. It is removed when the process
// ends, unless it was named by VELD_BENCH_DIR, which keeps what is made there.
std::filesystem::path scratch_dir();

// Faces of the map in memory that could not be built (fewer than 3 points),
// such as those of brushes beyond the square a plane polygon starts from.
int unbuilt_faces();

// Reads the map at path for a case that works on it; false, with the case
// skipped and the reason given, when there is no map or it does not read.
bool load_for(benchmark::State& state, const std::string& path);

// Reads the map at path once per iteration, skipping the case with the
// reader's error when it fails or stops early; the model is released between
// reads outside the timing and after the last one. Reports the unbuilt faces
// when there are any. Returns the mean seconds of one read, timed by its own
// clock.
double time_loads(benchmark::State& state, const std::string& path);

// The same for the editor's open: the read and the undo history's first
// snapshot, the history let go between opens outside the timing.
double time_opens(benchmark::State& state, const std::string& path);
