// Attribute values as the scans hand them over (UTF-8) into the UTF-16 fields of the
// records. Inline: both the kept entries and the entries pass decode every value of every
// entry through here.
#ifndef VELKOR_READER_ENTRY_FIELDS_H_
#define VELKOR_READER_ENTRY_FIELDS_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "reader/job_file_reader.h"
#include "reader/scan_sink.h"
#include "text/utf.h"

namespace velkor {

// The attribute names of `bindings`, in UTF-8, in their order.
template <typename Record, std::size_t N>
std::vector<std::string> AttributeNames(const std::array<FieldBinding<Record>, N>& bindings) {
  std::vector<std::string> names;
  for (const FieldBinding<Record>& binding : bindings) names.push_back(Utf16ToUtf8(binding.attribute));
  return names;
}

// Widens eight ASCII bytes at `text` into `out`; false, with nothing written, when they are
// not all ASCII.
inline bool WidenAsciiBlock(const char* text, char16_t* out) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::uint64_t block;
  std::memcpy(&block, text, 8);
  if (block & kHighBits) return false;
  // From a local copy: stores through `out` cannot change it, so they need no reloads.
  unsigned char bytes[8];
  std::memcpy(bytes, &block, 8);
  for (std::size_t i = 0; i < 8; ++i) out[i] = bytes[i];
  return true;
}

// Widens the ASCII text at the start of `text` into `out`, eight bytes at a time; its length.
inline std::size_t WidenAscii(std::string_view text, char16_t* out) {
  std::size_t length = 0;
  while (length + 8 <= text.size() && WidenAsciiBlock(text.data() + length, out + length)) length += 8;
  // The rest as one more block, ending at the text's end, when the text is that long.
  if (length < text.size() && length + 8 > text.size() && text.size() >= 8 &&
      WidenAsciiBlock(text.data() + text.size() - 8, out + text.size() - 8)) {
    return text.size();
  }
  for (; length < text.size() && static_cast<unsigned char>(text[length]) < 0x80; ++length) {
    out[length] = static_cast<char16_t>(text[length]);
  }
  return length;
}

// Empties the field, then fills it with the attribute's value when there is one. Job
// files are mostly ASCII, which widens straight into the field's own storage; two- and
// three-byte sequences are decoded in place too, anything else by the general decoder.
inline void ReadAttribute(std::string_view value, std::u16string* field) {
  // Never more units than bytes. Fields often keep their length from entry to entry, and
  // then need no resizing (which would first fill what is about to be written).
  if (field->size() != value.size()) field->resize(value.size());
  char16_t* out = field->data();
  std::size_t in = 0, length = 0;
  for (;;) {
    std::size_t ascii = WidenAscii(value.substr(in), out + length);
    in += ascii;
    length += ascii;
    if (in == value.size()) break;
    unsigned lead = static_cast<unsigned char>(value[in]);
    std::size_t left = value.size() - in;
    if (lead >= 0xC2 && lead < 0xE0 && left >= 2 && (value[in + 1] & 0xC0) == 0x80) {
      out[length++] = static_cast<char16_t>(((lead & 0x1F) << 6) | (value[in + 1] & 0x3F));
      in += 2;
    } else if (lead >= 0xE0 && lead < 0xF0 && left >= 3 && (value[in + 1] & 0xC0) == 0x80 &&
               (value[in + 2] & 0xC0) == 0x80) {
      unsigned unit = ((lead & 0x0F) << 12) | ((value[in + 1] & 0x3F) << 6) | (value[in + 2] & 0x3F);
      if (unit < 0x800 || (unit >= 0xD800 && unit < 0xE000)) break;
      out[length++] = static_cast<char16_t>(unit);
      in += 3;
    } else {
      break;
    }
  }
  field->resize(length);
  if (in < value.size()) field->append(Utf8ToUtf16(value.substr(in)));
}
template <typename Record, std::size_t N>
inline void ReadAttributes(const std::array<FieldBinding<Record>, N>& bindings, const ScanValues& values, Record* record) {
  for (std::size_t row = 0; row < N; ++row) ReadAttribute(values[row], &(record->*bindings[row].field));
}
}  // namespace velkor

#endif  // VELKOR_READER_ENTRY_FIELDS_H_
