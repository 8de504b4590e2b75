// A PAK archive of the game: a directory of named files packed one after
// another. Only the directory is held; an entry's bytes are read when asked.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct pak_entry {
  std::string name;  // as stored, with '/' between folders, e.g. "gfx/palette.lmp"
  std::uint32_t offset = 0, size = 0;
};

class pak_file {
 public:
  // Reads the directory of a PAK held in memory, keeping a copy of the bytes.
  // Returns "" on success, else why not.
  std::string parse(std::string_view bytes);
  // Reads the directory of the PAK at path; entries are read from the file
  // later, so a large PAK costs only its directory. "" or why not, naming the file.
  std::string open(const std::string& path);

  const std::vector<pak_entry>& entries() const { return entries_; }

  // The first entry called `name`, in any case; null when there is none.
  const pak_entry* find(std::string_view name) const;

  // The bytes of the entry called `name`, in any case, into `out`. "" on
  // success, else why not: no such entry, or it lies past the end of the file.
  std::string read(std::string_view name, std::string& out) const;

 private:
  std::string read_directory();
  bool read_range(std::uint64_t offset, std::uint64_t count, std::string& out) const;
  std::string where(std::string_view what) const;

  std::string path_;                  // empty when parsed from memory
  std::vector<std::uint8_t> memory_;  // the whole PAK when parsed from memory
  std::uint64_t size_ = 0;            // of the whole PAK
  std::vector<pak_entry> entries_;
};
