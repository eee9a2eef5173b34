#include "reader/recoding_scan.h"

#include <string_view>

#include "reader/declared_encoding.h"
#include "text/utf.h"

namespace velkor {
namespace {

// KOI8-R's characters 0x80 to 0xFF.
constexpr char16_t kKoi8R[128] = {
    0x2500, 0x2502, 0x250C, 0x2510, 0x2514, 0x2518, 0x251C, 0x2524,
    0x252C, 0x2534, 0x253C, 0x2580, 0x2584, 0x2588, 0x258C, 0x2590,
    0x2591, 0x2592, 0x2593, 0x2320, 0x25A0, 0x2219, 0x221A, 0x2248,
    0x2264, 0x2265, 0x00A0, 0x2321, 0x00B0, 0x00B2, 0x00B7, 0x00F7,
    0x2550, 0x2551, 0x2552, 0x0451, 0x2553, 0x2554, 0x2555, 0x2556,
    0x2557, 0x2558, 0x2559, 0x255A, 0x255B, 0x255C, 0x255D, 0x255E,
    0x255F, 0x2560, 0x2561, 0x0401, 0x2562, 0x2563, 0x2564, 0x2565,
    0x2566, 0x2567, 0x2568, 0x2569, 0x256A, 0x256B, 0x256C, 0x00A9,
    0x044E, 0x0430, 0x0431, 0x0446, 0x0434, 0x0435, 0x0444, 0x0433,
    0x0445, 0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E,
    0x043F, 0x044F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0436, 0x0432,
    0x044C, 0x044B, 0x0437, 0x0448, 0x044D, 0x0449, 0x0447, 0x044A,
    0x042E, 0x0410, 0x0411, 0x0426, 0x0414, 0x0415, 0x0424, 0x0413,
    0x0425, 0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E,
    0x041F, 0x042F, 0x0420, 0x0421, 0x0422, 0x0423, 0x0416, 0x0412,
    0x042C, 0x042B, 0x0417, 0x0428, 0x042D, 0x0429, 0x0427, 0x042A,
};

constexpr std::size_t kDeclarationBytes = 1024;  // a declaration is never longer (in UTF-16 too)
constexpr char kNotUtf8 = '\xFF';  // for a lone surrogate: the library then reports the fault

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The span of the encoding name in a declaration at the start of `text`; npos when none.
std::pair<std::size_t, std::size_t> EncodingName(std::string_view text) {
  constexpr auto kNone = std::make_pair(std::string_view::npos, std::string_view::npos);
  const std::size_t end = text.find("?>");
  if (text.substr(0, 5) != "<?xml" || end == std::string_view::npos) return kNone;
  std::size_t name = text.substr(0, end).find("encoding");
  if (name != std::string_view::npos) name = text.find_first_of("\"'", name);
  if (name == std::string_view::npos || name > end) return kNone;
  const std::size_t name_end = text.find(text[name], name + 1);
  return name_end < end ? std::make_pair(name + 1, name_end) : kNone;
}

}  // namespace

bool RecodingScan::Feed(const char* bytes, std::size_t size) {
  if (mode_ != Mode::kUndecided) return Pass(bytes, size);
  start_.append(bytes, size);
  if (start_.find('>') == std::string::npos && start_.size() < kDeclarationBytes) return true;
  return Decide();
}

bool RecodingScan::Finish() {
  if (mode_ == Mode::kUndecided && !Decide()) return false;
  if (odd_byte_ >= 0 || high_surrogate_) {
    const char rest[] = {kNotUtf8};
    if (!library_->Feed(rest, 1)) return false;
  }
  return library_->Finish();
}

// The declaration's encoding name becomes UTF-8, in the recoded start.
bool RecodingScan::Decide() {
  std::string start = std::move(start_);
  const DetectedEncoding detected = DetectEncoding(start);
  mode_ = detected.family == EncodingFamily::kUtf16Le   ? Mode::kUtf16Le
          : detected.family == EncodingFamily::kUtf16Be ? Mode::kUtf16Be
                                                        : Mode::kAsIs;
  std::size_t from = 0;
  if (mode_ == Mode::kAsIs) {
    const auto name = EncodingName(start);
    std::string lowered = name.first == std::string::npos ? "" : start.substr(name.first, name.second - name.first);
    for (char& c : lowered) c = Lower(c);
    if (lowered != "koi8-r") return Pass(start.data(), start.size());
    mode_ = Mode::kKoi8R;
  } else {
    from = detected.bom_bytes;
  }
  recoded_.clear();
  Recode(start.data() + from, start.size() - from);
  const auto name = EncodingName(recoded_);
  if (name.first != std::string::npos) recoded_.replace(name.first, name.second - name.first, "UTF-8");
  return recoded_.empty() || library_->Feed(recoded_.data(), recoded_.size());
}

bool RecodingScan::Pass(const char* bytes, std::size_t size) {
  if (mode_ == Mode::kAsIs) return size == 0 || library_->Feed(bytes, size);
  recoded_.clear();
  Recode(bytes, size);
  return recoded_.empty() || library_->Feed(recoded_.data(), recoded_.size());
}

void RecodingScan::Recode(const char* bytes, std::size_t size) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes);
  if (mode_ == Mode::kKoi8R) {
    for (std::size_t at = 0; at < size; ++at) AppendCodePoint(in[at] < 0x80 ? in[at] : kKoi8R[in[at] - 0x80], &recoded_);
    return;
  }
  const bool little_endian = mode_ == Mode::kUtf16Le;
  for (std::size_t at = 0; at < size; ++at) {
    if (odd_byte_ < 0) {
      odd_byte_ = in[at];
      continue;
    }
    const unsigned first = static_cast<unsigned>(odd_byte_), second = in[at];
    odd_byte_ = -1;
    const char16_t unit = static_cast<char16_t>(little_endian ? (second << 8 | first) : (first << 8 | second));
    if (high_surrogate_) {
      const char16_t high = high_surrogate_;
      high_surrogate_ = 0;
      if (unit >= 0xDC00 && unit < 0xE000) {
        AppendCodePoint(0x10000 + ((static_cast<char32_t>(high) - 0xD800) << 10) + (unit - 0xDC00), &recoded_);
        continue;
      }
      recoded_ += kNotUtf8;
    }
    if (unit >= 0xD800 && unit < 0xDC00) {
      high_surrogate_ = unit;
    } else if (unit >= 0xDC00 && unit < 0xE000) {
      recoded_ += kNotUtf8;
    } else {
      AppendCodePoint(unit, &recoded_);
    }
  }
}

}  // namespace velkor
