// The console's title for the length of a run.
#ifndef VELKOR_REPORT_CONSOLE_TITLE_H_
#define VELKOR_REPORT_CONSOLE_TITLE_H_

#include <string_view>

#include "platform/platform.h"

namespace velkor {

// Sets `title`; the destructor puts the old one back, however the run ends.
class ConsoleTitle {
 public:
  ConsoleTitle(Platform& platform, std::u16string_view title) : platform_(platform) {
    platform_.SetConsoleTitle(title);
  }
  ~ConsoleTitle() { platform_.RestoreConsoleTitle(); }
  ConsoleTitle(const ConsoleTitle&) = delete;
  ConsoleTitle& operator=(const ConsoleTitle&) = delete;

 private:
  Platform& platform_;
};

}  // namespace velkor

#endif  // VELKOR_REPORT_CONSOLE_TITLE_H_
