#include "mapio/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

std::string failure(const std::string& what, const std::string& path, int err) {
  return what + " \"" + path + "\": " + std::strerror(err);
}

std::string directory_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Writes all of data to fd, retrying short writes. Returns 0 or an errno value.
int write_all(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Character devices (a terminal, /dev/null) cannot be replaced by renaming;
// they are written in place, still checking every write.
std::string write_device(const std::string& path, std::string_view data) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return failure("cannot open", path, errno);
  const int err = write_all(fd, data);
  const int close_err = ::close(fd) == 0 ? 0 : errno;
  if (err != 0) return failure("cannot write", path, err);
  if (close_err != 0) return failure("cannot write", path, close_err);
  return {};
}

// A name beside target that does not exist yet; the file is created with
// mode 0666 less the umask, like a plain new file.
int create_temporary(const std::string& target, std::string& name) {
  const std::string dir = directory_of(target);
  const auto slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  static unsigned counter = 0;
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = dir + "/." + base + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

}  // namespace

std::string write_file_atomically(const std::string& path, std::string_view data) {
  if (path.empty()) return "cannot save: no file name given";

  // Through a symbolic link the file it points to is replaced, not the link.
  std::string target = path;
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists) {
    if (S_ISDIR(st.st_mode)) return failure("cannot save", path, EISDIR);
    if (S_ISCHR(st.st_mode)) return write_device(path, data);
    if (!S_ISREG(st.st_mode)) return "cannot save \"" + path + "\": not a regular file";
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }

  std::string temp;
  const int fd = create_temporary(target, temp);
  if (fd < 0) return failure("cannot create a temporary file beside", path, errno);

  int err = write_all(fd, data);
  // Keep the permissions of the file being replaced.
  if (err == 0 && exists && ::fchmod(fd, st.st_mode & 07777) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return failure("cannot save", path, err);
  }

  // Make the rename itself durable; a failure here leaves a complete file
  // either way, so it is not reported.
  const int dir_fd = ::open(directory_of(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
  return {};
}
