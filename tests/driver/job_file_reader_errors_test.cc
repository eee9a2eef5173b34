// Job files that cannot be read: the parse error comes before any entry, libxml2 prints
// nothing, and a file that changes after its check ends in a job file failure.
#include <fcntl.h>
#include <libxml/xmlerror.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "driver/job_file_failure.h"
#include "job_file_reader_support.h"
#include "support/temp_dir.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

std::string Reason(const ParseError& error) { return Utf16ToUtf8(error.reason); }

TEST(JobFileReaderErrors, MalformedFileReportsWhereAndWhyBeforeAnyEntry) {
  TempDir dir;
  WriteFile(dir / "job.xml",
            "<?xml version=\"1.0\"?>\n"
            "<album title=\"Kept?\">\n"
            "  <file oldName=\"a.mp3\"/>\n"
            "  <file oldName=\"b.mp3\">\n"
            "</album>\n");
  std::unique_ptr<JobFileReader> reader = JobFileReader::Create(RealPlatform());
  ParseError error;
  ASSERT_FALSE(reader->LoadJobFile(dir / "job.xml", &error));
  EXPECT_EQ(error.code, static_cast<std::uint32_t>(XML_ERR_TAG_NAME_MISMATCH));
  EXPECT_EQ(error.line, 5);
  EXPECT_EQ(error.position, 9);
  EXPECT_EQ(Reason(error), "Opening and ending tag mismatch: file line 4 and album");

  // Nothing of the failed file is handed out.
  AlbumDefaults album;
  reader->ReadAlbumDefaults(&album);
  EXPECT_EQ(album.title, u"");
  reader->OpenEntries();
  TrackEntry entry;
  EXPECT_FALSE(reader->NextEntry(&entry));
}

TEST(JobFileReaderErrors, EveryKindOfUnreadableFileFails) {
  TempDir dir;
  WriteFile(dir / "empty.xml", "");
  WriteFile(dir / "blank.xml", " \n\t\n");
  WriteFile(dir / "cut.xml", "<album><file oldName='a.mp3'/>");
  WriteFile(dir / "two-roots.xml", "<a/><b/>");
  WriteFile(dir / "nul.xml", std::string("<r><file oldName='a\0b'/></r>", 28));
  WriteFile(dir / "bad-utf8.xml", "<r><file title='\xFF'/></r>");
  WriteFile(dir / "bad-1251.xml", "<?xml version='1.0' encoding='windows-1251'?><r><file title='\x98'/></r>");
  WriteFile(dir / "unknown-encoding.xml", "<?xml version='1.0' encoding='no-such'?><r/>");
  WriteFile(dir / "prefix.xml", "<r><a:file oldName='x'/></r>");
  ASSERT_EQ(mkfifo((dir / "fifo.xml").c_str(), 0600), 0);  // would block a plain open
  ASSERT_EQ(mkdir((dir / "folder.xml").c_str(), 0700), 0);
  struct Case {
    std::string name;
    int code;
    int line;
    std::string reason;
  };
  const std::vector<Case> cases = {
      {"missing.xml", XML_IO_ENOENT, 0, "No such file or directory"},
      {"folder.xml", XML_IO_EISDIR, 0, "Is a directory"},
      {"fifo.xml", XML_IO_UNKNOWN, 0, "Not a regular file"},
      {"empty.xml", XML_ERR_DOCUMENT_EMPTY, 1, "Document is empty"},
      {"blank.xml", XML_ERR_DOCUMENT_EMPTY, 3, "Document is empty"},
      {"cut.xml", XML_ERR_DOCUMENT_END, 1, "Premature end of data"},
      {"two-roots.xml", XML_ERR_DOCUMENT_END, 1, "Extra content at the end of the document"},
      {"nul.xml", XML_ERR_INVALID_CHAR, 1, "Char 0x0 out of allowed range"},
      {"bad-utf8.xml", XML_ERR_INVALID_CHAR, 1, "Input is not proper UTF-8, indicate encoding ! Bytes: 0xFF 0x27 0x2F 0x3E"},
      {"bad-1251.xml", XML_I18N_CONV_FAILED, 1, "input conversion failed due to input error, bytes 0x98 0x27 0x2F 0x3E"},
      {"unknown-encoding.xml", XML_ERR_UNSUPPORTED_ENCODING, 1, "Unsupported encoding no-such"},
      {"prefix.xml", XML_NS_ERR_UNDEFINED_NAMESPACE, 1, "Namespace prefix a on file is not defined"},
  };
  for (const Case& c : cases) {
    JobRead job = ReadJobFile(dir / c.name);
    EXPECT_FALSE(job.loaded) << c.name;
    EXPECT_EQ(job.error.code, static_cast<std::uint32_t>(c.code)) << c.name;
    EXPECT_EQ(job.error.line, c.line) << c.name;
    EXPECT_EQ(Reason(job.error), c.reason) << c.name;
  }
}

// Standard error, redirected to a file for the life of this object.
class CapturedStandardError {
 public:
  explicit CapturedStandardError(const std::string& path) : path_(path) {
    std::fflush(stderr);
    saved_ = dup(2);
    int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(file, 2);
    close(file);
  }
  std::string Release() {
    std::fflush(stderr);
    dup2(saved_, 2);
    close(saved_);
    return ReadFile(path_);
  }

 private:
  std::string path_;
  int saved_;
};

TEST(JobFileReaderErrors, Libxml2PrintsNothingOfItsOwn) {
  TempDir dir;
  const std::vector<std::string> documents = {
      "<r><file oldName='a'></r>",
      "<?xml version='1.0' encoding='windows-1251'?><r title='\x98'/>",
      "<r title='\xC3'/>",
      "<r><a:file/></r>",
      "<r xmlns='relative/uri'><file oldName='warned'/></r>",
      "<!DOCTYPE r SYSTEM 'missing.dtd'><r>&undeclared;<file title='&alsoundeclared;'/></r>",
      "<!DOCTYPE r [<!ENTITY e SYSTEM 'file:///nonexistent'>]><r>&e;</r>",
      "<!DOCTYPE r [<!ENTITY a 'x'><!ENTITY a 'y'>]><r><file title='&a;'/></r>",
  };
  CapturedStandardError captured(dir / "stderr");
  for (const std::string& xml : documents) ReadJobText(xml);
  WriteFile(dir / "job.xml", documents[0]);
  ReadJobFile(dir / "job.xml");
  EXPECT_EQ(captured.Release(), "");
}

std::string JobWithEntries(int count) {
  std::string xml = "<album title='A'>\n";
  for (int i = 0; i < count; ++i) xml += "  <file oldName='track" + std::to_string(i) + ".mp3' title='Song'/>\n";
  return xml + "</album>\n";
}

TEST(JobFileReaderErrors, FileChangedAfterItsCheckAbandonsTheJobFile) {
  TempDir dir;
  std::string path = dir / "job.xml";
  std::string xml = JobWithEntries(3000);  // more than one piece of reading
  WriteFile(path, xml);
  std::unique_ptr<JobFileReader> reader = JobFileReader::Create(RealPlatform());
  ParseError error;
  ASSERT_TRUE(reader->LoadJobFile(path, &error));
  std::size_t cut = 0;
  for (int line = 0; line <= 1000; ++line) cut = xml.find('\n', cut) + 1;
  WriteFile(path, xml.substr(0, cut));  // cut short in place after 1000 entries

  reader->OpenEntries();
  TrackEntry entry;
  int read = 0;
  try {
    while (reader->NextEntry(&entry)) ++read;
    FAIL() << "no failure after " << read << " entries";
  } catch (const JobFileFailure& failure) {
    EXPECT_EQ(read, 1000);
    EXPECT_NE(Utf16ToUtf8(failure.description()).find("Premature end of data"), std::string::npos);
    EXPECT_FALSE(failure.message().empty());
  }
  EXPECT_FALSE(reader->NextEntry(&entry));

  // The next job file is read as usual.
  WriteFile(path, JobWithEntries(2));
  ASSERT_TRUE(reader->LoadJobFile(path, &error));
  reader->OpenEntries();
  EXPECT_TRUE(reader->NextEntry(&entry));
  EXPECT_EQ(entry.oldName, u"track0.mp3");
}

TEST(JobFileReaderErrors, CheckedFileIsReadEvenIfItIsRemovedOrReplaced) {
  TempDir dir;
  std::string path = dir / "job.xml";
  WriteFile(path, JobWithEntries(2));
  std::unique_ptr<JobFileReader> reader = JobFileReader::Create(RealPlatform());
  ParseError error;
  ASSERT_TRUE(reader->LoadJobFile(path, &error));
  WriteFile(dir / "other.xml", "<album><file oldName='other.mp3'/></album>");
  ASSERT_EQ(std::rename((dir / "other.xml").c_str(), path.c_str()), 0);
  reader->OpenEntries();
  TrackEntry entry;
  ASSERT_TRUE(reader->NextEntry(&entry));
  EXPECT_EQ(entry.oldName, u"track0.mp3");
  ASSERT_EQ(std::remove(path.c_str()), 0);
  ASSERT_TRUE(reader->NextEntry(&entry));
  EXPECT_EQ(entry.oldName, u"track1.mp3");
  EXPECT_FALSE(reader->NextEntry(&entry));
}

}  // namespace
}  // namespace velkor::testing
