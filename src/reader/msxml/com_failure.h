// COM failures as the program's job-file failure.
#ifndef VELKOR_READER_MSXML_COM_FAILURE_H_
#define VELKOR_READER_MSXML_COM_FAILURE_H_

#include <string>

#include "platform/win32/windows_api.h"

namespace velkor::msxml {

// The failure's general text: the system's text for `result` without its line end, or a
// text of its own when the system has none.
std::u16string FailureText(HRESULT result);

// Throws JobFileFailure when `result` is a failure. The description comes from the error
// information, fetched only when `object` declares support for it on `interface_id`.
void Check(HRESULT result, IUnknown* object, REFIID interface_id);

// Throws E_POINTER's JobFileFailure when a call yielded no object where one is required.
void CheckPresent(const void* object);

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_COM_FAILURE_H_
