// Which files the probe accepts as tag targets, and that it leaves the others alone.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "id3/id3v1_tag.h"
#include "job_fields.h"
#include "platform/posix/posix_platform.h"
#include "support/temp_dir.h"
#include "tag_test_files.h"

namespace velkor::testing {
namespace {

const char* ResultName(ProbeResult result) {
  switch (result) {
    case ProbeResult::OpenFailed: return "OpenFailed";
    case ProbeResult::HasTag: return "HasTag";
    case ProbeResult::NoTag: return "NoTag";
  }
  return "?";
}

class TagProbeTest : public ::testing::Test {
 protected:
  ProbeResult Probe(const std::string& path) {
    Id3v1Tag block;
    TagFile file;
    ProbeResult result = TagProbe(platform_, path, &block, &file);
    EXPECT_EQ(file.is_open(), result == ProbeResult::NoTag) << path;
    return result;
  }

  // Probes, then appends a tag when there is none; returns the probe's result.
  ProbeResult ProbeAndAppend(const std::string& path) {
    Id3v1Tag block;
    TagFile file;
    ProbeResult result = TagProbe(platform_, path, &block, &file);
    if (result == ProbeResult::NoTag) {
      TagBuilder(Entry({{"title", u"New"}}), Album({}), &block);
      EXPECT_TRUE(AppendTag(file, block)) << path;
    }
    return result;
  }

  // True when nobody holds the file's lock.
  static bool Unlocked(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool free = flock(fd, LOCK_EX | LOCK_NB) == 0;
    close(fd);
    return free;
  }

  PosixPlatform platform_;
  TempDir dir_;
};

TEST_F(TagProbeTest, FileSizesAroundOneTag) {
  const std::string kNewTag = TagLayout{"New", "", "", "", "", 0, 255}.Bytes();
  const struct {
    std::size_t size;
    ProbeResult result;
  } cases[] = {{0, ProbeResult::OpenFailed}, {127, ProbeResult::OpenFailed}, {128, ProbeResult::NoTag},
               {129, ProbeResult::NoTag}};
  for (const auto& c : cases) {
    std::string path = dir_ / ("size" + std::to_string(c.size));
    std::string before = AudioBytes(c.size);
    WriteFile(path, before);
    EXPECT_STREQ(ResultName(ProbeAndAppend(path)), ResultName(c.result)) << c.size << " bytes";
    std::string after = ReadFile(path);
    if (c.result == ProbeResult::OpenFailed) {
      EXPECT_EQ(after, before) << c.size << " bytes";
    } else {
      EXPECT_EQ(after, before + kNewTag) << c.size << " bytes";
      // The new tag is found by the next probe, and nothing more is added.
      EXPECT_STREQ(ResultName(ProbeAndAppend(path)), "HasTag") << c.size << " bytes";
      EXPECT_EQ(ReadFile(path).size(), c.size + 128) << c.size << " bytes";
    }
    EXPECT_TRUE(Unlocked(path)) << c.size << " bytes";
  }
}

TEST_F(TagProbeTest, OnlyAnExactTagMarkCounts) {
  const struct {
    const char* name;
    std::string last128;
    ProbeResult result;
  } cases[] = {
      {"TAG and zeros", std::string("TAG") + std::string(125, '\0'), ProbeResult::HasTag},
      {"TAG and anything", "TAG" + AudioBytes(125), ProbeResult::HasTag},
      {"lower case tag", "tag" + AudioBytes(125), ProbeResult::NoTag},
      {"TAg", "TAg" + AudioBytes(125), ProbeResult::NoTag},
      {"TA then zero", std::string("TA\0", 3) + AudioBytes(125), ProbeResult::NoTag},
      {"TAG one byte too early", "TAG" + AudioBytes(126), ProbeResult::NoTag},
  };
  for (const auto& c : cases) {
    std::string path = dir_ / "marked.mp3";
    std::string before = AudioBytes(1000) + c.last128;
    WriteFile(path, before);
    EXPECT_STREQ(ResultName(ProbeAndAppend(path)), ResultName(c.result)) << c.name;
    std::string after = ReadFile(path);
    if (c.result == ProbeResult::HasTag) {
      EXPECT_EQ(after, before) << c.name;
    } else {
      EXPECT_EQ(after.substr(0, before.size()), before) << c.name;
      EXPECT_EQ(after.size(), before.size() + 128) << c.name;
    }
  }
}

TEST_F(TagProbeTest, FilesWithoutWriteBitsAreNeverOpened) {
  // Also for root, who could write them: read-only is what their owner asked for.
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {{"tagged", AudioBytes(400) + TagLayout{"Old", "", "", "", "", 0, 255}.Bytes()}, {"untagged", AudioBytes(400)}};
  for (const auto& c : cases) {
    std::string path = dir_ / c.name;
    WriteFile(path, c.bytes);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_STREQ(ResultName(ProbeAndAppend(path)), "OpenFailed") << c.name;
    EXPECT_EQ(ReadFile(path), c.bytes) << c.name;
  }
  if (geteuid() == 0) {
    // One write bit anywhere is enough for root.
    std::string path = dir_ / "group-writable";
    WriteFile(path, AudioBytes(400));
    ASSERT_EQ(chmod(path.c_str(), 0464), 0);
    EXPECT_STREQ(ResultName(Probe(path)), "NoTag");
  }
}

TEST_F(TagProbeTest, OnlyRegularFilesAreTagTargets) {
  std::string folder = dir_ / "folder.mp3";
  ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
  EXPECT_STREQ(ResultName(ProbeAndAppend(folder)), "OpenFailed");
  EXPECT_TRUE(std::filesystem::is_empty(folder));

  // A FIFO that nobody reads: the open must neither block nor write into it.
  std::string fifo = dir_ / "fifo.mp3";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_STREQ(ResultName(ProbeAndAppend(fifo)), "OpenFailed");
  int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(reader, 0);
  char byte;
  EXPECT_LE(read(reader, &byte, 1), 0);
  close(reader);

  EXPECT_STREQ(ResultName(Probe(dir_ / "missing.mp3")), "OpenFailed");
  EXPECT_STREQ(ResultName(Probe("/dev/null")), "OpenFailed");

  // The platform refuses them itself, whatever size they claim.
  for (const std::string& path : {fifo, std::string("/dev/null"), folder}) {
    NativeFile native = 7;
    std::uint64_t size = 7;
    EXPECT_NE(platform_.OpenForUpdate(path, &native, &size), 0) << path;
    EXPECT_EQ(native, kNoFile) << path;
  }
}

TEST_F(TagProbeTest, FileLockedByAnotherProcessIsLeftAlone) {
  std::string path = dir_ / "locked.mp3";
  std::string before = AudioBytes(500);
  WriteFile(path, before);

  int locked[2], release[2];
  ASSERT_EQ(pipe(locked), 0);
  ASSERT_EQ(pipe(release), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(release[1]);  // so that the parent's close is seen as the end of the pipe
    int fd = open(path.c_str(), O_RDONLY);
    char byte = fd >= 0 && flock(fd, LOCK_EX) == 0 ? 'L' : 'E';
    if (write(locked[1], &byte, 1) != 1) _exit(1);
    if (read(release[0], &byte, 1) < 0) _exit(1);  // until the parent closes its end
    _exit(0);
  }
  close(locked[1]);
  close(release[0]);
  char state = 0;
  ASSERT_EQ(read(locked[0], &state, 1), 1);
  ASSERT_EQ(state, 'L');

  EXPECT_STREQ(ResultName(ProbeAndAppend(path)), "OpenFailed");
  EXPECT_EQ(ReadFile(path), before);

  close(release[1]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  close(locked[0]);
  EXPECT_STREQ(ResultName(ProbeAndAppend(path)), "NoTag");
  EXPECT_EQ(ReadFile(path).size(), before.size() + 128);
}

TEST_F(TagProbeTest, FileStaysLockedFromProbeToAppend) {
  std::string path = dir_ / "held.mp3";
  WriteFile(path, AudioBytes(300));
  Id3v1Tag block;
  TagFile file;
  ASSERT_EQ(TagProbe(platform_, path, &block, &file), ProbeResult::NoTag);
  EXPECT_FALSE(Unlocked(path));
  // A second probe in the meantime fails rather than tagging the file twice.
  EXPECT_STREQ(ResultName(Probe(path)), "OpenFailed");
  TagBuilder(Entry({{"title", u"Once"}}), Album({}), &block);
  EXPECT_TRUE(AppendTag(file, block));
  EXPECT_FALSE(file.is_open());
  EXPECT_TRUE(Unlocked(path));
  EXPECT_EQ(ReadFile(path), (AudioBytes(300) + TagLayout{"Once", "", "", "", "", 0, 255}.Bytes()));

  // A probed file that is never appended to is closed and unlocked with its TagFile.
  {
    TagFile unused;
    ASSERT_EQ(TagProbe(platform_, path, &block, &unused), ProbeResult::HasTag);
  }
  std::string other = dir_ / "dropped.mp3";
  WriteFile(other, AudioBytes(300));
  {
    TagFile dropped;
    ASSERT_EQ(TagProbe(platform_, other, &block, &dropped), ProbeResult::NoTag);
  }
  EXPECT_TRUE(Unlocked(other));
  EXPECT_EQ(ReadFile(other), AudioBytes(300));
}

// Records where the probe and the write touch the file.
class RecordingPlatform : public PlatformWrapper {
 public:
  using PlatformWrapper::PlatformWrapper;
  std::int64_t ReadAt(NativeFile file, void* buffer, std::size_t count, std::uint64_t offset) override {
    reads.push_back({offset, count});
    return PlatformWrapper::ReadAt(file, buffer, count, offset);
  }
  std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) override {
    writes.push_back({offset, count});
    return PlatformWrapper::WriteAt(file, buffer, count, offset);
  }
  std::vector<std::pair<std::uint64_t, std::size_t>> reads, writes;
};

TEST_F(TagProbeTest, OnlyTheLast128BytesAreRead) {
  std::string path = dir_ / "big.mp3";
  WriteFile(path, AudioBytes(100000));
  RecordingPlatform recording(platform_);
  Id3v1Tag block;
  TagFile file;
  ASSERT_EQ(TagProbe(recording, path, &block, &file), ProbeResult::NoTag);
  TagBuilder(Entry({{"title", u"x"}}), Album({}), &block);
  ASSERT_TRUE(AppendTag(file, block));
  using Span = std::pair<std::uint64_t, std::size_t>;
  EXPECT_EQ(recording.reads, (std::vector<Span>{{100000 - 128, 128}}));
  EXPECT_EQ(recording.writes, (std::vector<Span>{{100000, 128}}));
}

// Positions are 32-bit: a tag that would start at 2^32 - 1 or later cannot be reached.
TEST_F(TagProbeTest, LastBytesBeyondThe32BitPositionLimitFail) {
  const struct {
    std::uint64_t tag_start;
    ProbeResult result;
  } cases[] = {{0xFFFFFFFEull, ProbeResult::NoTag}, {0xFFFFFFFFull, ProbeResult::OpenFailed},
               {0x100000000ull, ProbeResult::OpenFailed}};
  for (const auto& c : cases) {
    // Sparse files: their size costs no disk space.
    std::string path = dir_ / "huge.mp3";
    std::filesystem::remove(path);
    int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(c.tag_start + 128)), 0);
    close(fd);
    EXPECT_STREQ(ResultName(ProbeAndAppend(path)), ResultName(c.result)) << c.tag_start;
    std::uint64_t grown = c.result == ProbeResult::NoTag ? 128 : 0;
    EXPECT_EQ(std::filesystem::file_size(path), c.tag_start + 128 + grown) << c.tag_start;
  }
}

}  // namespace
}  // namespace velkor::testing
