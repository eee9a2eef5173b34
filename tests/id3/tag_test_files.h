// Entries, audio-like files and tag layouts written out for the tag tests.
#ifndef VELKOR_TESTS_ID3_TAG_TEST_FILES_H_
#define VELKOR_TESTS_ID3_TAG_TEST_FILES_H_

#include <cstdint>
#include <string>

#include "driver/job_records.h"

namespace velkor::testing {

// "title=Intro;track=5": a file element's attributes (UTF-8), or the root's for Album.
TrackEntry Entry(const std::string& attributes);
AlbumDefaults Album(const std::string& attributes);

// `size` bytes that look like audio data and never contain the letter 'T'.
std::string AudioBytes(std::size_t size);

// A tag written out field by field; each text is padded with zero bytes to its field.
struct TagLayout {
  std::string title, artist, album, year, comment;
  int track = 0, genre = 255;
  std::string Bytes() const;
};

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_ID3_TAG_TEST_FILES_H_
