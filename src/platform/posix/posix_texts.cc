// Texts on POSIX: the catalogue compiled from the resource script, and conversions
// between the program's UTF-16 and the locale's charset.
#include <cstring>

#include "message_table.h"
#include "platform/posix/posix_charset.h"
#include "platform/posix/posix_platform.h"

namespace velkor {

std::u16string_view PosixPlatform::LoadText(int id) {
  if (id < 1 || id > kLastMessageId) return {};
  return russian_ ? kRussianMessages[id] : kEnglishMessages[id];
}

std::u16string PosixPlatform::ErrorText(SystemError error) { return FromAnsi(std::strerror(error)); }

bool PosixPlatform::PathFromText(std::u16string_view text, NativePath* path) { return ToNativePath(text, path); }

std::u16string PosixPlatform::PathForDisplay(const NativePath& path) { return FromAnsi(path); }

void PosixPlatform::ToAnsi(std::u16string_view text, std::string* out) {
  out->clear();
  AppendAnsi(text, out);
}

}  // namespace velkor
