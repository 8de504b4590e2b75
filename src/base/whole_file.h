// Reading a whole file into memory for the file readers.
#pragma once

#include <cstddef>
#include <string>

// The largest file read: far beyond any map or object file, and small
// enough to hold in memory.
constexpr std::size_t MAX_FILE_BYTES = std::size_t{1} << 30;

// Reads the file at path into text. Returns "" on success, else a sentence
// naming the file and the reason ("Cannot open ...", "Cannot read ...").
// Only regular files of at most MAX_FILE_BYTES are read: a device such as
// /dev/zero never ends.
std::string read_whole_file(const std::string& path, std::string& text);
