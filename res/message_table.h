// The string tables of velkor.rc as compiled into the Linux build, their lines ended in LF.
#ifndef VELKOR_RES_MESSAGE_TABLE_H_
#define VELKOR_RES_MESSAGE_TABLE_H_

#include <string_view>

#include "resource.h"

namespace velkor {

constexpr int kLastMessageId = IDS_OUT_OF_MEMORY;

// Indexed by message ID; entry 0 has no text.
extern const std::u16string_view kEnglishMessages[kLastMessageId + 1];
extern const std::u16string_view kRussianMessages[kLastMessageId + 1];

}  // namespace velkor

#endif  // VELKOR_RES_MESSAGE_TABLE_H_
