// A job file that cannot be read fails with the HRESULT of the system's error, as a job
// file that MSXML could not open would.
#include "platform/win32/windows_api.h"
#include "reader/job_file_source.h"

namespace velkor {

std::uint32_t SourceErrorCode(SystemError error) {
  if (error == kNotRegularFile) return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_BAD_FILE_TYPE));
  return static_cast<std::uint32_t>(HRESULT_FROM_WIN32(static_cast<DWORD>(error)));
}

SystemError LastReadError() {
  const DWORD error = GetLastError();
  return error != 0 ? static_cast<SystemError>(error) : ERROR_READ_FAULT;
}

}  // namespace velkor
