// Helpers for the job file reader's tests: a whole job read in one call.
#ifndef VELKOR_TESTS_DRIVER_JOB_FILE_READER_SUPPORT_H_
#define VELKOR_TESTS_DRIVER_JOB_FILE_READER_SUPPORT_H_

#include <ostream>
#include <string>
#include <vector>

#include "driver/job_file_reader.h"
#include "platform/platform.h"

namespace velkor::testing {

struct JobRead {
  bool loaded = false;
  ParseError error;
  AlbumDefaults album;
  std::vector<TrackEntry> entries;
};

// Loads the job file, then reads the album defaults and every entry.
// The real platform, shared by the reader tests.
Platform& RealPlatform();

JobRead ReadJobFile(const std::string& path);
JobRead ReadJobText(const std::string& xml);

// Each entry's nine fields in table order, UTF-8, joined by '|'.
std::vector<std::string> EntryRows(const JobRead& job);

}  // namespace velkor::testing

namespace velkor {
void PrintTo(const ParseError& error, std::ostream* out);
}  // namespace velkor

#endif  // VELKOR_TESTS_DRIVER_JOB_FILE_READER_SUPPORT_H_
