// Feeds arbitrary bytes to the job file reader as a job file. Besides crashes, leaks and
// undefined behaviour it catches broken promises: a failed load always explains itself
// on one line, and a job file that passed its check is read to the end without failing,
// since both passes see the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "reader/job_file_failure.h"
#include "reader/libxml2/libxml2_job_file_reader.h"
#include "platform/posix/posix_platform.h"

namespace {

bool EndsInLineBreak(const std::u16string& text) {
  return !text.empty() && (text.back() == u'\n' || text.back() == u'\r');
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (!velkor::InitXmlLibrary()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static velkor::PosixPlatform platform;
  auto reader = std::make_unique<velkor::Libxml2JobFileReader>(platform);
  velkor::ParseError error;
  if (!reader->LoadJobFileFromMemory(std::string(reinterpret_cast<const char*>(data), size), &error)) {
    if (error.code == 0 || error.reason.empty() || EndsInLineBreak(error.reason)) std::abort();
    return 0;
  }
  velkor::AlbumDefaults album;
  reader->ReadAlbumDefaults(&album);
  reader->OpenEntries();
  velkor::TrackEntry entry;
  try {
    while (reader->NextEntry(&entry)) {
    }
  } catch (const velkor::JobFileFailure&) {
    std::abort();
  }
  return 0;
}
