#include "casino/xml/xmlpath.h"

std::vector<std::string_view> xSplitXmlPath(const char* path) {
  std::vector<std::string_view> segments;
  if (!path) return segments;
  const std::string_view text(path);
  size_t from = 0;
  for (size_t colon; (colon = text.find(':', from)) != std::string_view::npos; from = colon + 1)
    segments.push_back(text.substr(from, colon - from));
  segments.push_back(text.substr(from));
  return segments;
}
