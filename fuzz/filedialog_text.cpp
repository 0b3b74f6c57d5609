// The file dialog reads filter lists from resource scripts (which updates bring) and paths the
// player types. The input's first line is a filter list, the rest a typed path: neither may read
// past its text, and what they accept must hold together.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/widgets/filedialogfilters.h"
#include "common/widgets/filedialogpaths.h"
#include "ostrel/system/folders.h"

namespace {
bool Blank(char c) { return c == ' ' || c == '\t'; }

void CheckFilters(const std::string& text) {
  const std::vector<SFileFilter> filters = FileDialogParseFilters(text.c_str());
  if (filters.empty()) abort();
  for (const SFileFilter& f : filters) {
    if (f.m_Patterns.empty() || f.m_Patterns.size() > FILEDIALOG_MAX_PATTERNS) abort();
    if (f.m_Text.empty() || f.m_Text.find('|') != std::string::npos) abort();
    for (const std::string& p : f.m_Patterns)
      if (p.empty() || Blank(p.front()) || Blank(p.back()) || p.find(';') != std::string::npos) abort();
    (void)FileDialogFilterMatches(f, "song.mp3");
  }
}

void CheckPath(const std::string& raw) {
  const std::string text = raw.c_str();  // as far as a C text goes
  SFileDialogPath path;
  if (!FileDialogSplitPath(text.c_str(), path)) return;
  if (text.size() >= XMAX_PATH) abort();
  if (path.m_Drive && (path.m_Drive < 'A' || path.m_Drive > 'Z')) abort();
  if (!path.m_Drive && !path.m_WorkingFolder && path.m_Parts.empty()) abort();
  for (const std::string& part : path.m_Parts) {
    if (part.empty() || part == "." || part.find_first_of("\\/") != std::string::npos) abort();
    for (char c : part)
      if (static_cast<unsigned char>(c) < 0x20) abort();
  }
  (void)FileDialogValidNewName(text);
  (void)FileDialogFolderText(path.m_Drive ? path.m_Drive : 'C', path.m_Parts);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\n');
  CheckFilters(input.substr(0, cut).c_str());  // as far as a C text goes
  if (cut != std::string::npos) CheckPath(input.substr(cut + 1));
  return 0;
}
