#include "report/console_reporter.h"

#include <string>

#include "report/line_wrap.h"
#include "report/visible_text.h"

namespace velkor {

void ConsoleReporter::InitReporter() { width_ = platform_.ConsoleWidth(); }

void ConsoleReporter::Report(std::u16string_view text, ReportClass report_class) {
  if (!console_mode()) {
    platform_.WriteRedirected(text);
    return;
  }
  for (std::u16string_view line : WrapLines(SplitLines(text), width_)) platform_.WriteConsoleLine(line, report_class);
}

std::u16string ConsoleReporter::Value(std::u16string_view value) const {
  return console_mode() ? MaskControlCharacters(value) : std::u16string(value);
}

}  // namespace velkor
