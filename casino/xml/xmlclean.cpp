#include "casino/xml/xmlclean.h"

#include <cstring>
#include <string_view>

namespace {
bool StartsWith(const char* at, const char* end, std::string_view prefix) {
  return static_cast<size_t>(end - at) >= prefix.size() && std::memcmp(at, prefix.data(), prefix.size()) == 0;
}
}  // namespace

void xCleanXmlText(char* text, uint32_t length) {
  constexpr std::string_view kCommentOpen = "<!--", kCommentClose = "-->";
  char* const end = text + length;
  for (char* at = text; at < end;) {
    at = static_cast<char*>(std::memchr(at, '<', static_cast<size_t>(end - at)));
    if (!at) return;
    if (StartsWith(at, end, kCommentOpen)) {
      const std::string_view rest(at + kCommentOpen.size(), static_cast<size_t>(end - at) - kCommentOpen.size());
      const size_t close = rest.find(kCommentClose);
      char* const after = close == std::string_view::npos ? end : at + kCommentOpen.size() + close + kCommentClose.size();
      std::memset(at, ' ', static_cast<size_t>(after - at));
      at = after;
      continue;
    }
    if (StartsWith(at, end, "<?xml") || StartsWith(at, end, "<!DOCTYPE")) *at = '_';
    ++at;
  }
}
