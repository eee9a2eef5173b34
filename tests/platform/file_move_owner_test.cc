// A move across file systems keeps the source's owner and group, and never leaves a
// set-id file owned by someone else; it runs as root and as an ordinary user.
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/posix_platform.h"
#include "support/support.h"

namespace velkor::testing {
namespace {

constexpr uid_t kRoot = 0, kNobody = 65534;

int EntryCount(const std::string& folder) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Moves in a child process running as `mover` (its own group only); the move's error number.
SystemError MoveAs(uid_t mover, const std::string& from, const std::string& to) {
  pid_t pid = fork();
  if (pid == 0) {
    bool ok = mover == kRoot || (setgroups(0, nullptr) == 0 && setresgid(mover, mover, mover) == 0 &&
                                 setresuid(mover, mover, mover) == 0);
    _exit(ok ? PosixPlatform().MoveFile(from, to) : 255);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MoveFileOwner, KeptAcrossFileSystemsAndSetIdBitsOnlyWithIt) {
  if (geteuid() != kRoot) GTEST_SKIP() << "needs root to give files away";
  const struct {
    const char* what;
    uid_t mover, owner;
    gid_t group;
    mode_t mode;  // 0: a symbolic link
    mode_t want_mode;
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
    ASSERT_EQ(MoveAs(row.mover, from, to), 0);
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

}  // namespace
}  // namespace velkor::testing
