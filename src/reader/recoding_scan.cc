#include "reader/recoding_scan.h"

#include <utility>

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

constexpr std::size_t kDeclarationBytes = 512;  // a declaration is never longer

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string text) {
  for (char& c : text) c = Lower(c);
  return text;
}

}  // namespace

bool RecodingScan::Feed(const char* bytes, std::size_t size) {
  if (decided_) return Pass(bytes, size);
  start_.append(bytes, size);
  if (start_.find('>') == std::string::npos && start_.size() < kDeclarationBytes) return true;
  return Decide();
}

bool RecodingScan::Finish() {
  if (!decided_ && !Decide()) return false;
  return library_->Finish();
}

// The declaration's encoding name is put as UTF-8; what follows it is recoded.
bool RecodingScan::Decide() {
  decided_ = true;
  std::string start = std::move(start_);
  const std::size_t end = start.find("?>");
  if (start.compare(0, 5, "<?xml") == 0 && end != std::string::npos) {
    const std::string declaration = Lowered(start.substr(0, end));
    std::size_t name = declaration.find("encoding");
    if (name != std::string::npos) name = declaration.find_first_of("\"'", name);
    const std::size_t name_end = name == std::string::npos ? name : declaration.find(declaration[name], name + 1);
    if (name_end != std::string::npos && declaration.substr(name + 1, name_end - name - 1) == "koi8-r") {
      table_ = kKoi8R;
      start.replace(name + 1, name_end - name - 1, "UTF-8");
      const std::size_t head = start.find("?>") + 2;  // the declaration, in ASCII
      return library_->Feed(start.data(), head) && Pass(start.data() + head, start.size() - head);
    }
  }
  return Pass(start.data(), start.size());
}

bool RecodingScan::Pass(const char* bytes, std::size_t size) {
  if (!table_) return size == 0 || library_->Feed(bytes, size);
  recoded_.clear();
  std::u16string unit(1, u' ');
  for (std::size_t at = 0; at < size; ++at) {
    const unsigned char byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x80) {
      recoded_ += static_cast<char>(byte);
      continue;
    }
    unit[0] = table_[byte - 0x80];
    AppendUtf8Of(unit, &recoded_);
  }
  return recoded_.empty() || library_->Feed(recoded_.data(), recoded_.size());
}

}  // namespace velkor
