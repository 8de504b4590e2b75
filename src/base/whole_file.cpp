#include "base/whole_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

std::string too_large(const std::string& path) {
  return "Cannot read \"" + path + "\": it is larger than 1 GiB.";
}

}  // namespace

std::string read_whole_file(const std::string& path, std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
  text.clear();
  struct stat st {};
  if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    std::fclose(f);
    return "Cannot read \"" + path + "\": it is not a regular file.";
  }
  if (static_cast<std::size_t>(st.st_size) > MAX_FILE_BYTES) {
    std::fclose(f);
    return too_large(path);
  }
  // Read in one piece when the size is known; a file that grows meanwhile is
  // still read to its end, up to the limit.
  text.resize(static_cast<std::size_t>(st.st_size));
  text.resize(std::fread(text.data(), 1, text.size(), f));
  char buf[1 << 16];
  for (std::size_t n; text.size() <= MAX_FILE_BYTES && (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
    text.append(buf, n);
  const bool failed = std::ferror(f) != 0;
  const int err = errno;
  std::fclose(f);
  if (failed) return "Cannot read \"" + path + "\": " + std::strerror(err) + ".";
  if (text.size() > MAX_FILE_BYTES) return too_large(path);
  return "";
}
