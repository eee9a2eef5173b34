// The ID3 v1.1 tag: its 128 bytes against layouts written out here, the number scan, which
// files get a tag, what a failed write leaves behind, and what python3-mutagen reads back.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "driver/job_file_reader.h"
#include "id3/id3v1_tag.h"
#include "platform/posix/posix_charset.h"
#include "platform/posix/posix_platform.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

// "title=Intro;track=5" as a record, by the job file's attribute names.
template <typename Record, std::size_t N>
Record Parse(const std::string& attributes, const std::array<FieldBinding<Record>, N>& bindings) {
  Record record;
  for (std::size_t start = 0, end; start < attributes.size(); start = end + 1) {
    end = std::min(attributes.find(';', start), attributes.size());
    std::size_t equals = attributes.find('=', start);
    std::u16string name = Utf8ToUtf16(attributes.substr(start, equals - start));
    for (const FieldBinding<Record>& binding : bindings) {
      if (binding.attribute != name) continue;
      record.*binding.field = Utf8ToUtf16(attributes.substr(equals + 1, end - equals - 1));
    }
  }
  return record;
}
TrackEntry Entry(const std::string& attributes) { return Parse(attributes, kEntryBindings); }
AlbumDefaults Album(const std::string& attributes) { return Parse(attributes, kAlbumBindings); }

// A tag written out field by field; each text is padded with zero bytes to its field.
struct TagLayout {
  std::string title, artist, album, year, comment;
  int track = 0, genre = 255;
  std::string Bytes() const {
    std::string out = "TAG";
    for (auto [text, length] : {std::pair{&title, 30u}, {&artist, 30u}, {&album, 30u}, {&year, 4u}, {&comment, 28u}}) {
      EXPECT_LE(text->size(), length) << "expected field too long: " << *text;
      out += *text + std::string(length - std::min<std::size_t>(text->size(), length), '\0');
    }
    return out + '\0' + static_cast<char>(track) + static_cast<char>(genre);
  }
};

enum class Fault { None, FailAfter50, Short60 };

// The real platform with the tag write broken on request; what it lets through is written.
struct FaultyWrites : PlatformWrapper {
  FaultyWrites(Platform& target, Fault broken) : PlatformWrapper(target), fault(broken) {}
  std::int64_t WriteAt(NativeFile file, const void* buffer, std::size_t count, std::uint64_t offset) override {
    std::size_t part = fault == Fault::None ? count : fault == Fault::Short60 ? 60 : 50;
    std::int64_t written = PlatformWrapper::WriteAt(file, buffer, part, offset);
    return fault == Fault::FailAfter50 ? -1 : written;
  }
  Fault fault;
};

class TagTest : public ::testing::Test {
 protected:
  void TearDown() override { SelectAnsiCharset("UTF-8"); }

  // Probes `path` and, when it has no tag, appends `new_tag_`: the probe's result.
  ProbeResult ProbeAndAppend(const std::string& path, Fault fault = Fault::None) {
    FaultyWrites platform(posix_, fault);
    Id3v1Tag block;
    TagFile file;
    ProbeResult result = TagProbe(platform, path, &block, &file);
    EXPECT_EQ(file.is_open(), result == ProbeResult::NoTag);
    if (result == ProbeResult::NoTag) {
      EXPECT_FALSE(Unlocked(path)) << "locked from probe to append";
      TagBuilder(posix_, Entry("title=New;track=4"), Album(""), &block);
      EXPECT_EQ(AppendTag(file, block), fault == Fault::None);
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
  const std::string new_tag_ = TagLayout{"New", "", "", "", "", 4, 255}.Bytes();
};

TEST_F(TagTest, EntryAndAlbumFillTheFields) {
  const std::string k31 = "1234567890123456789012345678901", k30 = k31.substr(0, 30), k28 = k31.substr(0, 28);
  const struct {
    const char* charset;
    std::string entry, album;
    TagLayout expected;
  } rows[] = {
      {"UTF-8", "title=Intro;artist=;genre=", "title=Record;artist=Root;genre=17;year=1999",
       {"Intro", "Root", "Record", "1999", "", 0, 17}},
      {"UTF-8", "artist=Guest;album=Single;year=2001;genre=5;comment=Great;track=3",
       "title=Record;artist=Root;genre=17;year=1999", {"", "Guest", "Single", "2001", "Great", 3, 5}},
      {"UTF-8", "title=" + k30 + ";artist=" + k30 + ";album=" + k30 + ";year=2003;comment=" + k28 + ";genre=254", "",
       {k30, k30, k30, "2003", k28, 0, 254}},
      {"UTF-8", "title=" + k31 + ";artist=" + k31 + ";album=" + k31 + ";comment=" + k28 + "9;track=1", "year=1999-2003",
       {k30, k30, k30, "1999", k28, 1, 255}},
      {"UTF-8", "title=xААААААААААААААА;comment=日日日日日日日日日日", "",
       {"xАААААААААААААА\xD0", "", "", "", "日日日日日日日日日\xE6", 0, 255}},
      {"CP1251", "title=Привет;comment=日本 Band;album=абвгдеёжзийклмнопрстуфхцчшщъыьэюя", "artist=Ёлка",
       {"\xCF\xF0\xE8\xE2\xE5\xF2", "\xA8\xEB\xEA\xE0",
        "\xE0\xE1\xE2\xE3\xE4\xE5\xB8\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5\xF6\xF7"
        "\xF8\xF9\xFA\xFB\xFC",
        "", "?? Band", 0, 255}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.entry + " / " + row.album);
    SelectAnsiCharset(row.charset);
    Id3v1Tag tag;
    tag.bytes.fill(0xAA);
    TagBuilder(posix_, Entry(row.entry), Album(row.album), &tag);
    EXPECT_EQ(std::string(tag.bytes.begin(), tag.bytes.end()), row.expected.Bytes());
  }
}

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
    TagBuilder(posix_, Entry("track=" + row.text + ";genre=" + row.text), Album("genre=17"), &tag);
    EXPECT_EQ(tag.bytes[126], row.byte == kNone ? 0 : row.byte) << "track '" << row.text << "'";
    EXPECT_EQ(tag.bytes[127], row.byte == kNone ? (row.text.empty() ? 17 : 255) : row.byte) << "genre '" << row.text << "'";
  }
}

TEST_F(TagTest, OnlyWritableRegularFilesWithoutATagGetOneAndAFailedWriteIsCutBack) {
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
    Fault fault;
  } rows[] = {
      {"empty", bytes(""), ProbeResult::OpenFailed, Fault::None},
      {"127 bytes", bytes(audio.substr(0, 127)), ProbeResult::OpenFailed, Fault::None},
      {"128 bytes", bytes(audio.substr(0, 128)), ProbeResult::NoTag, Fault::None},
      {"TAG", bytes(audio + "TAG" + std::string(125, '\0')), ProbeResult::HasTag, Fault::None},
      {"xAG", bytes(audio + "xAG" + std::string(125, '\0')), ProbeResult::NoTag, Fault::None},
      {"TxG", bytes(audio + "TxG" + std::string(125, '\0')), ProbeResult::NoTag, Fault::None},
      {"TAx", bytes(audio + "TAx" + std::string(125, '\0')), ProbeResult::NoTag, Fault::None},
      {"read-only", bytes(audio, 0444), ProbeResult::OpenFailed, Fault::None},
      {"group-writable only", bytes(audio, 0464), root ? ProbeResult::NoTag : ProbeResult::OpenFailed, Fault::None},
      {"other-writable only", bytes(audio, 0446), root ? ProbeResult::NoTag : ProbeResult::OpenFailed, Fault::None},
      {"folder", [](const std::string& path) { mkdir(path.c_str(), 0755); }, ProbeResult::OpenFailed, Fault::None},
      {"FIFO nobody reads", [](const std::string& path) { mkfifo(path.c_str(), 0644); }, ProbeResult::OpenFailed,
       Fault::None},
      {"locked by another program", [&](const std::string& path) {
         WriteFile(path, audio), locked = open(path.c_str(), O_RDONLY | O_CLOEXEC), flock(locked, LOCK_EX);
       }, ProbeResult::OpenFailed, Fault::None},
      {"tag at 2^32 - 2", sparse(0xFFFFFFFEull + 128), ProbeResult::NoTag, Fault::None},
      {"tag at 2^32 - 1", sparse(0xFFFFFFFFull + 128), ProbeResult::OpenFailed, Fault::None},
      {"write fails after 50 bytes", bytes(audio), ProbeResult::NoTag, Fault::FailAfter50},
      {"write stops at 60 bytes", bytes(audio), ProbeResult::NoTag, Fault::Short60},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = dir_ / row.name;
    row.make(path);
    const std::string before = SizeAndTail(path);
    EXPECT_EQ(ProbeAndAppend(path, row.fault), row.result);
    close(locked);
    locked = -1;
    EXPECT_TRUE(Unlocked(path));
    if (row.result != ProbeResult::NoTag || row.fault != Fault::None) {
      EXPECT_EQ(SizeAndTail(path), before);
    } else {
      EXPECT_EQ(SizeAndTail(path), std::to_string(std::stoull(before) + 128) + ":" + new_tag_);
      bool huge = std::stoull(before) > 4096;
      EXPECT_EQ(ProbeAndAppend(path), huge ? ProbeResult::OpenFailed : ProbeResult::HasTag) << "probed again";
    }
  }
}

TEST_F(TagTest, MutagenReadsWhatWasWritten) {
  const struct {
    const char* charset;
    std::string entry, album;
    const char* fields;  // title, artist, album, year, comment, track, genre; '-' where mutagen sees none
  } rows[] = {
      {"UTF-8", "title=123456789012345678901234567890xx;comment=The comment that is too long!!;track=-1;genre=0",
       "artist=abcdefghijklmnopqrstuvwxyzABCDEFG;year=1999-2003",
       "123456789012345678901234567890|abcdefghijklmnopqrstuvwxyzABCD|-|1999|The comment that is too long|255|0"},
      {"CP1251", "title=Привет;track=256;genre=Rock", "title=Ёлка",
       "\xCF\xF0\xE8\xE2\xE5\xF2|-|\xA8\xEB\xEA\xE0|-|-|-|-"},
  };
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
    WriteFile(args.back(), std::string(2048, 'a'));
    ASSERT_EQ(TagProbe(posix_, args.back(), &block, &file), ProbeResult::NoTag);
    TagBuilder(posix_, Entry(row.entry), Album(row.album), &block);
    ASSERT_TRUE(AppendTag(file, block));
    expected += std::string(row.fields) + "\n";
  }
  RunOptions options;
  options.env = {"PATH=/usr/bin:/bin", "PYTHONDONTWRITEBYTECODE=1", "LC_ALL=C.UTF-8"};
  RunResult result = RunProgram("/usr/bin/python3", args, options);
  ASSERT_EQ(result.exit_code, 0) << "is python3-mutagen installed? " << result.err;
  EXPECT_EQ(result.out, expected);
}

}  // namespace
}  // namespace velkor::testing
