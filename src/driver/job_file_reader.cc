#include "driver/job_file_reader.h"

#include <libxml/parser.h>

namespace velkor {

struct JobFileReader::State {};

bool InitXmlLibrary() {
  xmlInitParser();
  return true;
}

void ShutdownXmlLibrary() { xmlCleanupParser(); }

JobFileReader::JobFileReader() : state_(std::make_unique<State>()) {}
JobFileReader::~JobFileReader() = default;

std::unique_ptr<JobFileReader> JobFileReader::Create() { return std::unique_ptr<JobFileReader>(new JobFileReader()); }

// Not yet reading: every job file loads and has no entries.
bool JobFileReader::LoadJobFile(const std::string&, ParseError*) { return true; }
void JobFileReader::ReadAlbumDefaults(AlbumDefaults* defaults) { *defaults = AlbumDefaults(); }
void JobFileReader::OpenEntries() {}
bool JobFileReader::NextEntry(TrackEntry*) { return false; }

}  // namespace velkor
