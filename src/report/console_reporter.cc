#include "report/console_reporter.h"

#include <string>

#include "report/line_wrap.h"
#include "text/ansi_text.h"

namespace velkor {
namespace {

// SGR colours by class number, always on a black background.
constexpr const char* kClassColours[] = {
    "\x1b[37;40m",  // Normal: light grey
    "\x1b[96;40m",  // Header: bright cyan
    "\x1b[95;40m",  // Error: bright magenta
    "\x1b[93;40m",  // Warning: yellow
    "\x1b[91;40m",  // Fatal: bright red
};
constexpr const char* kResetAttributes = "\x1b[0m";

// A control character in a name would steer the terminal: it shows as '?', as ls does.
// The messages' own texts hold none but TAB.
std::u16string Visible(std::u16string_view line) {
  std::u16string shown(line);
  for (char16_t& c : shown) {
    if ((c < 0x20 && c != u'\t') || (c >= 0x7F && c <= 0x9F)) c = u'?';
  }
  return shown;
}

}  // namespace

void ConsoleReporter::InitReporter() {
  width_ = platform_.TerminalWidth();
  colour_ = !platform_.ColourDisabled();
}

void ConsoleReporter::Report(std::u16string_view text, ReportClass report_class) {
  if (console_mode()) {
    ReportToTerminal(text, report_class);
  } else {
    ReportRedirected(text);
  }
}

void ConsoleReporter::ReportToTerminal(std::u16string_view text, ReportClass report_class) {
  const char* colour = kClassColours[static_cast<int>(report_class)];
  std::string out;
  for (std::u16string_view line : WrapLines(SplitLines(text), width_)) {
    // The colour is reset before the line end, so the terminal's own attributes are
    // back in force after every line.
    if (colour_) out += colour;
    out += ToAnsi(Visible(line));
    if (colour_) out += kResetAttributes;
    out += '\n';
  }
  if (!out.empty()) platform_.Write(OutputStream::Out, out);
}

void ConsoleReporter::ReportRedirected(std::u16string_view text) {
  std::string out = ToAnsiWithPosixLineEnds(text);
  if (!out.empty()) platform_.Write(OutputStream::Out, out);
}

}  // namespace velkor
