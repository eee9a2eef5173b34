// Filling the 128-byte ID3 v1.1 block from a job-file entry and its album defaults.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "id3/decimal_scan.h"
#include "id3/id3v1_tag.h"
#include "text/utf.h"

namespace velkor {
namespace {

struct TextField {
  std::size_t offset;
  std::size_t length;
};

constexpr TextField kTitle{3, 30};
constexpr TextField kArtist{33, 30};
constexpr TextField kAlbum{63, 30};
constexpr TextField kYear{93, 4};
constexpr TextField kComment{97, 28};
constexpr std::size_t kTrackOffset = 126;
constexpr std::size_t kGenreOffset = 127;
constexpr std::uint8_t kNoGenre = 255;

// The entry's text when it has one, else the album's; empty and missing are the same.
const std::u16string& Choose(const std::u16string& entry, const std::u16string& album) {
  return entry.empty() ? album : entry;
}

// The converted text cut to the field's bytes: a text that fills the field gets no
// terminator, and in a multi-byte charset a character may be split at the field's end.
void PutText(Platform& platform, const std::u16string& text, TextField field, std::string* bytes, Id3v1Tag* tag) {
  char* place = reinterpret_cast<char*>(tag->bytes.data() + field.offset);
  // ASCII is the same bytes in every charset, so a field's worth of it needs no conversion.
  const std::u16string_view head = std::u16string_view(text).substr(0, field.length);
  const std::size_t ascii = CopyAsciiPrefix(head, place);
  if (ascii == head.size() || head[ascii] == u'\0') return;
  platform.ToAnsi(text, bytes);
  std::memcpy(place, bytes->data(), std::min(bytes->size(), field.length));
}

bool IsAscii(const std::u16string& text) {
  return std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit < 0x80; });
}

// The low 8 bits of the scanned number, or `fallback` when the text does not scan. ASCII
// reads the same in every charset; other text is read as converted, where a best fit may
// have turned a fullwidth digit into a plain one.
std::uint8_t NumberByte(Platform& platform, const std::u16string& text, std::uint8_t fallback, std::string* bytes) {
  std::int32_t value = 0;
  bool scanned;
  if (IsAscii(text)) {
    scanned = ScanDecimal(std::u16string_view(text), &value);
  } else {
    platform.ToAnsi(text, bytes);
    scanned = ScanDecimal(*bytes, &value);
  }
  if (!scanned) return fallback;
  return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFFu);
}

}  // namespace

void TagBuilder(Platform& platform, const TrackEntry& entry, const AlbumDefaults& album, std::string* bytes,
                Id3v1Tag* tag) {
  tag->bytes.fill(0);
  tag->bytes[0] = 'T';
  tag->bytes[1] = 'A';
  tag->bytes[2] = 'G';
  PutText(platform, entry.title, kTitle, bytes, tag);
  PutText(platform, Choose(entry.artist, album.artist), kArtist, bytes, tag);
  // The root element's title names the album, never the track.
  PutText(platform, Choose(entry.album, album.title), kAlbum, bytes, tag);
  PutText(platform, Choose(entry.year, album.year), kYear, bytes, tag);
  PutText(platform, entry.comment, kComment, bytes, tag);
  // Byte 125 stays 0: it marks the tag as v1.1, with a track number after it.
  if (!entry.track.empty()) tag->bytes[kTrackOffset] = NumberByte(platform, entry.track, 0, bytes);
  const std::u16string& genre = Choose(entry.genre, album.genre);
  tag->bytes[kGenreOffset] = genre.empty() ? kNoGenre : NumberByte(platform, genre, kNoGenre, bytes);
}

void TagBuilder(Platform& platform, const TrackEntry& entry, const AlbumDefaults& album, Id3v1Tag* tag) {
  std::string bytes;
  TagBuilder(platform, entry, album, &bytes, tag);
}

}  // namespace velkor
