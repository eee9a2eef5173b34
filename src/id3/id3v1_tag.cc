#include "id3/id3v1_tag.h"

namespace velkor {
namespace {

// Positions are kept to 32 bits: a tag that would start at 2^32 - 1 or later cannot be
// reached, so such a file counts as one that failed to open.
constexpr std::uint64_t kLastReachableTagStart = 0xFFFFFFFEu;

bool BeginsWithTagMark(const Id3v1Tag& block) {
  return block.bytes[0] == 'T' && block.bytes[1] == 'A' && block.bytes[2] == 'G';
}

}  // namespace

TagFile::~TagFile() { Close(); }

void TagFile::Close() {
  if (is_open()) platform_->Close(file_);
  platform_ = nullptr;
  file_ = kNoFile;
  size_ = 0;
}

ProbeResult TagProbe(Platform& platform, const NativePath& path, Id3v1Tag* block, TagFile* file) {
  file->Close();
  NativeFile native = kNoFile;
  std::uint64_t size = 0;
  if (platform.OpenForUpdate(path, &native, &size) != 0) return ProbeResult::OpenFailed;
  // Owned by `file` from here, so every early return closes it.
  file->platform_ = &platform;
  file->file_ = native;
  file->size_ = size;

  if (size < kId3v1TagSize || size - kId3v1TagSize > kLastReachableTagStart) {
    file->Close();
    return ProbeResult::OpenFailed;
  }
  // Only the last 128 bytes are ever read; the audio data plays no part.
  std::int64_t got = platform.ReadAt(native, block->bytes.data(), kId3v1TagSize, size - kId3v1TagSize);
  if (got != static_cast<std::int64_t>(kId3v1TagSize)) {
    file->Close();
    return ProbeResult::OpenFailed;
  }
  if (BeginsWithTagMark(*block)) {
    file->Close();
    return ProbeResult::HasTag;
  }
  return ProbeResult::NoTag;
}

bool AppendTag(TagFile& file, const Id3v1Tag& tag) {
  if (!file.is_open()) return false;
  std::int64_t written = file.platform_->WriteAt(file.file_, tag.bytes.data(), kId3v1TagSize, file.size_);
  bool complete = written == static_cast<std::int64_t>(kId3v1TagSize);
  // A partial tag would make the file look tagged to the next reader: cut it off again.
  if (!complete) file.platform_->Truncate(file.file_, file.size_);
  file.Close();
  return complete;
}

}  // namespace velkor
