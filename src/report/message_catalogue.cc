#include "report/message_catalogue.h"

#include "message_table.h"

namespace velkor {
namespace {

Language g_language = Language::English;

}  // namespace

Language LanguageForLocale(std::string_view locale_name) {
  return locale_name.substr(0, 2) == "ru" ? Language::Russian : Language::English;
}

void SelectLanguage(Language language) { g_language = language; }

std::u16string LoadText(int id) {
  if (id < 1 || id > kLastMessageId) return {};
  return g_language == Language::Russian ? kRussianMessages[id] : kEnglishMessages[id];
}

std::u16string LoadTextRaw(int id) {
  constexpr size_t kBufferUnits = 512;  // the raw loader's buffer, its NUL included
  std::u16string text = LoadText(id);
  if (text.size() >= kBufferUnits) text.resize(kBufferUnits - 1);
  return text;
}

std::u16string FormatText(int id, const std::vector<FormatArg>& args) { return FillPrintfInserts(LoadText(id), args); }

std::u16string FormatNumbered(int id, const std::vector<FormatArg>& inserts) {
  return FillNumberedInserts(LoadText(id), inserts);
}

}  // namespace velkor
