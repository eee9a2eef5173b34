// Locales that tests need but a fresh machine may lack.
#ifndef VELKOR_TESTS_SUPPORT_LOCALE_H_
#define VELKOR_TESTS_SUPPORT_LOCALE_H_

namespace velkor::testing {

// Switches this process to the locale `name`. The test run makes the locales it needs in
// the build folder before any test starts (the CTest fixture `locales`) and points LOCPATH
// there; nothing is generated from inside a test, because glibc does not look for locales
// again in a process whose first look-up failed.
bool UseLocale(const char* name);

// How to make `name` by hand, for a test's failure message.
const char* LocaleHint();

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_SUPPORT_LOCALE_H_
