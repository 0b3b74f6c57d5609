// The filters of the file dialog, read from one text: "Pictures (*.bmp; *.png)|All files (*.*)".
// Filters stand between "|"; each is a description followed by its name patterns in parentheses,
// separated by ";".
#pragma once

#include <cstddef>
#include <string>
#include <vector>

inline constexpr size_t FILEDIALOG_MAX_PATTERNS = 10;
inline constexpr const char* FILEDIALOG_DEFAULT_FILTERS = "All files (*.*)";

struct SFileFilter {
  std::string m_Text;         // the whole filter as the player reads it in the list
  std::string m_Description;  // the text before the parentheses
  std::vector<std::string> m_Patterns;
};

// Blanks around filters and patterns are dropped, empty patterns skipped, patterns past the tenth
// left out. The last "(" opens the patterns, so a description may hold parentheses of its own;
// a missing ")" lets them run to the end. A filter with no pattern selects nothing and is left
// out; when no filter is left, the default text's.
std::vector<SFileFilter> FileDialogParseFilters(const char* text);

// Whether a file name matches one of the filter's patterns (Windows rules, ASCII case ignored).
bool FileDialogFilterMatches(const SFileFilter& filter, const char* name);
