#include "mapio/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

std::string quoted(const std::string& path) { return "\"" + path + "\""; }

std::string failure(const std::string& what, const std::string& path, int err) {
  return what + " " + quoted(path) + ": " + std::strerror(err);
}

std::string directory_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// SIGXFSZ ignored for as long as one of these lives. Under a file size limit
// (ulimit -f) the write that passes it would kill the program and leave the
// temporary file behind; with the signal ignored, it fails with EFBIG.
class sigxfsz_ignored {
 public:
  sigxfsz_ignored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGXFSZ, &ignore, &saved_);
  }
  ~sigxfsz_ignored() { ::sigaction(SIGXFSZ, &saved_, nullptr); }
  sigxfsz_ignored(const sigxfsz_ignored&) = delete;
  sigxfsz_ignored& operator=(const sigxfsz_ignored&) = delete;

 private:
  struct sigaction saved_ {};
};

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

int read_whole(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  char buffer[65536];
  int err = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) err = errno;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return err;
}

// Follows the chain of symbolic links from path to the name really written,
// resolving each relative link from the folder it sits in. Returns 0 with st
// filled when that name exists, ENOENT when it does not (a new file or a
// dangling link), else an errno value.
int find_target(const std::string& path, std::string& target, struct stat& st) {
  target = path;
  // The kernel's own limit on links followed in one lookup.
  for (int hops = 0; hops <= 40; ++hops) {
    if (::lstat(target.c_str(), &st) != 0) return errno;
    if (!S_ISLNK(st.st_mode)) return 0;
    char link[PATH_MAX];
    const ssize_t n = ::readlink(target.c_str(), link, sizeof link);
    if (n < 0) return errno;
    if (static_cast<std::size_t>(n) == sizeof link) return ENAMETOOLONG;
    const std::string next(link, static_cast<std::size_t>(n));
    target = next.front() == '/' ? next : directory_of(target) + "/" + next;
  }
  return ELOOP;
}

// The superuser passes every access check, yet a file that nobody may write
// was made read-only on purpose, so it is refused to everyone.
int check_writable(const std::string& target, const struct stat& st) {
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return errno;
  if (::geteuid() == 0 && (st.st_mode & 0222) == 0) return EACCES;
  return 0;
}

// Whether a new file of ours can be given the owner and group in st.
bool can_give_owner(const struct stat& st) {
  const uid_t uid = ::geteuid();
  if (uid == 0) return true;
  if (st.st_uid != uid) return false;
  if (st.st_gid == ::getegid()) return true;
  std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int n = ::getgroups(static_cast<int>(groups.size()), groups.data());
  return n > 0 && std::find(groups.begin(), groups.begin() + n, st.st_gid) != groups.begin() + n;
}

// target + ".bak", or "" when its folder cannot hold a name that long.
std::string backup_name(const std::string& target) {
  const auto slash = target.rfind('/');
  const std::size_t base = slash == std::string::npos ? target.size() : target.size() - slash - 1;
  long limit = ::pathconf(directory_of(target).c_str(), _PC_NAME_MAX);
  if (limit < 0) limit = NAME_MAX;
  return base + 4 > static_cast<std::size_t>(limit) ? std::string() : target + ".bak";
}

// A short new name beside target, so that a target whose own name is near the
// length limit still gets one. Created with mode 0666 less the umask, like any
// new file.
int create_temporary(const std::string& target, std::string& name) {
  static constexpr char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  static std::atomic<std::uint64_t> counter{0};
  const std::string dir = directory_of(target);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::uint64_t n = static_cast<std::uint64_t>(::getpid()) * 7919u + counter++ * 104729u +
                      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    name = dir + "/.veld-";
    for (int i = 0; i < 6; ++i, n /= 36) name += digits[n % 36];
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  errno = EEXIST;
  return -1;
}

// Puts data on disk in a new temporary file beside target, with the owner and
// mode of like when given. Returns 0 with name set, or an errno value with
// nothing left behind.
int store_temporary(const std::string& target, std::string_view data, const struct stat* like,
                    std::string& name) {
  const int fd = create_temporary(target, name);
  if (fd < 0) return errno;
  int err = write_all(fd, data);
  if (err == 0 && like != nullptr) {
    // The owner goes first, since changing it clears set-id bits that the mode
    // then puts back. A folder that does not keep owners still gets the file.
    [[maybe_unused]] const int chowned = ::fchown(fd, like->st_uid, like->st_gid);
    if (::fchmod(fd, like->st_mode & 07777) != 0) err = errno;
  }
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) ::unlink(name.c_str());
  return err;
}

// Makes the renames in target's folder durable; a failure here leaves a
// complete file either way, so it is not reported.
void sync_folder(const std::string& target) {
  const int fd = ::open(directory_of(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Character devices (a terminal, /dev/null) cannot be replaced by renaming;
// they are written in place, still checking every write. They keep no backup.
std::string write_device(const std::string& path, const std::string& target, std::string_view data) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return failure("cannot open", path, errno);
  const int err = write_all(fd, data);
  const int close_err = ::close(fd) == 0 ? 0 : errno;
  if (err != 0) return failure("cannot write", path, err);
  if (close_err != 0) return failure("cannot write", path, close_err);
  return {};
}

// Renames a complete temporary file over target. old describes the file being
// replaced, if any; a copy of it becomes the backup only after the new file is
// in, so a failure before then leaves the old file and the old backup alone.
std::string replace(const std::string& path, const std::string& target, const struct stat* old,
                    std::string_view data) {
  std::string temp;
  if (const int err = store_temporary(target, data, old, temp); err != 0)
    return failure("cannot save", path, err);

  const std::string backup = old != nullptr ? backup_name(target) : std::string();
  std::string backup_temp;
  if (!backup.empty()) {
    std::string previous;
    int err = read_whole(target, previous);
    if (err == 0) err = store_temporary(target, previous, old, backup_temp);
    if (err != 0) {
      ::unlink(temp.c_str());
      return failure("cannot keep the backup", backup, err);
    }
  }

  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    if (!backup_temp.empty()) ::unlink(backup_temp.c_str());
    return failure("cannot save", path, err);
  }
  if (!backup_temp.empty() && ::rename(backup_temp.c_str(), backup.c_str()) != 0) {
    const int err = errno;
    // The copy of the old file goes back under its name: the save is undone
    // rather than leaving the user without the backup they expect.
    ::rename(backup_temp.c_str(), target.c_str());
    return failure("cannot keep the backup", backup, err);
  }
  sync_folder(target);
  return {};
}

// A file with several names, or one whose owner could not be given to a new
// file of ours, is rewritten in place: a rename would split the names or take
// the file over. The previous text becomes the backup first and, should the
// write fail, is put back.
std::string write_in_place(const std::string& path, const std::string& target, const struct stat& st,
                           std::string_view data) {
  std::string previous;
  if (const int err = read_whole(target, previous); err != 0) return failure("cannot save", path, err);
  const std::string backup = backup_name(target);
  if (!backup.empty()) {
    std::string temp;
    int err = store_temporary(target, previous, &st, temp);
    if (err == 0 && ::rename(temp.c_str(), backup.c_str()) != 0) {
      err = errno;
      ::unlink(temp.c_str());
    }
    if (err != 0) return failure("cannot keep the backup", backup, err);
    sync_folder(target);
  }

  const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return failure("cannot save", path, errno);
  int err = write_all(fd, data);
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (err != 0 && ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0 && write_all(fd, previous) == 0) {
    ::fsync(fd);
  }
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0) return {};
  std::string message = failure("cannot save", path, err);
  if (!backup.empty()) message += "; its previous text is kept in " + quoted(backup);
  return message;
}

}  // namespace

std::string write_file_atomically(const std::string& path, std::string_view data) {
  if (path.empty()) return "cannot save: no file name given";
  const sigxfsz_ignored during_save;

  std::string target;
  struct stat st {};
  const int found = find_target(path, target, st);
  if (found == ENOENT) return replace(path, target, nullptr, data);
  if (found != 0) return failure("cannot save", path, found);

  if (S_ISDIR(st.st_mode)) return failure("cannot save", path, EISDIR);
  if (S_ISCHR(st.st_mode)) return write_device(path, target, data);
  if (!S_ISREG(st.st_mode)) return "cannot save " + quoted(path) + ": not a regular file";
  if (const int err = check_writable(target, st); err != 0) {
    if (err == EACCES || err == EPERM) return "cannot save " + quoted(path) + ": the file is read-only";
    return failure("cannot save", path, err);
  }
  if (st.st_nlink > 1 || !can_give_owner(st)) return write_in_place(path, target, st, data);
  return replace(path, target, &st, data);
}
