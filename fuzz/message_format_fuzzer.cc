// Fills arbitrary message texts with arbitrary arguments, in both insert styles. The input
// is little-endian UTF-16 units: the format text, then each argument after a U+0000; an
// argument that starts with '#' is the number held by its next two units, any other is a
// text; arguments past the fifth are dropped, as no message takes more. Besides out-of-bounds reads (ASan) and endless walks (libFuzzer's timeout) it
// checks one promise: without arguments the printf style changes nothing but "%%".
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/message_format.h"

namespace {

std::u16string WithoutDoubledPercents(std::u16string_view format) {
  std::u16string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    out += format[i];
    if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u'%') ++i;
  }
  return out;
}

// Calls `fill` with the first arguments (up to five) as the braced list the formatter takes.
template <typename Fill>
void WithArgs(const std::vector<velkor::FormatArg>& a, Fill fill) {
  switch (a.size()) {
    case 0: return fill({});
    case 1: return fill({a[0]});
    case 2: return fill({a[0], a[1]});
    case 3: return fill({a[0], a[1], a[2]});
    case 4: return fill({a[0], a[1], a[2], a[3]});
    default: return fill({a[0], a[1], a[2], a[3], a[4]});
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string input;
  for (std::size_t i = 0; i + 1 < size; i += 2) input += static_cast<char16_t>(data[i] | data[i + 1] << 8);
  std::vector<std::u16string_view> parts;
  for (std::size_t start = 0;;) {
    std::size_t end = input.find(u'\0', start);
    parts.push_back(std::u16string_view(input).substr(start, end == std::u16string::npos ? end : end - start));
    if (end == std::u16string::npos) break;
    start = end + 1;
  }
  std::vector<velkor::FormatArg> args;
  for (std::size_t i = 1; i < parts.size(); ++i) {
    if (parts[i].size() >= 3 && parts[i][0] == u'#') {
      args.emplace_back(static_cast<std::int32_t>(static_cast<std::uint32_t>(parts[i][1]) << 16 | parts[i][2]));
    } else {
      args.emplace_back(parts[i]);
    }
  }
  std::u16string out;
  WithArgs(args, [&](velkor::FormatArgs list) {
    velkor::FillPrintfInserts(parts[0], list, &out);
    velkor::FillNumberedInserts(parts[0], list);
  });
  velkor::FillPrintfInserts(parts[0], {}, &out);
  if (out != WithoutDoubledPercents(parts[0])) std::abort();
  return 0;
}
