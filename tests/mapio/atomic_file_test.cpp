#include "mapio/atomic_file.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

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

  // Everything in the folder, so a left-over temporary file shows.
  std::string listing() const {
    std::string names;
    for (const auto& e : fs::directory_iterator(dir_)) names += e.path().filename().string() + " ";
    return names;
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

}  // namespace

TEST_F(AtomicFile, ReplacesTheFileKeepingItsPermissionsAndFollowingLinks) {
  const fs::path target = dir_ / "a.map";
  ASSERT_EQ(write_file_atomically(target.string(), "first"), "");
  EXPECT_EQ(read_file(target), "first");

  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(write_file_atomically(target.string(), "second"), "");
  EXPECT_EQ(read_file(target), "second");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));

  const fs::path link = dir_ / "link.map";
  fs::create_symlink(target, link);
  ASSERT_EQ(write_file_atomically(link.string(), "third"), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(read_file(target), "third");
  EXPECT_EQ(listing().size(), std::string("a.map link.map ").size());
}

TEST_F(AtomicFile, AFailedWriteLeavesTheOldFileAndNoTemporary) {
  const fs::path target = dir_ / "a.map";
  put_file(target, "old contents");

  // A file size limit makes the write fail part-way, as a full disk would.
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string error = write_file_atomically(target.string(), std::string(100000, 'x'));
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_NE(error.find(target.string()), std::string::npos) << error;
  EXPECT_NE(error.find("File too large"), std::string::npos) << error;
  EXPECT_EQ(read_file(target), "old contents");
  EXPECT_EQ(listing(), "a.map ");
}

TEST_F(AtomicFile, TargetsThatCannotBeWrittenGiveAClearReason) {
  struct failing_case {
    std::string path;
    const char* reason;
  };
  fs::create_directories(dir_ / "folder");
  const failing_case cases[] = {
      {(dir_ / "missing" / "a.map").string(), "No such file or directory"},
      {(dir_ / "folder").string(), "Is a directory"},
      {"/dev/full", "No space left on device"},
      {"", "no file name"},
  };
  for (const failing_case& c : cases) {
    SCOPED_TRACE(c.path);
    const std::string error = write_file_atomically(c.path, "data");
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
  }
  EXPECT_EQ(listing(), "folder ");
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
