#include "support/locale.h"

#include <clocale>

namespace velkor::testing {

bool UseLocale(const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }

const char* LocaleHint() {
  return "locale missing: run the tests through ctest, whose fixture `locales` makes it in "
         "<build>/locales and sets LOCPATH; by hand: "
         "localedef -i ru_RU -f CP1251 <dir>/ru_RU.CP1251 and LOCPATH=<dir>:/usr/lib/locale";
}

}  // namespace velkor::testing
