// The character a character reference names, as job files and their entities spell them.
#ifndef VELKOR_READER_CHARACTER_REFERENCE_H_
#define VELKOR_READER_CHARACTER_REFERENCE_H_

#include <cstdint>
#include <string_view>

namespace velkor {

inline bool IsXmlChar(std::uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
         (c >= 0x10000 && c <= 0x10FFFF);
}

// The digits of a character reference ("38", "x26"); 0 when they name no XML character.
inline std::uint32_t CharacterReference(std::string_view digits) {
  unsigned base = 10;
  if (!digits.empty() && digits[0] == 'x') {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty()) return 0;
  std::uint32_t value = 0;
  for (char c : digits) {
    unsigned digit;
    if (c >= '0' && c <= '9') digit = static_cast<unsigned>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f') digit = static_cast<unsigned>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F') digit = static_cast<unsigned>(c - 'A' + 10);
    else return 0;
    value = value * base + digit;
    if (value > 0x10FFFF) return 0;
  }
  return IsXmlChar(value) ? value : 0;
}

}  // namespace velkor

#endif  // VELKOR_READER_CHARACTER_REFERENCE_H_
