// COM failures in words, for a job file that fails.
#ifndef VELKOR_READER_MSXML_COM_FAILURE_H_
#define VELKOR_READER_MSXML_COM_FAILURE_H_

#include <string>

#include "platform/win32/windows_api.h"

namespace velkor::msxml {

// The failure's general text: the system's text for `result`, or a text of its own when
// the system has none.
std::u16string FailureText(HRESULT result);

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_COM_FAILURE_H_
