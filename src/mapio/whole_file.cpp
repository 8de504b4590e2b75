#include "mapio/whole_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

std::string read_whole_file(const std::string& path, std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return "Cannot open \"" + path + "\": " + std::strerror(errno) + ".";
  // Read in one piece when the size is known; a file that grows meanwhile is
  // still read to its end.
  text.clear();
  struct stat st {};
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode))
    text.resize(static_cast<std::size_t>(st.st_size));
  text.resize(std::fread(text.data(), 1, text.size(), f));
  char buf[1 << 16];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  const bool failed = std::ferror(f) != 0;
  const int err = errno;
  std::fclose(f);
  if (failed) return "Cannot read \"" + path + "\": " + std::strerror(err) + ".";
  return "";
}
