// The POSIX platform's file moves never replace anything, within a file system or across
// file systems, and its reads and writes fail rather than hang.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "platform/posix/posix_move.h"
#include "platform/posix/posix_platform.h"
#include "support/support.h"

namespace velkor::testing {
namespace {

class FileMoveTest : public ::testing::Test {
 protected:
  PosixPlatform platform_;
  TempDir dir_;
};

TEST_F(FileMoveTest, NothingIsEverReplaced) {
  WriteFile(dir_ / "a", "source");
  WriteFile(dir_ / "b", "target");
  mkdir((dir_ / "folder").c_str(), 0755);
  ASSERT_EQ(symlink("nowhere", (dir_ / "dangling").c_str()), 0);
  using Move = SystemError (*)(const std::string&, const std::string&);
  const std::pair<const char*, Move> moves[] = {
      {"MoveFile", [](const std::string& from, const std::string& to) { return PosixPlatform().MoveFile(from, to); }},
      {"by link", posix::MoveByLink}, {"by copy", posix::MoveByCopy}};
  const struct {
    const char *from, *to;
    SystemError error;
    const char *source_at, *absent;  // where the source's content is afterwards; what must not exist
  } rows[] = {{"a", "b", EEXIST, "a", "c"},          {"a", "folder", EEXIST, "a", "c"},
              {"a", "dangling", EEXIST, "a", "nowhere"}, {"missing", "c", ENOENT, "a", "c"},
              {"a", "c", 0, "c", "a"},               {"c", "a", 0, "a", "c"}};
  for (const auto& [name, move] : moves) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(name) + ": " + row.from + " to " + row.to);
      EXPECT_EQ(move(dir_ / row.from, dir_ / row.to), row.error);
      EXPECT_EQ(ReadFile(dir_ / row.source_at), "source");
      EXPECT_EQ(ReadFile(dir_ / "b"), "target");
      EXPECT_FALSE(FileExists(dir_ / row.absent));
    }
  }
  EXPECT_EQ(posix::MoveByLink(dir_ / "folder", dir_ / "moved"), EINVAL);
  EXPECT_EQ(posix::MoveByCopy(dir_ / "folder", dir_ / "moved"), EXDEV);
}

TEST_F(FileMoveTest, AcrossFileSystemsByAFaithfulCopyOrNotAtAll) {
  struct stat info {}, shm {};
  stat(dir_.path().c_str(), &info);
  if (stat("/dev/shm", &shm) != 0 || shm.st_dev == info.st_dev) GTEST_SKIP() << "no second file system";
  TempDir far("/dev/shm");
  std::string content(300000, '\0');  // several pieces of copying
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  WriteFile(dir_ / "song.mp3", content);
  chmod((dir_ / "song.mp3").c_str(), 0640);
  const struct timespec times[2] = {{1000000000, 5}, {1100000000, 7}};
  utimensat(AT_FDCWD, (dir_ / "song.mp3").c_str(), times, 0);
  ASSERT_EQ(platform_.MoveFile(dir_ / "song.mp3", far / "moved.mp3"), 0);
  EXPECT_FALSE(FileExists(dir_ / "song.mp3"));
  EXPECT_EQ(ReadFile(far / "moved.mp3"), content);
  lstat((far / "moved.mp3").c_str(), &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_mtim.tv_sec, 1100000000);
  EXPECT_EQ(info.st_mtim.tv_nsec, 7);

  mkdir((dir_ / "folder").c_str(), 0755);  // folders stay on their own file system
  EXPECT_EQ(platform_.MoveFile(dir_ / "folder", far / "folder"), EXDEV);
  ASSERT_EQ(symlink("moved.mp3", (far / "link").c_str()), 0);  // a link moves as a link
  ASSERT_EQ(platform_.MoveFile(far / "link", dir_ / "link"), 0);
  EXPECT_TRUE(lstat((dir_ / "link").c_str(), &info) == 0 && S_ISLNK(info.st_mode));
  EXPECT_FALSE(FileExists(far / "link") || FileExists(far / "folder"));

  // The copy runs out of room half way: the source stays whole, no partial target is left.
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 200000;
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  SystemError error = platform_.MoveFile(far / "moved.mp3", dir_ / "big.mp3");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadFile(far / "moved.mp3"), content);
  EXPECT_FALSE(FileExists(dir_ / "big.mp3"));
}

TEST_F(FileMoveTest, ReadsAndWritesThatCannotBeDoneFail) {
  WriteFile(dir_ / "f", "12345678");
  int read_only = open((dir_ / "f").c_str(), O_RDONLY | O_CLOEXEC);
  int write_only = open((dir_ / "f").c_str(), O_WRONLY | O_CLOEXEC);
  char buffer[16];
  EXPECT_EQ(platform_.ReadAt(write_only, buffer, 10, 0), -1);
  EXPECT_EQ(platform_.WriteAt(read_only, buffer, 10, 0), -1);
  EXPECT_NE(platform_.Truncate(read_only, 0), 0);
  EXPECT_EQ(platform_.ReadAt(read_only, buffer, 10, 5), 3);
  EXPECT_EQ(platform_.ReadAt(read_only, buffer, 10, 8), 0);
  close(read_only);
  close(write_only);
}

}  // namespace
}  // namespace velkor::testing
