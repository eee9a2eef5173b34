// The POSIX platform's file moves never replace anything, within a file system or across
// file systems; across them the copy keeps content, mode, times and (run as root, label
// privileged) owner and group, and never leaves a set-id file owned by someone else.
// Its reads and writes fail rather than hang.
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "platform/posix/posix_move.h"
#include "platform/posix/posix_platform.h"
#include "support/support.h"

namespace velkor::testing {
namespace {

constexpr uid_t kRoot = 0, kNobody = 65534;

int EntryCount(const std::string& folder) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Moves in a child process running as `mover` (its own group only, unless it is who runs
// the test) with files up to `size_limit` bytes (0: any); the move's error number.
SystemError MoveAs(uid_t mover, rlim_t size_limit, const std::string& from, const std::string& to) {
  pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{size_limit, RLIM_INFINITY};
    bool ok = (size_limit == 0 || setrlimit(RLIMIT_FSIZE, &limit) == 0) &&
              (mover == geteuid() || (setgroups(0, nullptr) == 0 && setresgid(mover, mover, mover) == 0 &&
                                      setresuid(mover, mover, mover) == 0));
    _exit(ok ? PosixPlatform().MoveFile(from, to) : 255);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

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
  EXPECT_EQ(MoveAs(geteuid(), 200000, far / "moved.mp3", dir_ / "big.mp3"), EFBIG);
  EXPECT_EQ(ReadFile(far / "moved.mp3"), content);
  EXPECT_FALSE(FileExists(dir_ / "big.mp3"));
}

TEST(MoveFileOwner, KeptAcrossFileSystemsAndSetIdBitsOnlyWithIt) {
  if (geteuid() != kRoot) GTEST_SKIP() << "needs root to give files away";
  const struct {
    const char* what;
    uid_t mover, owner;
    gid_t group;
    mode_t mode, want_mode;  // mode 0: a symbolic link
  } rows[] = {
      {"root moves a user's setuid file", kRoot, kNobody, kNobody, 04755, 04755},
      {"root moves a user's private file", kRoot, kNobody, kNobody, 0600, 0600},
      {"root moves its own set-id file", kRoot, kRoot, kNobody, 06750, 06750},
      {"root moves a user's link", kRoot, kNobody, kNobody, 0, 0777},
      {"a user moves its set-id file", kNobody, kNobody, kNobody, 06755, 06755},
      {"a user moves its file of a foreign group", kNobody, kNobody, kRoot, 06755, 0755},
  };
  TempDir near, far("/dev/shm");
  chmod(near.path().c_str(), 0777);
  chmod(far.path().c_str(), 0777);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string from = far / "song.mp3", to = near / "moved.mp3";
    if (row.mode == 0) ASSERT_EQ(symlink("elsewhere.mp3", from.c_str()), 0);
    else WriteFile(from, std::string(300000, 'm'));
    ASSERT_EQ(lchown(from.c_str(), row.owner, row.group), 0);
    if (row.mode != 0) chmod(from.c_str(), row.mode);  // after the owner, which clears set-id bits
    ASSERT_EQ(MoveAs(row.mover, 0, from, to), 0);
    struct stat info {};
    ASSERT_EQ(lstat(to.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, row.owner);
    EXPECT_EQ(info.st_gid, kNobody);  // a user cannot keep a foreign group
    EXPECT_EQ(info.st_mode & 07777, row.want_mode);
    if (row.mode != 0) {
      EXPECT_EQ(ReadFile(to), std::string(300000, 'm'));
    }
    EXPECT_EQ(EntryCount(far.path()), 0);
    EXPECT_EQ(EntryCount(near.path()), 1);
    unlink(to.c_str());
  }
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
