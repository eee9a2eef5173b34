// Tagging when the kernel answers flock() as a file system without locks does, and as
// it does for a file another program holds locked.
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstddef>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

// From here on every flock() of this process and what it runs fails with `error`.
void FailFlock(int error) {
  sock_filter filter[] = {
      BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
      BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_flock, 0, 1),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | (static_cast<unsigned>(error) & SECCOMP_RET_DATA)),
      BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
  };
  sock_fprog program{static_cast<unsigned short>(std::size(filter)), filter};
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 || prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) != 0) {
    _exit(125);
  }
}

TEST(FileLock, NoLocksOnTheFileSystemStillTagsALockedFileDoesNot) {
  struct Row {
    int error;
    const char* report;
    size_t size;
  };
  const Row rows[] = {
      {ENOLCK, "ID3 v1.1 tag was added to file 'song.mp3'.\n", 1128},
      {EOPNOTSUPP, "ID3 v1.1 tag was added to file 'song.mp3'.\n", 1128},
      {EWOULDBLOCK, "Cannot open file 'song.mp3' or an error occurred while reading it.\n", 1000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.error);
    TempDir dir;
    WriteFile(dir / "song.mp3", std::string(1000, 'a'));
    WriteFile(dir / "job.xml", "<job><file oldName='song.mp3' title='T'/></job>");
    RunOptions options;
    options.cwd = dir.path();
    options.in_child = [&] { FailFlock(row.error); };
    RunResult result = RunVelkor({"job.xml"}, "C.UTF-8", options);

    EXPECT_EQ(result.out, "Processing file 'job.xml':\n" + std::string(row.report));
    EXPECT_EQ(ReadFile(dir / "song.mp3").size(), row.size);
  }
}

}  // namespace
}  // namespace velkor::testing
