// The ID3 v1.1 tag: the number scan, which files get a tag, and what python3-mutagen reads
// back. Fields' lengths, files of 127 and 128 bytes, tagged files, folders and failed writes
// are end-to-end rows.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "id3/id3v1_tag.h"
#include "platform/posix/posix_charset.h"
#include "platform/posix/posix_platform.h"
#include "support/support.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

const TrackEntry kNew{u"", u"", u"4", u"New", u"", u"", u"", u"", u""};

class TagTest : public ::testing::Test {
 protected:
  // Probes `path` and, when it has no tag, appends one built from `entry`: the probe's result.
  ProbeResult ProbeAndAppend(const std::string& path, const TrackEntry& entry = kNew,
                             const AlbumDefaults& album = {}) {
    Id3v1Tag block;
    TagFile file;
    ProbeResult result = TagProbe(posix_, path, &block, &file);
    EXPECT_EQ(file.is_open(), result == ProbeResult::NoTag);
    if (result == ProbeResult::NoTag) {
      EXPECT_FALSE(Unlocked(path)) << "locked from probe to append";
      TagBuilder(posix_, entry, album, &block);
      EXPECT_TRUE(AppendTag(file, block));
      EXPECT_FALSE(file.is_open());
    }
    return result;
  }

  static bool Unlocked(const std::string& path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    bool free = fd < 0 || flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0) close(fd);
    return free;
  }

  // The size and the last 128 bytes, never the whole file: some are 4 GiB.
  static std::string SizeAndTail(const std::string& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    std::string tail(128, '\0');
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    ssize_t got = pread(fd, tail.data(), 128, std::max<off_t>(info.st_size - 128, 0));
    close(fd);
    return std::to_string(info.st_size) + ":" + tail.substr(0, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
  }

  PosixPlatform posix_;
  TempDir dir_;
};

// Track and genre read a number as "%d" does and keep its low 8 bits; without one the track
// is 0 and the genre 255, whatever the album's genre says.
TEST_F(TagTest, NumbersKeepTheirLowEightBits) {
  const int kNone = -1;
  const struct {
    std::string text;
    int byte;
  } rows[] = {
      {"0", 0}, {"9", 9}, {"007", 7}, {"5/12", 5}, {"5:", 5}, {"+9", 9}, {"-1", 255}, {"-0", 0}, {"256", 0},
      {"300", 44}, {"-2", 254}, {" \t\n\v\f\r42", 42}, {"2147483647", 255}, {"-2147483648", 0}, {"2147483903", 255},
      {"4294967301", 5}, {"-4294967297", 255}, {"99999999999999999999", 255}, {"99999999999999999993", 249},
      {"", kNone}, {" ", kNone}, {"A", kNone}, {"-", kNone}, {"+", kNone}, {"- 5", kNone}, {"+-5", kNone},
      {"/5", kNone}, {":5", kNone}, {"\b5", kNone}, {"\x0E" "5", kNone}, {"\xD9\xA5", kNone}, {"Rock", kNone},
  };
  for (const auto& row : rows) {
    Id3v1Tag tag;
    TrackEntry entry;
    entry.track = entry.genre = Utf8ToUtf16(row.text);
    TagBuilder(posix_, entry, {u"", u"", u"17", u""}, &tag);
    EXPECT_EQ(tag.bytes[126], row.byte == kNone ? 0 : row.byte) << "track '" << row.text << "'";
    EXPECT_EQ(tag.bytes[127], row.byte == kNone ? (row.text.empty() ? 17 : 255) : row.byte) << "genre '" << row.text << "'";
  }
  Id3v1Tag tag;
  // A fullwidth 5, which a lossy charset's best fit makes a plain 5.
  const TrackEntry fullwidth_five{u"", u"", u"\uFF15", u"", u"", u"", u"", u"", u""};
  SelectAnsiCharset("CP1251");
  TagBuilder(posix_, fullwidth_five, {}, &tag);
  SelectAnsiCharset("UTF-8");
  EXPECT_EQ(tag.bytes[126], 5);
}

TEST_F(TagTest, OnlyWritableRegularFilesWithoutATagGetOne) {
  const bool root = geteuid() == 0;
  const std::string audio(1000, 'a');
  int locked = -1;
  auto bytes = [](std::string content, mode_t mode = 0644) {
    return [=](const std::string& path) { WriteFile(path, content), chmod(path.c_str(), mode); };
  };
  auto sparse = [](std::uint64_t size) {  // costs no disk space
    return [=](const std::string& path) { WriteFile(path, ""), (void)!truncate(path.c_str(), off_t(size)); };
  };
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
    ProbeResult result;
  } rows[] = {
      {"xAG", bytes(audio + "xAG" + std::string(125, '\0')), ProbeResult::NoTag},
      {"TxG", bytes(audio + "TxG" + std::string(125, '\0')), ProbeResult::NoTag},
      {"TAx", bytes(audio + "TAx" + std::string(125, '\0')), ProbeResult::NoTag},
      {"read-only", bytes(audio, 0444), ProbeResult::OpenFailed},
      {"group-writable only", bytes(audio, 0464), root ? ProbeResult::NoTag : ProbeResult::OpenFailed},
      {"other-writable only", bytes(audio, 0446), root ? ProbeResult::NoTag : ProbeResult::OpenFailed},
      {"FIFO nobody reads", [](const std::string& path) { mkfifo(path.c_str(), 0644); }, ProbeResult::OpenFailed},
      {"locked by another program", [&](const std::string& path) {
         WriteFile(path, audio), locked = open(path.c_str(), O_RDONLY | O_CLOEXEC), flock(locked, LOCK_EX);
       }, ProbeResult::OpenFailed},
      {"tag at 2^32 - 2", sparse(0xFFFFFFFEull + 128), ProbeResult::NoTag},
      {"tag at 2^32 - 1", sparse(0xFFFFFFFFull + 128), ProbeResult::OpenFailed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = dir_ / row.name;
    row.make(path);
    const std::string before = SizeAndTail(path);
    EXPECT_EQ(ProbeAndAppend(path), row.result);
    close(locked);
    locked = -1;
    EXPECT_TRUE(Unlocked(path));
    if (row.result != ProbeResult::NoTag) {
      EXPECT_EQ(SizeAndTail(path), before);
    } else {
      EXPECT_EQ(SizeAndTail(path), std::to_string(std::stoull(before) + 128) + ":" + "TAGNew" + std::string(120, '\0') + "\x04\xFF");
      bool huge = std::stoull(before) > 4096;
      EXPECT_EQ(ProbeAndAppend(path), huge ? ProbeResult::OpenFailed : ProbeResult::HasTag) << "probed again";
    }
  }
}

TEST_F(TagTest, MutagenReadsWhatWasWritten) {
  const std::string path = dir_ / "song.mp3";
  WriteFile(path, std::string(2048, 'a'));
  ASSERT_EQ(ProbeAndAppend(path, {u"", u"", u"-1", u"123456789012345678901234567890xx", u"", u"", u"0", u"",
                                  u"The comment that is too long!!"}, {u"", u"abcdefghijklmnopqrstuvwxyzABCDEFG", u"", u"1999-2003"}),
            ProbeResult::NoTag);
  RunOptions options;
  options.env = {"PATH=/usr/bin:/bin", "PYTHONDONTWRITEBYTECODE=1", "LC_ALL=C.UTF-8"};
  RunResult result = RunProgram("/usr/bin/python3", {"-c", "import sys\nfrom mutagen.id3 import ID3\n"
      "t = ID3(sys.argv[1], v2_version=3, translate=False)\n"
      "print('|'.join(str(t.getall(k)[0].text[0]) if t.getall(k) else '-' for k in "
      "('TIT2','TPE1','TALB','TYER','COMM','TRCK','TCON')))", path}, options);
  ASSERT_EQ(result.exit_code, 0) << "is python3-mutagen installed? " << result.err;
  EXPECT_EQ(result.out, "123456789012345678901234567890|abcdefghijklmnopqrstuvwxyzABCD|-|1999|The comment that is too long|255|0\n");
}

}  // namespace
}  // namespace velkor::testing
