#include "reader/libxml2/xml_attribute_count.h"

#include <algorithm>

namespace velkor {
namespace {

bool StartsStartTag(std::string_view text) {
  return text.size() >= 2 && text[0] == '<' && text[1] != '/' && text[1] != '!' && text[1] != '?';
}

// Attributes are counted by their '=' outside quoted values: within a start tag an '='
// stands nowhere else. `quote` carries the open quote between calls.
std::size_t CountTo(std::string_view tag, char* quote, std::size_t* end) {
  std::size_t attributes = 0;
  std::size_t i = 0;
  for (; i < tag.size(); ++i) {
    char c = tag[i];
    if (*quote) {
      if (c == *quote) *quote = 0;
    } else if (c == '"' || c == '\'') {
      *quote = c;
    } else if (c == '=') {
      ++attributes;
    } else if (c == '>') {
      break;
    }
  }
  *end = i;
  return attributes;
}

}  // namespace

std::size_t PendingTagCounter::Count(std::uint64_t offset, std::string_view pending) {
  if (!StartsStartTag(pending)) {
    tag_ = UINT64_MAX;
    return 0;
  }
  if (offset != tag_) {
    tag_ = offset;
    scanned_ = offset + 1;
    quote_ = 0;
    attributes_ = 0;
  }
  std::uint64_t from = scanned_ - offset;
  if (from < pending.size()) {
    std::size_t end;
    attributes_ += CountTo(pending.substr(static_cast<std::size_t>(from)), &quote_, &end);
    scanned_ = offset + pending.size();
  }
  return attributes_;
}

std::size_t MostAttributesPerTag(std::string_view text) {
  std::size_t most = 0;
  for (std::size_t at = text.find('<'); at != std::string_view::npos; at = text.find('<', at + 1)) {
    std::string_view rest = text.substr(at);
    // Comments, CDATA sections and processing instructions may hold anything.
    for (std::string_view open_close : {"<!--|-->", "<![CDATA[|]]>", "<?|?>"}) {
      std::size_t bar = open_close.find('|');
      if (rest.substr(0, bar) != open_close.substr(0, bar)) continue;
      std::size_t close = text.find(open_close.substr(bar + 1), at + bar);
      if (close == std::string_view::npos) return most;
      at = close;
      rest = {};
      break;
    }
    if (!StartsStartTag(rest)) continue;
    char quote = 0;
    std::size_t end;
    most = std::max(most, CountTo(rest.substr(1), &quote, &end));
    at += end;
  }
  return most;
}

}  // namespace velkor
