#include "tag_test_files.h"

#include <gtest/gtest.h>

#include "driver/job_file_reader.h"
#include "text/utf.h"

namespace velkor::testing {
namespace {

template <typename Record, std::size_t N>
Record Parse(const std::string& attributes, const std::array<FieldBinding<Record>, N>& bindings) {
  Record record;
  for (std::size_t start = 0; start < attributes.size();) {
    std::size_t end = std::min(attributes.find(';', start), attributes.size());
    std::size_t equals = attributes.find('=', start);
    std::u16string name = Utf8ToUtf16(attributes.substr(start, equals - start));
    bool known = false;
    for (const FieldBinding<Record>& binding : bindings) {
      if (binding.attribute != name) continue;
      record.*binding.field = Utf8ToUtf16(attributes.substr(equals + 1, end - equals - 1));
      known = true;
    }
    EXPECT_TRUE(known) << "no attribute " << attributes.substr(start, equals - start);
    start = end + 1;
  }
  return record;
}

}  // namespace

TrackEntry Entry(const std::string& attributes) { return Parse(attributes, kEntryBindings); }
AlbumDefaults Album(const std::string& attributes) { return Parse(attributes, kAlbumBindings); }

std::string AudioBytes(std::size_t size) {
  static const char kPattern[] = "\xFF\xFB\x90\x64\x00\x0F\xF0\x00\x4C\x41\x4D\x45";
  std::string out;
  for (std::size_t i = 0; i < size; ++i) out += kPattern[i % (sizeof kPattern - 1)];
  return out;
}

std::string TagLayout::Bytes() const {
  std::string out = "TAG";
  for (auto [text, length] : {std::pair{&title, 30u}, {&artist, 30u}, {&album, 30u}, {&year, 4u}, {&comment, 28u}}) {
    EXPECT_LE(text->size(), length) << "expected field too long: " << *text;
    out += *text + std::string(length - std::min<std::size_t>(text->size(), length), '\0');
  }
  return out + '\0' + static_cast<char>(track) + static_cast<char>(genre);
}

}  // namespace velkor::testing
