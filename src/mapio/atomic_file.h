// Writing a whole file so that a failure never leaves a half-written or empty
// file behind: the data goes to a temporary file beside the target, which
// replaces the target only when every byte is on disk.
//
// What a save keeps:
// - the file it replaces, as NAME.bak beside it (one generation; a name too
//   long for the folder to take ".bak" is saved without one);
// - symbolic links: the file at the end of the chain is written, even one
//   that does not exist yet;
// - hard links: a file with more than one name is rewritten in place;
// - owner, group and mode of the file replaced.
// A file nobody may write (no write bit, even for the superuser) or that this
// user may not write is refused.
#pragma once

#include <string>
#include <string_view>

// Writes data to path. Returns "" on success, else a sentence giving the path
// and the reason; on failure the old file and its backup are as they were,
// except after a failed in-place write, where the message names the backup
// that holds the previous text.
std::string write_file_atomically(const std::string& path, std::string_view data);
