// Printing what the reader reported, shared by the commands that read maps.
#pragma once

#include <cstdio>

#include "mapio/map_reader.h"

// Prints every listed problem with its line to `to`, and how many more there were.
void print_problems(std::FILE* to, const char* path, const load_report& report);
