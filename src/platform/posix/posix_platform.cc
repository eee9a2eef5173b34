// Start-up, locale and file-system queries on POSIX.
#include "platform/posix/posix_platform.h"

#include <langinfo.h>
#include <csignal>
#include <sys/stat.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>

#include "platform/posix/posix_charset.h"
#include "platform/posix/posix_stop_signal.h"

namespace velkor {
namespace {

std::string EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

bool PosixPlatform::InitRuntime() {
  // A locale that is not installed leaves the C locale in force; that is no failure.
  std::setlocale(LC_ALL, "");
  // A closed pipe must not end the batch half way: failed writes go unnoticed instead.
  std::signal(SIGPIPE, SIG_IGN);
  // Past a file-size limit a tag write fails and is reported, instead of ending the run.
  std::signal(SIGXFSZ, SIG_IGN);
  posix::InstallStopHandlers();
  // Texts are in Russian for a messages locale whose name begins with "ru", else in English.
  russian_ = MessagesLocaleName().compare(0, 2, "ru") == 0;
  SelectAnsiCharset(CharsetName());
  colour_ = !ColourDisabled();
  return true;
}

std::string PosixPlatform::MessagesLocaleName() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    std::string value = EnvironmentValue(name);
    if (!value.empty()) return value;
  }
  return "";
}

std::string PosixPlatform::CharsetName() { return nl_langinfo(CODESET); }

bool PosixPlatform::ColourDisabled() { return !EnvironmentValue("NO_COLOR").empty(); }

SystemError PosixPlatform::PathStatus(const NativePath& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 ? 0 : errno;
}

bool PosixPlatform::StopRequested() { return posix::StopRequested(); }

void PosixPlatform::EndIfStopRequested() { posix::EndIfStopRequested(); }

}  // namespace velkor
