#include "common/widgets/filedialogfilters.h"

#include <string_view>

#include "ostrel/system/folders.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Calls fn with each piece of text between separators (the last one included).
template <class Fn>
void ForEachPiece(std::string_view text, char separator, Fn&& fn) {
  for (;;) {
    const size_t cut = text.find(separator);
    fn(text.substr(0, cut));
    if (cut == std::string_view::npos) return;
    text.remove_prefix(cut + 1);
  }
}

bool ParseFilter(std::string_view piece, SFileFilter& out) {
  piece = Trim(piece);
  const size_t open = piece.rfind('(');
  if (open == std::string_view::npos) return false;
  std::string_view patterns = piece.substr(open + 1);
  patterns = patterns.substr(0, patterns.find(')'));
  ForEachPiece(patterns, ';', [&](std::string_view pattern) {
    pattern = Trim(pattern);
    if (!pattern.empty() && out.m_Patterns.size() < FILEDIALOG_MAX_PATTERNS) out.m_Patterns.emplace_back(pattern);
  });
  if (out.m_Patterns.empty()) return false;
  out.m_Text = piece;
  out.m_Description = Trim(piece.substr(0, open));
  return true;
}

void ParseInto(std::string_view text, std::vector<SFileFilter>& filters) {
  ForEachPiece(text, '|', [&](std::string_view piece) {
    SFileFilter filter;
    if (ParseFilter(piece, filter)) filters.push_back(std::move(filter));
  });
}
}  // namespace

std::vector<SFileFilter> FileDialogParseFilters(const char* text) {
  std::vector<SFileFilter> filters;
  if (text) ParseInto(text, filters);
  if (filters.empty()) ParseInto(FILEDIALOG_DEFAULT_FILTERS, filters);
  return filters;
}

bool FileDialogFilterMatches(const SFileFilter& filter, const char* name) {
  for (const std::string& pattern : filter.m_Patterns)
    if (xMatchFilePattern(name, pattern.c_str())) return true;
  return false;
}
