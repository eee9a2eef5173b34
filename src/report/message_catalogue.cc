#include "report/message_catalogue.h"

namespace velkor {

std::u16string LoadTextRaw(Platform& platform, int id) {
  constexpr size_t kBufferUnits = 512;  // the raw loader's buffer, its NUL included
  std::u16string text(platform.LoadText(id));
  if (text.size() >= kBufferUnits) text.resize(kBufferUnits - 1);
  return text;
}

void FormatText(Platform& platform, int id, FormatArgs args, std::u16string* text) {
  FillPrintfInserts(platform.LoadText(id), args, text);
}

std::u16string FormatNumbered(Platform& platform, int id, FormatArgs inserts) {
  return FillNumberedInserts(platform.LoadText(id), inserts);
}

}  // namespace velkor
