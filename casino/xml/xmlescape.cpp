#include "casino/xml/xmlescape.h"

void xXmlEscapeText(std::string_view text, std::string& out) {
  size_t from = 0;
  for (size_t at; (at = text.find_first_of("&<", from)) != std::string_view::npos; from = at + 1) {
    out.append(text, from, at - from);
    out.append(text[at] == '&' ? "&amp;" : "&lt;");
  }
  out.append(text, from);
}

std::string_view xXmlDecodeText(std::string_view text, std::string& buffer) {
  size_t at = text.find('&');
  if (at == std::string_view::npos) return text;
  buffer.clear();
  size_t from = 0;
  for (; at != std::string_view::npos; at = text.find('&', from)) {
    buffer.append(text, from, at - from);
    const std::string_view rest = text.substr(at);
    if (rest.starts_with("&amp;")) {
      buffer += '&';
      from = at + 5;
    } else if (rest.starts_with("&lt;")) {
      buffer += '<';
      from = at + 4;
    } else {
      buffer += '&';
      from = at + 1;
    }
  }
  buffer.append(text, from);
  return buffer;
}
