// Printing what the reader reported, shared by the commands that read maps.
#pragma once

#include <cstdio>
#include <string>

#include "mapio/map_reader.h"

// Prints every listed problem with its line to `to`, and how many more there were.
void print_problems(std::FILE* to, const char* path, const load_report& report);

// Reads the map at path for a command that writes `out` from it. A copy of a
// map that was only partly read would look complete, so then nothing stays
// loaded, the reason is printed and the result is false.
bool read_whole_map(const std::string& path, const std::string& out);
