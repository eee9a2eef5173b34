// velkor job.xml [more.xml...] on Windows: the paths reach the run as UTF-16.
#include <string>
#include <vector>

#include "driver/batch_driver.h"
#include "platform/win32/win32_platform.h"

int wmain(int argc, wchar_t** argv) {
  velkor::Win32Platform platform;
  return velkor::RunBatch(platform, std::vector<std::wstring>(argv + 1, argv + argc));
}
