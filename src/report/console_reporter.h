// Prints every message of a run: coloured and wrapped on a terminal, plain text when
// standard output is redirected.
#ifndef VELKOR_REPORT_CONSOLE_REPORTER_H_
#define VELKOR_REPORT_CONSOLE_REPORTER_H_

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "report/message_format.h"

namespace velkor {

class ConsoleReporter {
 public:
  explicit ConsoleReporter(Platform& platform) : platform_(platform) {}

  // Chooses console or redirected mode, and the wrap width, once for the whole run.
  void InitReporter();

  // Prints the whole text before returning. Write failures go unnoticed.
  void Report(std::u16string_view text, ReportClass report_class);
  // Prints the catalogue text `id` with its printf-style inserts filled.
  void ReportText(int id, FormatArgs args, ReportClass report_class);

  bool console_mode() const { return width_ > 0; }

  // An inserted value (a path, a name, a reason text) as this output shows it: when a
  // terminal reads it, of any width, its control characters are masked, into `masked`;
  // output to a file or a pipe keeps every byte, and the value itself is returned.
  std::u16string_view Value(std::u16string_view value, std::u16string* masked) const;

 private:
  Platform& platform_;
  int width_ = 0;  // 0 in redirected mode
  bool terminal_ = false;  // a terminal reads the output, even one that reports no width
  std::u16string message_;  // the last message ReportText built, its storage reused
};

}  // namespace velkor

#endif  // VELKOR_REPORT_CONSOLE_REPORTER_H_
