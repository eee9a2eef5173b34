#include "id3/decimal_scan.h"

#include <limits>

namespace velkor {
namespace {

template <typename Unit>
bool IsSpace(Unit c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
template <typename Unit>
bool IsDigit(Unit c) { return c >= '0' && c <= '9'; }

template <typename Unit>
bool Scan(std::basic_string_view<Unit> text, std::int32_t* value) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size() || !IsDigit(text[i])) return false;
  // Unsigned arithmetic wraps by definition, which gives the modulo-2^32 result.
  std::uint32_t magnitude = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) magnitude = magnitude * 10u + static_cast<std::uint32_t>(text[i] - '0');
  std::uint32_t bits = negative ? 0u - magnitude : magnitude;
  constexpr std::uint32_t kMaxPositive = std::numeric_limits<std::int32_t>::max();
  *value = bits <= kMaxPositive ? static_cast<std::int32_t>(bits) : -static_cast<std::int32_t>(~bits) - 1;
  return true;
}

}  // namespace

bool ScanDecimal(std::string_view text, std::int32_t* value) { return Scan(text, value); }

bool ScanDecimal(std::u16string_view text, std::int32_t* value) { return Scan(text, value); }

}  // namespace velkor
