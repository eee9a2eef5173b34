#include "text/visible_text.h"

namespace velkor {
namespace {

bool IsControl(char16_t unit) {
  if (unit == u'\t' || unit == u'\r' || unit == u'\n') return false;
  return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

}  // namespace

std::u16string MaskControlCharacters(std::u16string_view value) {
  std::u16string shown(value);
  for (char16_t& unit : shown) {
    if (IsControl(unit)) unit = u'?';
  }
  return shown;
}

}  // namespace velkor
