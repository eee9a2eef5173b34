// The program's own texts by message ID, in the user's language, with their inserts.
#ifndef VELKOR_REPORT_MESSAGE_CATALOGUE_H_
#define VELKOR_REPORT_MESSAGE_CATALOGUE_H_

#include <string>

#include "platform/platform.h"
#include "report/message_format.h"
#include "resource.h"

namespace velkor {

// The text of an ID for use before the run-time has started, within 511 units.
std::u16string LoadTextRaw(Platform& platform, int id);

// The text of an ID with its printf-style inserts (%s, %d) filled in order, in place of
// what `text` held; its storage is reused.
void FormatText(Platform& platform, int id, FormatArgs args, std::u16string* text);

// The text of an ID with its numbered inserts (%1!s!, %2!08X!, ...) filled.
std::u16string FormatNumbered(Platform& platform, int id, FormatArgs inserts);

}  // namespace velkor

#endif  // VELKOR_REPORT_MESSAGE_CATALOGUE_H_
