#include "id3/id3v1_tag.h"

namespace velkor {

TagFile::~TagFile() { Close(); }

void TagFile::Close() {
  if (is_open()) platform_->Close(file_);
  file_ = kNoFile;
}

// Not yet tagging: every probe fails to open.
ProbeResult TagProbe(Platform&, const std::string&, Id3v1Tag*, TagFile*) { return ProbeResult::OpenFailed; }

void TagBuilder(const TrackEntry&, const AlbumDefaults&, Id3v1Tag* tag) { tag->bytes.fill(0); }

bool AppendTag(TagFile& file, const Id3v1Tag&) {
  file.Close();
  return false;
}

}  // namespace velkor
