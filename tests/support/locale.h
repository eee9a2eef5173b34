// Locales that tests need but a fresh machine may lack. The test run makes them in the
// build folder before any test starts (the CTest fixture `locales`) and points LOCPATH
// there: glibc does not look again in a process whose first look-up failed.
#ifndef VELKOR_TESTS_SUPPORT_LOCALE_H_
#define VELKOR_TESTS_SUPPORT_LOCALE_H_

#include <clocale>

namespace velkor::testing {

inline bool UseLocale(const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }

// How to make a missing locale by hand, for a test's failure message.
inline const char* LocaleHint() {
  return "run the tests through ctest, or: localedef -i ru_RU -f CP1251 DIR/ru_RU.CP1251; LOCPATH=DIR:/usr/lib/locale";
}

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_SUPPORT_LOCALE_H_
