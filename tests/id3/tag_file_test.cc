// Which files get a tag, what the write leaves behind when it fails, and what another
// tag reader (Debian's python3-mutagen) makes of the result.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "id3/id3v1_tag.h"
#include "platform/posix/posix_platform.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "tag_test_files.h"
#include "text/ansi_text.h"

namespace velkor::testing {
namespace {

enum class Fault { None, Fail, FailAfterPart, Short, Nothing, SizeLimit };

// The real platform, with the tag write broken on request; what it lets through is written.
class FaultyWrites : public PlatformWrapper {
 public:
  FaultyWrites(Platform& target, Fault fault) : PlatformWrapper(target), fault_(fault) {}
  std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) override {
    switch (fault_) {
      case Fault::Fail: return -1;
      case Fault::FailAfterPart: PlatformWrapper::WriteAt(file, buffer, 50, offset); return -1;
      case Fault::Short: return PlatformWrapper::WriteAt(file, buffer, 60, offset);
      case Fault::Nothing: return 0;
      default: return PlatformWrapper::WriteAt(file, buffer, count, offset);
    }
  }
  void Close(NativeFile file) override {
    ++closes;
    PlatformWrapper::Close(file);
  }
  int closes = 0;

 private:
  Fault fault_;
};

const char* Name(ProbeResult result) {
  return result == ProbeResult::NoTag ? "NoTag" : result == ProbeResult::HasTag ? "HasTag" : "OpenFailed";
}

class TagFileTest : public ::testing::Test {
 protected:
  // Probes `path` and, when it has no tag, appends one; the probe's result.
  ProbeResult ProbeAndAppend(const std::string& path, Fault fault = Fault::None, bool* written = nullptr) {
    FaultyWrites platform(posix_, fault);
    Id3v1Tag block;
    TagFile file;
    ProbeResult result = TagProbe(platform, path, &block, &file);
    EXPECT_EQ(file.is_open(), result == ProbeResult::NoTag);
    if (result == ProbeResult::NoTag) {
      TagBuilder(Entry("title=New;track=4"), Album(""), &block);
      bool done = AppendTag(file, block);
      if (written) *written = done;
      EXPECT_FALSE(file.is_open());
      EXPECT_EQ(platform.closes, 1);
    }
    EXPECT_TRUE(Unlocked(path));
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
    if (stat(path.c_str(), &info) != 0) return "missing";
    std::string tail(128, '\0');
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    off_t from = info.st_size > 128 ? info.st_size - 128 : 0;
    ssize_t got = S_ISREG(info.st_mode) ? pread(fd, tail.data(), 128, from) : 0;
    close(fd);
    return std::to_string(info.st_size) + ":" + tail.substr(0, static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
  }

  PosixPlatform posix_;
  TempDir dir_;
  const std::string new_tag_ = TagLayout{"New", "", "", "", "", 4, 255}.Bytes();
};

TEST_F(TagFileTest, OnlyWritableRegularFilesWithoutATagGetOne) {
  const bool root = geteuid() == 0;
  const std::string audio = AudioBytes(1000);
  auto bytes = [](std::string content, mode_t mode = 0644) {
    return [=](const std::string& path) {
      WriteFile(path, content);
      chmod(path.c_str(), mode);
    };
  };
  auto sparse = [](std::uint64_t size) {  // costs no disk space
    return [=](const std::string& path) {
      WriteFile(path, "");
      EXPECT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
    };
  };
  const struct {
    const char* name;
    std::function<void(const std::string&)> make;
    ProbeResult result;
  } rows[] = {
      {"empty", bytes(""), ProbeResult::OpenFailed},
      {"127 bytes", bytes(AudioBytes(127)), ProbeResult::OpenFailed},
      {"128 bytes", bytes(AudioBytes(128)), ProbeResult::NoTag},
      {"129 bytes", bytes(AudioBytes(129)), ProbeResult::NoTag},
      {"TAG", bytes(audio + "TAG" + std::string(125, '\0')), ProbeResult::HasTag},
      {"xAG", bytes(audio + "xAG" + std::string(125, '\0')), ProbeResult::NoTag},
      {"TxG", bytes(audio + "TxG" + std::string(125, '\0')), ProbeResult::NoTag},
      {"TAx", bytes(audio + "TAx" + std::string(125, '\0')), ProbeResult::NoTag},
      {"TAG a byte too early", bytes(audio + "TAG" + AudioBytes(126)), ProbeResult::NoTag},
      {"read-only", bytes(audio, 0444), ProbeResult::OpenFailed},
      {"read-only with a tag", bytes(audio + new_tag_, 0444), ProbeResult::OpenFailed},
      {"group-writable only", bytes(audio, 0464), root ? ProbeResult::NoTag : ProbeResult::OpenFailed},
      {"other-writable only", bytes(audio, 0446), root ? ProbeResult::NoTag : ProbeResult::OpenFailed},
      {"missing", [](const std::string&) {}, ProbeResult::OpenFailed},
      {"folder", [](const std::string& path) { mkdir(path.c_str(), 0755); }, ProbeResult::OpenFailed},
      {"FIFO nobody reads", [](const std::string& path) { mkfifo(path.c_str(), 0644); }, ProbeResult::OpenFailed},
      {"tag at 2^32 - 2", sparse(0xFFFFFFFEull + 128), ProbeResult::NoTag},
      {"tag at 2^32 - 1", sparse(0xFFFFFFFFull + 128), ProbeResult::OpenFailed},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = dir_ / row.name;
    row.make(path);
    const std::string before = SizeAndTail(path);
    EXPECT_STREQ(Name(ProbeAndAppend(path)), Name(row.result));
    if (row.result != ProbeResult::NoTag) {
      EXPECT_EQ(SizeAndTail(path), before);
      continue;
    }
    std::string after = SizeAndTail(path);
    EXPECT_EQ(after, std::to_string(std::stoull(before) + 128) + ":" + new_tag_);
    if (std::stoull(before) > 0xFFFFFFFFull) continue;
    EXPECT_STREQ(Name(ProbeAndAppend(path)), "HasTag") << "second probe";
    EXPECT_EQ(SizeAndTail(path), after);
  }
  EXPECT_STREQ(Name(ProbeAndAppend("/dev/null")), "OpenFailed");
}

TEST_F(TagFileTest, AFileLockedElsewhereIsLeftAloneAndOursStaysLockedUntilAppended) {
  const std::string path = dir_ / "song.mp3";
  WriteFile(path, AudioBytes(300));
  int other = open(path.c_str(), O_RDONLY | O_CLOEXEC);  // a lock of its own, as another program's
  ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
  Id3v1Tag block;
  TagFile file;
  EXPECT_STREQ(Name(TagProbe(posix_, path, &block, &file)), "OpenFailed");
  close(other);

  ASSERT_STREQ(Name(TagProbe(posix_, path, &block, &file)), "NoTag");
  EXPECT_FALSE(Unlocked(path));
  TagFile second;
  EXPECT_STREQ(Name(TagProbe(posix_, path, &block, &second)), "OpenFailed");
  { TagFile dropped; }
  TagBuilder(Entry("title=New;track=4"), Album(""), &block);
  EXPECT_TRUE(AppendTag(file, block));
  EXPECT_EQ(ReadFile(path), AudioBytes(300) + new_tag_);
  EXPECT_FALSE(AppendTag(file, block)) << "a closed file takes no second tag";
  {
    TagFile dropped;  // probed, never appended to: closed and unlocked with its TagFile
    WriteFile(path, AudioBytes(300));
    ASSERT_STREQ(Name(TagProbe(posix_, path, &block, &dropped)), "NoTag");
  }
  EXPECT_TRUE(Unlocked(path));
}

TEST_F(TagFileTest, AFailedOrShortWriteIsCutBackAndSaysSo) {
  const struct {
    const char* name;
    Fault fault;
    bool written;
  } rows[] = {{"no fault", Fault::None, true},          {"failure", Fault::Fail, false},
              {"failure after 50", Fault::FailAfterPart, false}, {"60 of 128", Fault::Short, false},
              {"nothing written", Fault::Nothing, false}, {"file size limit", Fault::SizeLimit, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = dir_ / "song.mp3", before = AudioBytes(4000);
    WriteFile(path, before);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limited = saved;
    limited.rlim_cur = 4000 + 60;
    auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    if (row.fault == Fault::SizeLimit) {
      ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    }
    bool written = !row.written;
    EXPECT_STREQ(Name(ProbeAndAppend(path, row.fault, &written)), "NoTag");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);
    EXPECT_EQ(written, row.written);
    EXPECT_EQ(ReadFile(path), row.written ? before + new_tag_ : before);
  }
}

TEST_F(TagFileTest, MutagenReadsWhatWasWritten) {
  const struct {
    const char* charset;
    std::string entry, album;
    const char* fields;  // title, artist, album, year, comment, track, genre as mutagen sees them
  } rows[] = {
      {"UTF-8", "track=5;title=Intro;artist=Band;album=Live;genre=17;year=2003;comment=Recorded at home", "",
       "Intro|Band|Live|2003|Recorded at home|5|17"},
      {"UTF-8", "title=123456789012345678901234567890xx;comment=The comment that is too long!!;track=-1;genre=0",
       "artist=abcdefghijklmnopqrstuvwxyzABCDEFG;year=1999-2003",
       "123456789012345678901234567890|abcdefghijklmnopqrstuvwxyzABCD|-|1999|The comment that is too long|255|0"},
      {"CP1251", "title=Привет;track=256;genre=Rock", "title=Ёлка", "\xCF\xF0\xE8\xE2\xE5\xF2|-|\xA8\xEB\xEA\xE0|-|-|-|-"},
  };
  // Each field's bytes as the tag holds them; '-' where mutagen finds no such field.
  std::vector<std::string> args = {"-c",
                                   "import sys\nfrom mutagen.id3 import ID3\nfor path in sys.argv[1:]:\n"
                                   "  t = ID3(path, v2_version=3, translate=False)\n"
                                   "  sys.stdout.buffer.write(b'|'.join(str(t.getall(k)[0].text[0]).encode('latin1') "
                                   "if t.getall(k) else b'-' for k in ('TIT2','TPE1','TALB','TYER','COMM','TRCK',"
                                   "'TCON')) + b'\\n')"};
  std::string expected;
  for (const auto& row : rows) {
    SelectAnsiCharset(row.charset);
    Id3v1Tag block;
    TagFile file;
    args.push_back(dir_ / std::to_string(args.size()));
    WriteFile(args.back(), AudioBytes(2048));
    ASSERT_EQ(TagProbe(posix_, args.back(), &block, &file), ProbeResult::NoTag);
    TagBuilder(Entry(row.entry), Album(row.album), &block);
    ASSERT_TRUE(AppendTag(file, block));
    expected += std::string(row.fields) + "\n";
  }
  SelectAnsiCharset("UTF-8");
  RunOptions options;
  options.env = {"PATH=/usr/bin:/bin", "PYTHONDONTWRITEBYTECODE=1", "LC_ALL=C.UTF-8"};
  RunResult result = RunProgram("/usr/bin/python3", args, options);
  ASSERT_EQ(result.exit_code, 0) << "is python3-mutagen installed? " << result.err;
  EXPECT_EQ(result.out, expected);
}

}  // namespace
}  // namespace velkor::testing
