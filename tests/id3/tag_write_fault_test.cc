// A tag write that fails or stops short leaves the file exactly as it was and says so.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "id3/id3v1_tag.h"
#include "job_fields.h"
#include "platform/posix/posix_platform.h"
#include "support/temp_dir.h"
#include "tag_test_files.h"

namespace velkor::testing {
namespace {

enum class WriteFault { None, FailAtOnce, FailAfterPart, Short, Nothing };

// Breaks the tag write; the part it lets through really reaches the file.
class FaultyWrites : public PlatformWrapper {
 public:
  FaultyWrites(Platform& target, WriteFault fault) : PlatformWrapper(target), fault_(fault) {}

  std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) override {
    switch (fault_) {
      case WriteFault::None: return PlatformWrapper::WriteAt(file, buffer, count, offset);
      case WriteFault::FailAtOnce: return -1;
      case WriteFault::FailAfterPart: PlatformWrapper::WriteAt(file, buffer, 50, offset); return -1;
      case WriteFault::Short: return PlatformWrapper::WriteAt(file, buffer, 60, offset);
      case WriteFault::Nothing: return 0;
    }
    return -1;
  }
  void Close(NativeFile file) override {
    ++closes;
    PlatformWrapper::Close(file);
  }
  int closes = 0;

 private:
  WriteFault fault_;
};

TEST(TagWriteFaultTest, FailedOrShortWriteLeavesTheFileAsItWas) {
  const struct {
    const char* name;
    WriteFault fault;
    bool written;
  } cases[] = {{"no fault", WriteFault::None, true},
               {"failure", WriteFault::FailAtOnce, false},
               {"failure after 50 bytes", WriteFault::FailAfterPart, false},
               {"60 of 128 bytes", WriteFault::Short, false},
               {"nothing written", WriteFault::Nothing, false}};
  TempDir dir;
  PosixPlatform posix;
  for (const auto& c : cases) {
    std::string path = dir / "song.mp3";
    std::string before = AudioBytes(777);
    WriteFile(path, before);
    FaultyWrites platform(posix, c.fault);
    Id3v1Tag block;
    TagFile file;
    ASSERT_EQ(TagProbe(platform, path, &block, &file), ProbeResult::NoTag) << c.name;
    TagBuilder(Entry({{"title", u"Song"}, {"track", u"4"}}), Album({}), &block);
    EXPECT_EQ(AppendTag(file, block), c.written) << c.name;
    EXPECT_FALSE(file.is_open()) << c.name;
    EXPECT_EQ(platform.closes, 1) << c.name;
    std::string expected = c.written ? before + TagLayout{"Song", "", "", "", "", 4, 255}.Bytes() : before;
    EXPECT_EQ(ReadFile(path), expected) << c.name;
  }
}

// The system's own short write: a file size limit lets only part of the tag through.
TEST(TagWriteFaultTest, FileSizeLimitCutsTheWriteAndTheFileIsRestored) {
  TempDir dir;
  std::string path = dir / "limited.mp3";
  std::string before = AudioBytes(4000);
  WriteFile(path, before);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Only this process is limited; without SIGXFSZ ignored the write would kill it.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = 4000 + 60;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(10);
    PosixPlatform platform;
    Id3v1Tag block;
    TagFile file;
    if (TagProbe(platform, path, &block, &file) != ProbeResult::NoTag) _exit(11);
    TagBuilder(Entry({{"title", u"Limited"}}), Album({}), &block);
    _exit(AppendTag(file, block) ? 12 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "10: no limit, 11: probe failed, 12: write reported as done";
  EXPECT_EQ(ReadFile(path), before);
}

}  // namespace
}  // namespace velkor::testing
