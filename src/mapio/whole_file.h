// Reading a whole file into memory for the file readers.
#pragma once

#include <string>

// Reads the file at path into text. Returns "" on success, else a sentence
// naming the file and the reason ("Cannot open ...", "Cannot read ...").
std::string read_whole_file(const std::string& path, std::string& text);
