// A move across file systems keeps the source's owner and group, and never leaves a
// set-id file owned by someone else; it runs as root and as an ordinary user.
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "platform/posix/posix_platform.h"
#include "support/temp_dir.h"

namespace velkor {
namespace {

using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr uid_t kRoot = 0;
constexpr uid_t kNobody = 65534;

int EntryCount(const std::string& folder) {
  return static_cast<int>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

// Moves in a child process running as `mover` (its own group only) under a file-size
// limit; the move's error number.
SystemError MoveAs(uid_t mover, rlim_t size_limit, const std::string& from, const std::string& to) {
  pid_t pid = fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{size_limit, RLIM_INFINITY};
    bool ok = (size_limit == 0 || setrlimit(RLIMIT_FSIZE, &limit) == 0) &&
              (mover == kRoot || (setgroups(0, nullptr) == 0 && setresgid(mover, mover, mover) == 0 &&
                                  setresuid(mover, mover, mover) == 0));
    _exit(ok ? PosixPlatform().MoveFile(from, to) : 255);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(MoveFileOwner, KeptAcrossFileSystemsAndSetIdBitsOnlyWithIt) {
  if (geteuid() != kRoot) GTEST_SKIP() << "needs root to give files away";
  struct Row {
    const char* what;
    uid_t mover, owner;
    gid_t group;
    mode_t mode;  // 0: a symbolic link
    rlim_t size_limit;
    SystemError error;
    gid_t want_group;
    mode_t want_mode;
  };
  const Row rows[] = {
      {"root moves a user's setuid file", kRoot, kNobody, kNobody, 04755, 0, 0, kNobody, 04755},
      {"root moves a user's private file", kRoot, kNobody, kNobody, 0600, 0, 0, kNobody, 0600},
      {"root moves its own set-id file", kRoot, kRoot, kNobody, 06750, 0, 0, kNobody, 06750},
      {"root moves a user's link", kRoot, kNobody, kNobody, 0, 0, 0, kNobody, 0},
      {"a user moves its set-id file", kNobody, kNobody, kNobody, 06755, 0, 0, kNobody, 06755},
      {"a user moves its file of a foreign group", kNobody, kNobody, kRoot, 06755, 0, 0, kNobody, 0755},
      {"a user's move fails half way", kNobody, kNobody, kNobody, 0644, 100000, EFBIG, 0, 0},
  };
  TempDir near, far("/dev/shm");
  chmod(near.path().c_str(), 0777);
  chmod(far.path().c_str(), 0777);
  const std::string content(300000, 'm');
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string from = far / "song.mp3", to = near / "moved.mp3";
    if (row.mode == 0) {
      ASSERT_EQ(symlink("elsewhere.mp3", from.c_str()), 0);
    } else {
      WriteFile(from, content);
    }
    ASSERT_EQ(lchown(from.c_str(), row.owner, row.group), 0);
    if (row.mode != 0) chmod(from.c_str(), row.mode);  // after the owner, which clears set-id bits

    ASSERT_EQ(MoveAs(row.mover, row.size_limit, from, to), row.error);
    struct stat info {};
    if (row.error != 0) {
      EXPECT_EQ(ReadFile(from), content);
      EXPECT_EQ(EntryCount(near.path()), 0) << "a partial copy was left behind";
      unlink(from.c_str());
      continue;
    }
    ASSERT_EQ(lstat(to.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, row.owner);
    EXPECT_EQ(info.st_gid, row.want_group);
    if (row.mode != 0) {
      EXPECT_EQ(info.st_mode & 07777, row.want_mode);
      EXPECT_EQ(ReadFile(to), content);
    }
    EXPECT_EQ(EntryCount(far.path()), 0);
    EXPECT_EQ(EntryCount(near.path()), 1);
    unlink(to.c_str());
  }
}

}  // namespace
}  // namespace velkor
