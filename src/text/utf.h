// Conversions between UTF-8 and the program's UTF-16 text.
#ifndef VELKOR_TEXT_UTF_H_
#define VELKOR_TEXT_UTF_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace velkor {

constexpr char16_t kReplacementCharacter = u'\uFFFD';

// Invalid or truncated sequences become U+FFFD; `valid` (when given) tells whether any did.
std::u16string Utf8ToUtf16(std::string_view bytes, bool* valid = nullptr);

// A lone surrogate becomes U+FFFD, or makes `valid` false when it is given.
std::string Utf16ToUtf8(std::u16string_view text, bool* valid = nullptr);
// The same appended to `out`, whose storage is reused; false when a lone surrogate was replaced.
bool AppendUtf8Of(std::u16string_view text, std::string* out);
// The same for the text before its first NUL.
bool AppendUtf8UpToNul(std::u16string_view text, std::string* out);

// Appends `c` (below 0x110000) in UTF-8; a surrogate takes the three bytes of its value.
void AppendCodePoint(char32_t c, std::string* out);

// Copies the ASCII units at the start of `text` into `out`, which has room for all of
// them, up to the first NUL or non-ASCII unit; how many it copied.
std::size_t CopyAsciiPrefix(std::u16string_view text, char* out);

}  // namespace velkor

#endif  // VELKOR_TEXT_UTF_H_
