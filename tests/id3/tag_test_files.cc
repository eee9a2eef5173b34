#include "tag_test_files.h"

#include <gtest/gtest.h>

#include "id3/id3v1_tag.h"
#include "platform/posix/posix_platform.h"
#include "support/temp_dir.h"

namespace velkor::testing {
namespace {

std::string Padded(const std::string& text, std::size_t length) {
  EXPECT_LE(text.size(), length) << "expected field text too long: " << text;
  std::string out = text.substr(0, length);
  out.resize(length, '\0');
  return out;
}

}  // namespace

std::string AudioBytes(std::size_t size) {
  // A frame-sync-like pattern; 'T' never occurs in it.
  static const char kPattern[] = "\xFF\xFB\x90\x64\x00\x0F\xF0\x00\x4C\x41\x4D\x45";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) out += kPattern[i % (sizeof kPattern - 1)];
  return out;
}

std::string TagLayout::Bytes() const {
  std::string out = "TAG";
  out += Padded(title, 30);
  out += Padded(artist, 30);
  out += Padded(album, 30);
  out += Padded(year, 4);
  out += Padded(comment, 28);
  out += '\0';
  out += static_cast<char>(track);
  out += static_cast<char>(genre);
  return out;
}

std::string TagNewFile(const std::string& path, const TrackEntry& entry, const AlbumDefaults& album,
                       std::size_t audio_size) {
  WriteFile(path, AudioBytes(audio_size));
  PosixPlatform platform;
  Id3v1Tag block;
  TagFile file;
  EXPECT_EQ(TagProbe(platform, path, &block, &file), ProbeResult::NoTag) << path;
  TagBuilder(entry, album, &block);
  EXPECT_TRUE(AppendTag(file, block)) << path;
  std::string bytes = ReadFile(path);
  EXPECT_EQ(bytes.size(), audio_size + kId3v1TagSize) << path;
  EXPECT_EQ(bytes.substr(0, audio_size), AudioBytes(audio_size)) << "audio data changed in " << path;
  return bytes;
}

}  // namespace velkor::testing
