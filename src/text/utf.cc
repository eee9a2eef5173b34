#include "text/utf.h"

#include <cstdint>
#include <cstring>

namespace velkor {
namespace {

void AppendUtf16(char32_t cp, std::u16string* out) {
  if (cp < 0x10000) {
    out->push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one sequence at `i`; returns its length, or 0 when it is not valid UTF-8.
size_t DecodeUtf8(std::string_view bytes, size_t i, char32_t* cp) {
  unsigned char lead = static_cast<unsigned char>(bytes[i]);
  size_t length;
  char32_t min;
  if (lead < 0x80) { *cp = lead; return 1; }
  if (lead >= 0xC2 && lead <= 0xDF) { length = 2; min = 0x80; *cp = lead & 0x1F; }
  else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; min = 0x800; *cp = lead & 0x0F; }
  else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; min = 0x10000; *cp = lead & 0x07; }
  else return 0;
  if (i + length > bytes.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    unsigned char next = static_cast<unsigned char>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    *cp = (*cp << 6) | (next & 0x3F);
  }
  if (*cp < min || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) return 0;
  return length;
}


// Four UTF-16 units in one 64-bit word, whatever the byte order.
constexpr std::uint64_t kAboveAscii = 0xFF80FF80FF80FF80u;
constexpr std::uint64_t kUnitOnes = 0x0001000100010001u;
constexpr std::uint64_t kUnitTopBits = 0x8000800080008000u;

// True when the four units are ASCII and, with `nul_ends`, none of them is NUL.
bool AllAscii(std::uint64_t units, bool nul_ends) {
  if (units & kAboveAscii) return false;
  // Every unit is below 0x80, so taking 1 from each sets a unit's top bit only where it was 0.
  return !nul_ends || ((units - kUnitOnes) & kUnitTopBits) == 0;
}

bool EndsText(char16_t unit, bool nul_ends) { return unit >= 0x80 || (nul_ends && unit == 0); }

// Copies the ASCII units at the start of `text` into `out`, eight at a time while it can;
// their count. With `nul_ends` a NUL stops the copy too.
size_t NarrowAscii(std::u16string_view text, bool nul_ends, char* out) {
  size_t length = 0;
  for (std::uint64_t low, high; length + 8 <= text.size(); length += 8) {
    std::memcpy(&low, text.data() + length, sizeof low);
    std::memcpy(&high, text.data() + length + 4, sizeof high);
    if (!AllAscii(low, nul_ends) || !AllAscii(high, nul_ends)) break;
    char block[8];  // local, so that no store to `out` can change `text` as far as the compiler knows
    for (size_t i = 0; i < 8; ++i) block[i] = static_cast<char>(text[length + i]);
    std::memcpy(out + length, block, sizeof block);
  }
  for (; length < text.size() && !EndsText(text[length], nul_ends); ++length) {
    out[length] = static_cast<char>(text[length]);
  }
  return length;
}

// The code point at the start of `text`, which is not empty, and how many units it takes.
// A lone surrogate is U+FFFD and makes `valid` false.
size_t DecodeUtf16(std::u16string_view text, char32_t* cp, bool* valid) {
  *cp = text[0];
  if (*cp >= 0xD800 && *cp <= 0xDBFF && text.size() > 1 && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
    *cp = 0x10000 + ((*cp - 0xD800) << 10) + (text[1] - 0xDC00);
    return 2;
  }
  if (*cp >= 0xD800 && *cp <= 0xDFFF) {
    *cp = kReplacementCharacter;
    *valid = false;
  }
  return 1;
}

// Most text is ASCII: its runs go through a buffer on the stack and are appended whole,
// and only the other characters are encoded one by one. With `nul_ends` the text ends
// at its first NUL.
bool AppendUtf8(std::u16string_view text, bool nul_ends, std::string* out) {
  bool valid = true;
  while (!text.empty()) {
    char ascii[64];
    size_t length = NarrowAscii(text.substr(0, sizeof ascii), nul_ends, ascii);
    out->append(ascii, length);
    text.remove_prefix(length);
    if (text.empty() || length == sizeof ascii) continue;
    if (nul_ends && text[0] == 0) break;
    char32_t cp;
    text.remove_prefix(DecodeUtf16(text, &cp, &valid));
    AppendUtf8(cp, out);
  }
  return valid;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view bytes, bool* valid) {
  std::u16string out;
  out.reserve(bytes.size());
  if (valid) *valid = true;
  for (size_t i = 0; i < bytes.size();) {
    char32_t cp;
    size_t length = DecodeUtf8(bytes, i, &cp);
    if (length == 0) {
      out.push_back(kReplacementCharacter);
      if (valid) *valid = false;
      ++i;
      continue;
    }
    AppendUtf16(cp, &out);
    i += length;
  }
  return out;
}

bool AppendUtf8Of(std::u16string_view text, std::string* out) { return AppendUtf8(text, false, out); }

bool AppendUtf8UpToNul(std::u16string_view text, std::string* out) { return AppendUtf8(text, true, out); }

std::size_t CopyAsciiPrefix(std::u16string_view text, char* out) { return NarrowAscii(text, true, out); }

std::string Utf16ToUtf8(std::u16string_view text, bool* valid) {
  std::string out;
  bool all_valid = AppendUtf8Of(text, &out);
  if (valid) *valid = all_valid;
  return out;
}

}  // namespace velkor
