// Reading a job file's track and genre numbers: a decimal number at the start of a text.
#ifndef VELKOR_ID3_DECIMAL_SCAN_H_
#define VELKOR_ID3_DECIMAL_SCAN_H_

#include <cstdint>
#include <string_view>

namespace velkor {

// Skips leading white space (space, tab, line feed, vertical tab, form feed, carriage
// return), takes an optional '+' or '-' and then every decimal digit that follows; the
// rest of the text is ignored ("5/12" gives 5). False when no digit follows.
//
// A number of any length wraps instead of overflowing: the result is the number modulo
// 2^32 in two's complement, so its low 8 bits are always the written number modulo 256
// ("4294967301" gives 5, "-4294967297" gives -1).
bool ScanDecimal(std::string_view text, std::int32_t* value);
// The same for UTF-16 text, whose units above 0x7F are neither space nor digit.
bool ScanDecimal(std::u16string_view text, std::int32_t* value);

}  // namespace velkor

#endif  // VELKOR_ID3_DECIMAL_SCAN_H_
