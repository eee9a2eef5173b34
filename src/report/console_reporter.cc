#include "report/console_reporter.h"

#include <string>

#include "report/line_wrap.h"
#include "report/message_catalogue.h"
#include "text/visible_text.h"

namespace velkor {

void ConsoleReporter::InitReporter() {
  width_ = platform_.ConsoleWidth();
  terminal_ = platform_.OutputIsTerminal();
}

void ConsoleReporter::Report(std::u16string_view text, ReportClass report_class) {
  if (!console_mode()) {
    platform_.WriteRedirected(text);
    return;
  }
  for (std::u16string_view line : WrapLines(SplitLines(text), width_)) platform_.WriteConsoleLine(line, report_class);
}

void ConsoleReporter::ReportText(int id, FormatArgs args, ReportClass report_class) {
  FormatText(platform_, id, args, &message_);
  Report(message_, report_class);
}

std::u16string_view ConsoleReporter::Value(std::u16string_view value, std::u16string* masked) const {
  if (!terminal_) return value;
  *masked = MaskControlCharacters(value);
  return *masked;
}

}  // namespace velkor
