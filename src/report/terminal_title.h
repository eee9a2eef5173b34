// The terminal's window title for the length of a run.
#ifndef VELKOR_REPORT_TERMINAL_TITLE_H_
#define VELKOR_REPORT_TERMINAL_TITLE_H_

#include <string_view>

#include "platform/platform.h"

namespace velkor {

// Saves the terminal's title and sets `title`; the destructor puts the old one back.
// Does nothing when standard output is no terminal, so redirected output never
// carries escape sequences.
class TerminalTitle {
 public:
  TerminalTitle(Platform& platform, std::u16string_view title);
  ~TerminalTitle();
  TerminalTitle(const TerminalTitle&) = delete;
  TerminalTitle& operator=(const TerminalTitle&) = delete;

 private:
  Platform& platform_;
  bool set_ = false;
};

}  // namespace velkor

#endif  // VELKOR_REPORT_TERMINAL_TITLE_H_
