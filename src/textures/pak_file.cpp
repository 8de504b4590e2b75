#include "textures/pak_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "textures/byte_fields.h"

namespace {

constexpr std::size_t HEADER_BYTES = 12;
constexpr std::size_t ENTRY_BYTES = 64;
constexpr std::size_t NAME_BYTES = 56;

struct file_closer {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using file_ptr = std::unique_ptr<std::FILE, file_closer>;

}  // namespace

std::string pak_file::parse(std::string_view bytes) {
  path_.clear();
  const byte_span b = as_bytes(bytes);
  memory_.assign(b.begin(), b.end());
  size_ = memory_.size();
  return read_directory();
}

std::string pak_file::open(const std::string& path) {
  path_ = path;
  memory_.clear();
  entries_.clear();
  const file_ptr f(std::fopen(path.c_str(), "rb"));
  struct stat st {};
  if (!f) return "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
  if (::fstat(::fileno(f.get()), &st) != 0 || !S_ISREG(st.st_mode)) {
    return "Cannot read \"" + path + "\": it is not a regular file.";
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  const std::string error = read_directory();
  return error.empty() ? "" : "Cannot read \"" + path + "\": " + error + ".";
}

std::string pak_file::read_directory() {
  entries_.clear();
  std::string header;
  if (!read_range(0, HEADER_BYTES, header)) return "it is too short for a PAK file";
  const byte_span h = as_bytes(header);
  if (header.compare(0, 4, "PACK") != 0) return "it is not a PAK file";
  const std::int32_t offset = i32_at(h, 4), length = i32_at(h, 8);
  if (offset < 0 || length < 0 || length % ENTRY_BYTES != 0) return "its directory is damaged";
  std::string directory;
  if (!read_range(static_cast<std::uint64_t>(offset), static_cast<std::uint64_t>(length), directory)) {
    return "its directory lies past the end of the file";
  }
  const byte_span d = as_bytes(directory);
  for (std::size_t at = 0; at < d.size(); at += ENTRY_BYTES) {
    entries_.push_back(
        {name_at(d, at, NAME_BYTES), u32_at(d, at + NAME_BYTES), u32_at(d, at + NAME_BYTES + 4)});
  }
  return "";
}

const pak_entry* pak_file::find(std::string_view name) const {
  for (const pak_entry& e : entries_) {
    if (same_name(e.name, name)) return &e;
  }
  return nullptr;
}

std::string pak_file::read(std::string_view name, std::string& out) const {
  const pak_entry* e = find(name);
  if (e == nullptr) return where(name) + " is not there";
  // Offsets are signed in the file; a negative one reads as beyond any file here.
  if (!read_range(e->offset, e->size, out)) return where(name) + " lies past the end of the file";
  return "";
}

bool pak_file::read_range(std::uint64_t offset, std::uint64_t count, std::string& out) const {
  if (offset > size_ || count > size_ - offset) return false;
  if (path_.empty()) {
    out.assign(memory_.begin() + static_cast<std::ptrdiff_t>(offset),
               memory_.begin() + static_cast<std::ptrdiff_t>(offset + count));
    return true;
  }
  const file_ptr f(std::fopen(path_.c_str(), "rb"));
  if (!f || ::fseeko(f.get(), static_cast<off_t>(offset), SEEK_SET) != 0) return false;
  out.resize(count);
  return std::fread(out.data(), 1, count, f.get()) == count;
}

std::string pak_file::where(std::string_view what) const {
  std::string s = in_quotes(what);
  if (!path_.empty()) s += " in " + in_quotes(path_);
  return s;
}
