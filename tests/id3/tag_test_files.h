// Audio-like files and tag expectations shared by the tag tests.
#ifndef VELKOR_TESTS_ID3_TAG_TEST_FILES_H_
#define VELKOR_TESTS_ID3_TAG_TEST_FILES_H_

#include <cstdint>
#include <string>

#include "driver/job_records.h"

namespace velkor::testing {

// `size` bytes that look like audio data and never contain the letters "TAG".
std::string AudioBytes(std::size_t size);

// A tag written out field by field: each text is padded with zero bytes to its field's
// length and must already fit it, so cuts are spelled out by the tests themselves.
struct TagLayout {
  std::string title, artist, album, year, comment;
  std::uint8_t track = 0;
  std::uint8_t genre = 255;

  std::string Bytes() const;
};

// Creates `path` with `audio_size` bytes, tags it with the real platform and returns
// the whole file afterwards. Fails the test when the probe or the write fails.
std::string TagNewFile(const std::string& path, const TrackEntry& entry, const AlbumDefaults& album,
                       std::size_t audio_size = 300);

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_ID3_TAG_TEST_FILES_H_
