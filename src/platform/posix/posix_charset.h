// Conversion between the program's UTF-16 text and the bytes of the locale's charset,
// used for tag text, for everything printed and for paths handed to the system. The
// charset is the process's, as its locale is.
#ifndef VELKOR_PLATFORM_POSIX_POSIX_CHARSET_H_
#define VELKOR_PLATFORM_POSIX_POSIX_CHARSET_H_

#include <string>
#include <string_view>

namespace velkor {

// Chooses the charset of every later conversion, for the rest of the run. The plain C
// locale's ASCII, and any name the converter does not know, count as UTF-8.
void SelectAnsiCharset(const std::string& charset_name);

// The charset in force, as the converter names it ("UTF-8", "CP1251", ...).
const std::string& AnsiCharsetName();

// The text up to its first NUL in the charset. A character the charset lacks is
// transliterated where the converter can, and becomes '?' where it cannot.
std::string ToAnsi(std::u16string_view text);

// The same appended to `out`, whose storage is reused.
void AppendAnsi(std::u16string_view text, std::string* out);

// Bytes in the charset as UTF-16; bytes that do not decode become U+FFFD.
std::u16string FromAnsi(std::string_view bytes);

// A path for the system: encoded exactly or not at all. A best-fit character could
// name a different file that exists, so any character the charset lacks, or a NUL,
// makes this return false.
bool ToNativePath(std::u16string_view path, std::string* native);

}  // namespace velkor

#endif  // VELKOR_PLATFORM_POSIX_POSIX_CHARSET_H_
