// The program's own texts by message ID, in English or Russian.
#ifndef VELKOR_REPORT_MESSAGE_CATALOGUE_H_
#define VELKOR_REPORT_MESSAGE_CATALOGUE_H_

#include <string>
#include <string_view>
#include <vector>

#include "report/message_format.h"
#include "resource.h"

namespace velkor {

enum class Language { English, Russian };

// Russian for a locale name that begins with "ru", English for any other.
Language LanguageForLocale(std::string_view locale_name);

// Chooses the language of every text loaded afterwards.
void SelectLanguage(Language language);

// The text of an ID unchanged; empty for an ID without text.
std::u16string LoadText(int id);

// The text of an ID for use before the run-time has started, within 511 units.
std::u16string LoadTextRaw(int id);

// The text of an ID with its printf-style inserts (%s, %d) filled in order.
std::u16string FormatText(int id, const std::vector<FormatArg>& args);

// The text of an ID with its numbered inserts (%1!s!, %2!08X!, ...) filled.
std::u16string FormatNumbered(int id, const std::vector<FormatArg>& inserts);

}  // namespace velkor

#endif  // VELKOR_REPORT_MESSAGE_CATALOGUE_H_
