#include "support/locale.h"

#include <clocale>

#include "support/run_program.h"

namespace velkor::testing {

bool UseLocale(const char* name, const char* source, const char* charmap) {
  if (std::setlocale(LC_ALL, name)) return true;
  RunOptions options;
  options.env = {"PATH=/usr/sbin:/usr/bin:/sbin:/bin"};
  RunProgram("/usr/bin/localedef", {"-i", source, "-f", charmap, name}, options);
  return std::setlocale(LC_ALL, name) != nullptr;
}

}  // namespace velkor::testing
