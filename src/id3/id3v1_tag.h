// The ID3 v1.1 tag: finding one at the end of a file, building one from a job-file
// entry, and appending it.
#ifndef VELKOR_ID3_ID3V1_TAG_H_
#define VELKOR_ID3_ID3V1_TAG_H_

#include <array>
#include <cstdint>
#include <string>

#include "records/job_records.h"
#include "platform/platform.h"

namespace velkor {

constexpr std::size_t kId3v1TagSize = 128;

// The 128-byte block in the ID3 v1.1 layout.
struct Id3v1Tag {
  std::array<std::uint8_t, kId3v1TagSize> bytes{};
};

enum class ProbeResult { OpenFailed, HasTag, NoTag };

// A file that TagProbe left open for AppendTag. Closes itself if never appended to.
class TagFile {
 public:
  TagFile() = default;
  ~TagFile();
  TagFile(const TagFile&) = delete;
  TagFile& operator=(const TagFile&) = delete;

  bool is_open() const { return file_ != kNoFile; }

 private:
  friend ProbeResult TagProbe(Platform&, const NativePath&, Id3v1Tag*, TagFile*);
  friend bool AppendTag(TagFile&, const Id3v1Tag&);
  void Close();

  Platform* platform_ = nullptr;
  NativeFile file_ = kNoFile;
  std::uint64_t size_ = 0;
};

// Looks at the last 128 bytes of the file at `path`. With NoTag the file stays open in
// `file`; otherwise nothing is open afterwards.
ProbeResult TagProbe(Platform& platform, const NativePath& path, Id3v1Tag* block, TagFile* file);

// Fills `tag` from the entry, with the album defaults as fallbacks; texts in the
// platform's charset.
void TagBuilder(Platform& platform, const TrackEntry& entry, const AlbumDefaults& album, Id3v1Tag* tag);
// The same with `bytes` holding each converted text in turn, its storage reused from tag to tag.
void TagBuilder(Platform& platform, const TrackEntry& entry, const AlbumDefaults& album, std::string* bytes,
                Id3v1Tag* tag);

// Writes the tag after the file's last byte and closes the file. False when the write
// failed or fell short, the file then cut back to its old size, or when `file` is not open.
bool AppendTag(TagFile& file, const Id3v1Tag& tag);

}  // namespace velkor

#endif  // VELKOR_ID3_ID3V1_TAG_H_
