#include "reader/declared_encoding.h"

#include <string>

namespace velkor {
namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The first characters of a UTF-16 file after its byte order mark, as ASCII (anything
// else as '?'), up to the end of its XML declaration or `limit` characters.
std::string NarrowUtf16(std::string_view bytes, bool little_endian, std::size_t limit) {
  std::string text;
  for (std::size_t at = 0; at + 1 < bytes.size() && text.size() < limit; at += 2) {
    const unsigned low = static_cast<unsigned char>(bytes[at + (little_endian ? 0 : 1)]);
    const unsigned high = static_cast<unsigned char>(bytes[at + (little_endian ? 1 : 0)]);
    const unsigned unit = high << 8 | low;
    text += unit < 0x80 ? static_cast<char>(unit) : '?';
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, "?>") == 0) break;
  }
  return text;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// XML's EncName: a letter, then letters, digits, '.', '_' and '-'.
bool IsEncodingName(std::string_view name) {
  if (name.empty() || !IsLetter(name[0])) return false;
  for (char c : name) {
    if (!IsLetter(c) && !(c >= '0' && c <= '9') && c != '.' && c != '_' && c != '-') return false;
  }
  return true;
}

std::string Lowered(std::string_view name) {
  std::string lower;
  for (char c : name) lower += Lower(c);
  return lower;
}

// The encoding names a UTF-16 document may declare.
bool NamesUtf16(std::string_view name) {
  const std::string lower = Lowered(name);
  for (std::string_view utf16 : {"utf-16", "utf-16le", "utf-16be", "ucs-2", "iso-10646-ucs-2", "unicode", "unicodefffe"}) {
    if (lower == utf16) return true;
  }
  return false;
}

}  // namespace

DetectedEncoding DetectEncoding(std::string_view start) {
  auto begins = [&](std::string_view bytes) { return StartsWith(start, bytes); };
  using std::string_view_literals::operator""sv;
  if (begins("\xFF\xFE\x00\x00"sv) || begins("\x00\x00\xFE\xFF"sv) || begins("\x00\x00\x00\x3C"sv) ||
      begins("\x3C\x00\x00\x00"sv) || begins("\x00\x00\x3C\x00"sv) || begins("\x00\x3C\x00\x00"sv) ||
      begins("\x4C\x6F\xA7\x94"sv)) {
    return {EncodingFamily::kOther, 0};
  }
  if (begins("\xFF\xFE"sv)) return {EncodingFamily::kUtf16Le, 2};
  if (begins("\xFE\xFF"sv)) return {EncodingFamily::kUtf16Be, 2};
  // Without a mark, markup's first character shows the byte order: '<' with a zero byte.
  if (begins("\x3C\x00"sv)) return {EncodingFamily::kUtf16Le, 0};
  if (begins("\x00\x3C"sv)) return {EncodingFamily::kUtf16Be, 0};
  return {EncodingFamily::kAsciiCompatible, begins("\xEF\xBB\xBF") ? std::size_t{3} : 0};
}

bool CheckDeclaredEncoding(std::string_view start, ParseError* error) {
  const DetectedEncoding detected = DetectEncoding(start);
  // A declaration is short; 256 characters hold any that names an encoding.
  constexpr std::size_t kLimit = 256;
  std::string text;
  bool utf16 = true;
  if (detected.family == EncodingFamily::kUtf16Le || detected.family == EncodingFamily::kUtf16Be) {
    text = NarrowUtf16(start.substr(detected.bom_bytes), detected.family == EncodingFamily::kUtf16Le, kLimit);
  } else if (detected.family == EncodingFamily::kAsciiCompatible && detected.bom_bytes > 0) {
    // A UTF-8 byte order mark says UTF-8 as plainly as UTF-16's says UTF-16.
    utf16 = false;
    for (char c : start.substr(detected.bom_bytes, kLimit)) text += static_cast<unsigned char>(c) < 0x80 ? c : '?';
  } else {
    return true;
  }
  if (!StartsWith(text, "<?xml") || text.size() < 6 || !IsSpace(text[5])) return true;
  const std::size_t end = text.find("?>");
  const std::size_t key = text.find("encoding");
  if (key == std::string::npos || (end != std::string::npos && key > end) || !IsSpace(text[key - 1])) return true;
  std::size_t at = key + 8;
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at >= text.size() || text[at] != '=') return true;
  ++at;
  while (at < text.size() && IsSpace(text[at])) ++at;
  if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return true;
  const std::size_t close = text.find(text[at], at + 1);
  if (close == std::string::npos) return true;
  const std::string_view name = std::string_view(text).substr(at + 1, close - at - 1);
  // A malformed declaration is left to the library, which refuses it in its own words.
  if (!IsEncodingName(name)) return true;
  if (utf16 ? NamesUtf16(name) : Lowered(name) == "utf-8") return true;
  error->code = kEncodingContradicted;
  error->line = 1;
  error->position = static_cast<std::int32_t>(at + 2);
  error->reason = utf16 ? u"The document is in UTF-16, but its declaration says it is in "
                        : u"The document is in UTF-8, but its declaration says it is in ";
  for (char c : name) error->reason += static_cast<char16_t>(static_cast<unsigned char>(c));
  return false;
}

}  // namespace velkor
