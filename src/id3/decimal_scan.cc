#include "id3/decimal_scan.h"

#include <limits>

namespace velkor {
namespace {

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool ScanDecimal(std::string_view text, std::int32_t* value) {
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

}  // namespace velkor
