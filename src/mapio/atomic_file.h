// Writing a whole file so that a failure never leaves a half-written or empty
// file behind: the data goes to a temporary file beside the target, which
// replaces the target only when every byte is on disk.
#pragma once

#include <string>
#include <string_view>

// Writes data to path. Returns "" on success, else a sentence giving the path
// and the reason; on failure the old file, if any, is as it was.
std::string write_file_atomically(const std::string& path, std::string_view data);
