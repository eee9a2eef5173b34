// Locales that tests need but a fresh machine may lack.
#ifndef VELKOR_TESTS_SUPPORT_LOCALE_H_
#define VELKOR_TESTS_SUPPORT_LOCALE_H_

namespace velkor::testing {

// Makes the locale `name` (built from `source` with `charmap`) available, generating it
// when it is missing (CI runs as root), and switches this process to it. False when it
// cannot be had.
bool UseLocale(const char* name, const char* source, const char* charmap);

}  // namespace velkor::testing

#endif  // VELKOR_TESTS_SUPPORT_LOCALE_H_
