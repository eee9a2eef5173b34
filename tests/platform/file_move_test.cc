// Moving files never replaces anything, within a file system and across file systems.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>

#include "platform/posix/posix_move.h"
#include "platform/posix/posix_platform.h"
#include "support/temp_dir.h"

namespace velkor {
namespace {

using testing::FileExists;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

struct stat Stat(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

// A folder on another file system than the temp folder, or "" when there is none.
std::string OtherFileSystem(const std::string& here) {
  struct stat shm, tmp;
  if (stat("/dev/shm", &shm) != 0 || stat(here.c_str(), &tmp) != 0 || shm.st_dev == tmp.st_dev) return "";
  return "/dev/shm";
}

TEST(MoveFile, NeverReplacesAnExistingTarget) {
  TempDir dir;
  PosixPlatform platform;
  WriteFile(dir / "a", "source");
  WriteFile(dir / "b", "target");
  mkdir((dir / "folder").c_str(), 0755);
  symlink("nowhere", (dir / "dangling").c_str());

  using Move = SystemError (*)(PosixPlatform&, const std::string&, const std::string&);
  const Move moves[] = {
      [](PosixPlatform& p, const std::string& f, const std::string& t) { return p.MoveFile(f, t); },
      [](PosixPlatform&, const std::string& f, const std::string& t) { return posix::MoveByLink(f, t); },
      [](PosixPlatform&, const std::string& f, const std::string& t) { return posix::MoveByCopy(f, t); },
  };
  for (Move move : moves) {
    EXPECT_EQ(move(platform, dir / "a", dir / "b"), EEXIST);
    EXPECT_EQ(move(platform, dir / "a", dir / "folder"), EEXIST);
    EXPECT_EQ(move(platform, dir / "a", dir / "dangling"), EEXIST);
    EXPECT_EQ(move(platform, dir / "missing", dir / "c"), ENOENT);
    EXPECT_EQ(ReadFile(dir / "a"), "source");
    EXPECT_EQ(ReadFile(dir / "b"), "target");
    EXPECT_FALSE(FileExists(dir / "nowhere"));
    EXPECT_FALSE(FileExists(dir / "c"));
  }

  for (Move move : moves) {
    ASSERT_EQ(move(platform, dir / "a", dir / "c"), 0);
    EXPECT_FALSE(FileExists(dir / "a"));
    EXPECT_EQ(ReadFile(dir / "c"), "source");
    ASSERT_EQ(rename((dir / "c").c_str(), (dir / "a").c_str()), 0);
  }
}

TEST(MoveFile, AcrossFileSystemsKeepsContentModeAndTimes) {
  TempDir dir;
  std::string other = OtherFileSystem(dir.path());
  if (other.empty()) GTEST_SKIP() << "no second file system";
  TempDir far(other);
  PosixPlatform platform;

  std::string content(300000, '\0');
  for (size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
  WriteFile(dir / "song.mp3", content);
  chmod((dir / "song.mp3").c_str(), 0640);
  const struct timespec times[2] = {{1000000000, 5}, {1100000000, 7}};
  utimensat(AT_FDCWD, (dir / "song.mp3").c_str(), times, 0);

  ASSERT_EQ(platform.MoveFile(dir / "song.mp3", far / "moved.mp3"), 0);
  EXPECT_FALSE(FileExists(dir / "song.mp3"));
  EXPECT_EQ(ReadFile(far / "moved.mp3"), content);
  struct stat info = Stat(far / "moved.mp3");
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(info.st_mtim.tv_sec, 1100000000);
  EXPECT_EQ(info.st_mtim.tv_nsec, 7);

  // And back, onto a name that is taken: both stay as they are.
  WriteFile(dir / "taken.mp3", "taken");
  EXPECT_EQ(platform.MoveFile(far / "moved.mp3", dir / "taken.mp3"), EEXIST);
  EXPECT_EQ(ReadFile(far / "moved.mp3"), content);
  EXPECT_EQ(ReadFile(dir / "taken.mp3"), "taken");

  // Folders stay on their own file system.
  mkdir((dir / "folder").c_str(), 0755);
  EXPECT_EQ(platform.MoveFile(dir / "folder", far / "folder"), EXDEV);
  EXPECT_TRUE(FileExists(dir / "folder"));
  EXPECT_FALSE(FileExists(far / "folder"));

  // A symbolic link moves as a link.
  symlink("moved.mp3", (far / "link").c_str());
  ASSERT_EQ(platform.MoveFile(far / "link", dir / "link"), 0);
  EXPECT_TRUE(S_ISLNK(Stat(dir / "link").st_mode));
  EXPECT_FALSE(FileExists(far / "link"));
}

// The copy runs out of room half way: the source stays whole and no partial target is left.
TEST(MoveFile, AFailureHalfWayAcrossFileSystemsLosesNothing) {
  TempDir dir;
  std::string other = OtherFileSystem(dir.path());
  if (other.empty()) GTEST_SKIP() << "no second file system";
  TempDir far(other);
  PosixPlatform platform;
  std::string content(1 << 20, 'x');
  WriteFile(dir / "big.mp3", content);

  struct rlimit saved;
  getrlimit(RLIMIT_FSIZE, &saved);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 200000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  SystemError error = platform.MoveFile(dir / "big.mp3", far / "big.mp3");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);

  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(ReadFile(dir / "big.mp3"), content);
  EXPECT_FALSE(FileExists(far / "big.mp3"));
}

}  // namespace
}  // namespace velkor
