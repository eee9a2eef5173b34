#include "text/utf.h"

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

bool AppendUtf8Of(std::u16string_view text, std::string* out) {
  bool valid = true;
  // Most text is ASCII: copy that run with no per-unit bookkeeping.
  size_t ascii = 0;
  while (ascii < text.size() && text[ascii] < 0x80) ++ascii;
  size_t start = out->size();
  out->resize(start + ascii);
  for (size_t i = 0; i < ascii; ++i) (*out)[start + i] = static_cast<char>(text[i]);
  if (ascii == text.size()) return true;
  out->reserve(start + ascii + (text.size() - ascii) * 3);
  for (size_t i = ascii; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacementCharacter;
      valid = false;
    }
    AppendUtf8(cp, out);
  }
  return valid;
}

std::string Utf16ToUtf8(std::u16string_view text, bool* valid) {
  std::string out;
  bool all_valid = AppendUtf8Of(text, &out);
  if (valid) *valid = all_valid;
  return out;
}

}  // namespace velkor
