#include "mapio/atomic_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("veld-atomic-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Everything in the folder, sorted, so a left-over temporary file shows.
  std::string listing() const { return listing(dir_); }
  static std::string listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string text;
    for (const std::string& name : names) text += name + " ";
    return text;
  }

  fs::path dir_;
};

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void put_file(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

struct stat stat_of(const fs::path& p) {
  struct stat st {};
  ::lstat(p.c_str(), &st);
  return st;
}

}  // namespace

TEST_F(AtomicFile, EachSaveKeepsTheFileItReplacesAsTheOneBackup) {
  const fs::path target = dir_ / "a.map";
  const fs::path backup = dir_ / "a.map.bak";
  ASSERT_EQ(write_file_atomically(target.string(), "first"), "");
  EXPECT_EQ(listing(), "a.map ");
  ASSERT_EQ(write_file_atomically(target.string(), "second"), "");
  ASSERT_EQ(write_file_atomically(target.string(), "third"), "");
  EXPECT_EQ(read_file(target), "third");
  EXPECT_EQ(read_file(backup), "second");
  EXPECT_EQ(listing(), "a.map a.map.bak ");

  // A backup name that cannot be replaced undoes the save.
  fs::remove(backup);
  fs::create_directories(backup / "inside");
  EXPECT_EQ(write_file_atomically(target.string(), "fourth"),
            "cannot keep the backup \"" + backup.string() + "\": Is a directory");
  EXPECT_EQ(read_file(target), "third");
  EXPECT_TRUE(fs::exists(backup / "inside"));
  EXPECT_EQ(listing(), "a.map a.map.bak ");
}

TEST_F(AtomicFile, ReadOnlyFilesAreRefusedAndOwnerAndModeAreKept) {
  const fs::path target = dir_ / "a.map";
  put_file(target, "old");
  // The mode says read-only, which binds the superuser too.
  ::chmod(target.c_str(), 0444);
  EXPECT_EQ(write_file_atomically(target.string(), "new"),
            "cannot save \"" + target.string() + "\": the file is read-only");
  EXPECT_EQ(read_file(target), "old");
  EXPECT_EQ(listing(), "a.map ");

  // The superuser saving another user's file leaves it theirs. The owner is
  // changed before the mode, since a change of owner clears the set-user-id bit.
  if (::geteuid() == 0) ASSERT_EQ(::chown(target.c_str(), 1234, 1234), 0);
  ::chmod(target.c_str(), 04750);
  const struct stat before = stat_of(target);
  ASSERT_EQ(write_file_atomically(target.string(), "new"), "");
  EXPECT_EQ(read_file(target), "new");
  for (const fs::path& p : {target, dir_ / "a.map.bak"}) {
    SCOPED_TRACE(p);
    const struct stat after = stat_of(p);
    EXPECT_EQ(after.st_mode & 07777, 04750u);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
  }
}

TEST_F(AtomicFile, WritesThroughChainsOfLinksDanglingOnesIncluded) {
  const fs::path target = dir_ / "a.map";
  put_file(target, "old");
  fs::create_directories(dir_ / "sub");
  fs::create_symlink(target, dir_ / "absolute.map");
  fs::create_symlink("a.map", dir_ / "relative.map");
  // A relative link is read from the folder it sits in.
  const fs::path chain = dir_ / "sub" / "chain.map";
  fs::create_symlink("../relative.map", chain);
  ASSERT_EQ(write_file_atomically(chain.string(), "new"), "");
  ASSERT_EQ(write_file_atomically((dir_ / "absolute.map").string(), "newer"), "");
  EXPECT_EQ(read_file(target), "newer");
  EXPECT_EQ(read_file(dir_ / "a.map.bak"), "new");
  for (const char* name : {"absolute.map", "relative.map", "sub/chain.map"}) {
    EXPECT_TRUE(fs::is_symlink(dir_ / name)) << name;
  }

  const fs::path dangling = dir_ / "dangling.map";
  fs::create_symlink("sub/made.map", dangling);
  ASSERT_EQ(write_file_atomically(dangling.string(), "made"), "");
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_EQ(read_file(dir_ / "sub" / "made.map"), "made");

  fs::create_symlink("loop2.map", dir_ / "loop1.map");
  fs::create_symlink("loop1.map", dir_ / "loop2.map");
  const fs::path loop = dir_ / "loop1.map";
  EXPECT_EQ(write_file_atomically(loop.string(), "data"),
            "cannot save \"" + loop.string() + "\": Too many levels of symbolic links");
  EXPECT_EQ(listing(), "a.map a.map.bak absolute.map dangling.map loop1.map loop2.map relative.map sub ");
  EXPECT_EQ(listing(dir_ / "sub"), "chain.map made.map ");
}

TEST_F(AtomicFile, HardLinkedFilesAreRewrittenInPlace) {
  const fs::path target = dir_ / "a.map";
  put_file(target, "old");
  fs::create_hard_link(target, dir_ / "b.map");
  const ino_t inode = stat_of(target).st_ino;
  ASSERT_EQ(write_file_atomically(target.string(), "new"), "");
  EXPECT_EQ(read_file(dir_ / "b.map"), "new");
  EXPECT_EQ(stat_of(target).st_ino, inode);
  EXPECT_EQ(stat_of(target).st_nlink, 2u);
  EXPECT_EQ(read_file(dir_ / "a.map.bak"), "old");
  EXPECT_EQ(stat_of(dir_ / "a.map.bak").st_nlink, 1u);
  EXPECT_EQ(listing(), "a.map a.map.bak b.map ");
}

TEST_F(AtomicFile, NamesUpToTheFolderLimitAreSaved) {
  const long limit = ::pathconf(dir_.c_str(), _PC_NAME_MAX);
  ASSERT_GT(limit, 8);
  // The longest name has no room for ".bak" and is saved without a backup.
  const std::string longest = std::string(static_cast<std::size_t>(limit) - 4, 'n') + ".map";
  const std::string shorter = std::string(static_cast<std::size_t>(limit) - 8, 's') + ".map";
  for (const std::string& name : {longest, shorter}) {
    ASSERT_EQ(write_file_atomically((dir_ / name).string(), "one"), "");
    ASSERT_EQ(write_file_atomically((dir_ / name).string(), "two"), "");
    EXPECT_EQ(read_file(dir_ / name), "two");
  }
  EXPECT_EQ(read_file(dir_ / (shorter + ".bak")), "one");
  EXPECT_EQ(listing(), longest + " " + shorter + " " + shorter + ".bak ");
}

TEST_F(AtomicFile, AFileSizeLimitIsReportedAndLeavesOldFilesAndBackups) {
  const fs::path target = dir_ / "a.map";
  put_file(target, "old text");
  put_file(dir_ / "a.map.bak", "old backup");
  const fs::path linked = dir_ / "h.map";
  put_file(linked, "linked text");
  fs::create_hard_link(linked, dir_ / "h2.map");

  // In a child: the limit, and the signal left at its default (which ends the
  // process), must not reach the test program.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(fds[0]);
    struct rlimit small {};
    ::getrlimit(RLIMIT_FSIZE, &small);
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::signal(SIGXFSZ, SIG_DFL);
    const std::string big(100000, 'x');
    std::string report = write_file_atomically(target.string(), big) + "\n";
    report += write_file_atomically(linked.string(), big) + "\n";
    report += std::signal(SIGXFSZ, SIG_DFL) == SIG_DFL ? "signal restored" : "signal changed";
    const bool sent = ::write(fds[1], report.data(), report.size()) == static_cast<ssize_t>(report.size());
    ::_exit(sent ? 0 : 1);
  }
  ::close(fds[1]);
  std::string report;
  char buffer[1024];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(n));
  ::close(fds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;

  EXPECT_EQ(report, "cannot save \"" + target.string() + "\": File too large\ncannot save \"" +
                        linked.string() + "\": File too large; its previous text is kept in \"" +
                        linked.string() + ".bak\"\nsignal restored");
  EXPECT_EQ(read_file(target), "old text");
  EXPECT_EQ(read_file(dir_ / "a.map.bak"), "old backup");
  EXPECT_EQ(read_file(linked), "linked text");
  EXPECT_EQ(read_file(dir_ / "h2.map"), "linked text");
  EXPECT_EQ(read_file(dir_ / "h.map.bak"), "linked text");
  EXPECT_EQ(listing(), "a.map a.map.bak h.map h.map.bak h2.map ");
}

TEST_F(AtomicFile, TargetsThatCannotBeWrittenGiveAClearReason) {
  struct failing_case {
    std::string path;
    const char* reason;
  };
  fs::create_directories(dir_ / "folder");
  ASSERT_EQ(::mkfifo((dir_ / "pipe").c_str(), 0644), 0);
  const failing_case cases[] = {
      {(dir_ / "missing" / "a.map").string(), "No such file or directory"},
      {(dir_ / "folder").string(), "Is a directory"},
      {"/dev/full", "No space left on device"},
      {(dir_ / "pipe").string(), "not a regular file"},
      {"", "no file name"},
  };
  for (const failing_case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string error = write_file_atomically(c.path, "data");
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
  }
  EXPECT_EQ(listing(), "folder pipe ");
  EXPECT_TRUE(fs::is_character_file("/dev/full"));
  EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
}

TEST_F(AtomicFile, AnUnwritableFolderIsReported) {
  if (::geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser";
  const fs::path locked = dir_ / "locked";
  fs::create_directories(locked);
  ::chmod(locked.c_str(), 0555);
  const std::string error = write_file_atomically((locked / "a.map").string(), "data");
  ::chmod(locked.c_str(), 0755);
  EXPECT_NE(error.find("Permission denied"), std::string::npos) << error;
  EXPECT_TRUE(fs::is_empty(locked));
}
