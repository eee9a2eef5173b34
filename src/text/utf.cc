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

// True when the eight units, four in each word, are ASCII and none is below `kLowestPlain`.
template <char16_t kLowestPlain>
bool AllPlain(std::uint64_t low, std::uint64_t high) {
  if ((low | high) & kAboveAscii) return false;
  // Every unit is below 0x80, so taking `kLowestPlain` from each sets a unit's top bit
  // only where it was below that; a borrow sets bits only above such a unit.
  constexpr std::uint64_t kLowest = kLowestPlain * kUnitOnes;
  return (((low - kLowest) | (high - kLowest)) & kUnitTopBits) == 0;
}

// Narrows the eight units at `text` into `out` when all of them are plain ASCII.
template <char16_t kLowestPlain>
inline bool NarrowBlock(const char16_t* text, char* out) {
  std::uint64_t low, high;
  std::memcpy(&low, text, sizeof low);
  std::memcpy(&high, text + 4, sizeof high);
  if (!AllPlain<kLowestPlain>(low, high)) return false;
  char block[8];  // local, so that no store to `out` can change `text` as far as the compiler knows
  for (size_t i = 0; i < 8; ++i) block[i] = static_cast<char>(text[i]);
  std::memcpy(out, block, sizeof block);
  return true;
}

// Copies the ASCII units at the start of `text` that are not below `kLowestPlain` into
// `out`, eight at a time while it can; their count.
template <char16_t kLowestPlain>
size_t NarrowAscii(std::u16string_view text, char* out) {
  size_t length = 0;
  while (length + 8 <= text.size() && NarrowBlock<kLowestPlain>(text.data() + length, out + length)) length += 8;
  // The last few units as one more block that overlaps the one before.
  if (length + 8 > text.size() && length != text.size() && text.size() >= 8 &&
      NarrowBlock<kLowestPlain>(text.data() + text.size() - 8, out + text.size() - 8)) {
    return text.size();
  }
  for (; length < text.size() && text[length] < 0x80 && text[length] >= kLowestPlain; ++length) {
    out[length] = static_cast<char>(text[length]);
  }
  return length;
}

// What ends a text, and which ASCII units get a look of their own: those below
// `kLowestPlain`.
template <char16_t kLowestPlainUnit, bool kNulEnds>
struct Sweep {
  static constexpr char16_t kLowestPlain = kLowestPlainUnit;
  static constexpr bool kEndsAtNul = kNulEnds;
};

using Whole = Sweep<0, false>;
using UpToNul = Sweep<1, true>;

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

// Writes the UTF-8 of `cp` at `out`; past its last byte.
char* PutUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Most text is ASCII: its runs are narrowed into a block on the stack, the other units
// are encoded one by one next to them, and the block is appended whenever it fills, so
// that a short text costs one append.
template <typename Sweep>
bool AppendUtf8(std::u16string_view text, std::string* out) {
  constexpr size_t kLongestCharacter = 4;
  char block[256];
  size_t used = 0;
  bool valid = true;
  while (!text.empty()) {
    if (sizeof block - used < kLongestCharacter) {
      out->append(block, used);
      used = 0;
    }
    const size_t length = NarrowAscii<Sweep::kLowestPlain>(text.substr(0, sizeof block - used), block + used);
    used += length;
    text.remove_prefix(length);
    if (text.empty() || sizeof block - used < kLongestCharacter) continue;
    const char16_t unit = text[0];
    if (unit == 0 && Sweep::kEndsAtNul) break;
    char32_t cp;
    text.remove_prefix(DecodeUtf16(text, &cp, &valid));
    used = static_cast<size_t>(PutUtf8(cp, block + used) - block);
  }
  out->append(block, used);
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

bool AppendUtf8Of(std::u16string_view text, std::string* out) { return AppendUtf8<Whole>(text, out); }

bool AppendUtf8UpToNul(std::u16string_view text, std::string* out) { return AppendUtf8<UpToNul>(text, out); }

std::size_t CopyAsciiPrefix(std::u16string_view text, char* out) { return NarrowAscii<UpToNul::kLowestPlain>(text, out); }

std::string Utf16ToUtf8(std::u16string_view text, bool* valid) {
  std::string out;
  bool all_valid = AppendUtf8Of(text, &out);
  if (valid) *valid = all_valid;
  return out;
}

void AppendCodePoint(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | c >> 6));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | c >> 12));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | c >> 18));
    out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace velkor
