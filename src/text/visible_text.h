// Inserted values (paths, names, reason texts) as a terminal may be given them.
#ifndef VELKOR_TEXT_VISIBLE_TEXT_H_
#define VELKOR_TEXT_VISIBLE_TEXT_H_

#include <string>
#include <string_view>

namespace velkor {

// `value` with every control character (C0 but TAB, CR and LF; DEL; C1 U+0080 to U+009F)
// replaced by '?', one per character, as ls shows such names on a terminal. A name can
// then neither move the cursor, clear the screen nor set the title. TAB, CR and LF stay:
// the wrapping treats them as text and line ends.
std::u16string MaskControlCharacters(std::u16string_view value);

}  // namespace velkor

#endif  // VELKOR_TEXT_VISIBLE_TEXT_H_
