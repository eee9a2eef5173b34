// MSXML's SAX interfaces, and the identifiers that the toolchain's import libraries lack.
#ifndef VELKOR_READER_MSXML_SAX_API_H_
#define VELKOR_READER_MSXML_SAX_API_H_

#include "platform/win32/windows_api.h"
#include <msxml2.h>

namespace velkor::msxml {

// The version-independent reader: MSXML 3's.
inline constexpr CLSID kSaxReaderClass = {0x079aa557, 0x4a18, 0x424a, {0x8e, 0xee, 0xe3, 0x9f, 0x0a, 0x8d, 0x41, 0xb9}};
inline constexpr IID kSaxReaderInterface = {0xa4f96ed0, 0xf829, 0x476e, {0x81, 0xc0, 0xcd, 0xc7, 0xbd, 0x2a, 0x08, 0x02}};
inline constexpr IID kContentHandlerInterface = {
    0x1545cdfa, 0x9e4e, 0x4497, {0xa8, 0xa4, 0x2b, 0xf7, 0xd0, 0x11, 0x2c, 0x44}};
inline constexpr IID kErrorHandlerInterface = {0xa60511c4, 0xccf5, 0x479e, {0x98, 0xa3, 0xdc, 0x8d, 0xc5, 0x45, 0xb7, 0xd0}};

}  // namespace velkor::msxml

#endif  // VELKOR_READER_MSXML_SAX_API_H_
