#include "job_file_reader_support.h"

#include <gtest/gtest.h>

#include "platform/posix/posix_platform.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

// The XML library is brought up once for every test, as the program does at start-up.
class XmlLibraryEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(InitXmlLibrary()); }
  void TearDown() override { ShutdownXmlLibrary(); }
};

::testing::Environment* const kXmlLibrary = ::testing::AddGlobalTestEnvironment(new XmlLibraryEnvironment);

JobRead ReadRest(JobFileReader& reader, JobRead job) {
  if (!job.loaded) return job;
  reader.ReadAlbumDefaults(&job.album);
  reader.OpenEntries();
  TrackEntry entry;
  while (reader.NextEntry(&entry)) job.entries.push_back(entry);
  return job;
}

}  // namespace

Platform& RealPlatform() {
  static PosixPlatform platform;
  return platform;
}

JobRead ReadJobFile(const std::string& path) {
  std::unique_ptr<JobFileReader> reader = JobFileReader::Create(RealPlatform());
  JobRead job;
  job.loaded = reader->LoadJobFile(path, &job.error);
  return ReadRest(*reader, std::move(job));
}

JobRead ReadJobText(const std::string& xml) {
  std::unique_ptr<JobFileReader> reader = JobFileReader::Create(RealPlatform());
  JobRead job;
  job.loaded = reader->LoadJobFileFromMemory(xml, &job.error);
  return ReadRest(*reader, std::move(job));
}

std::vector<std::string> EntryRows(const JobRead& job) {
  std::vector<std::string> rows;
  for (const TrackEntry& entry : job.entries) {
    std::string row;
    for (const auto& binding : kEntryBindings) {
      if (&binding != &kEntryBindings[0]) row += '|';
      row += Utf16ToUtf8(entry.*binding.field);
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace velkor::testing

namespace velkor {
void PrintTo(const ParseError& error, std::ostream* out) {
  *out << "{code " << error.code << ", line " << error.line << ", position " << error.position << ", \""
       << Utf16ToUtf8(error.reason) << "\"}";
}
}  // namespace velkor
