#include "ostrel/base/paths.h"

#include <cstring>
#include <new>
#include <string_view>

namespace {
bool IsBlank(char c) { return c == ' '; }

char* NewText(std::string_view a, std::string_view b = {}, std::string_view c = {}) {
  char* out = String_Alloc(a.size() + b.size() + c.size() + 1);
  if (!out) return nullptr;
  char* p = out;
  for (std::string_view part : {a, b, c}) {
    if (!part.empty()) std::memcpy(p, part.data(), part.size());
    p += part.size();
  }
  *p = 0;
  return out;
}

std::string_view View(const char* s) { return s ? std::string_view(s) : std::string_view(); }

// Index just past the last non-blank character.
size_t EndWithoutTrailingBlanks(std::string_view s) {
  size_t end = s.size();
  while (end > 0 && IsBlank(s[end - 1])) --end;
  return end;
}

// The last component of the path, or nothing when the path is empty or ends in a separator.
bool LastComponent(std::string_view path, std::string_view& component) {
  const size_t end = EndWithoutTrailingBlanks(path);
  if (path.empty() || (end > 0 && xIsPathSeparator(path[end - 1]))) return false;
  size_t start = path.size();
  while (start > 0 && !xIsPathSeparator(path[start - 1])) --start;
  component = path.substr(start);
  return true;
}

std::string_view UpTo(std::string_view s, char stop) {
  const size_t at = s.find(stop);
  return at == std::string_view::npos ? s : s.substr(0, at);
}
}  // namespace

char* String_Alloc(size_t n) { return static_cast<char*>(::operator new(n, std::nothrow)); }
void String_Free(void* p) {
  if (p) ::operator delete(p);
}

char* String_MergeDirectoryAndFile(const char* dir, const char* file) {
  const std::string_view d = View(dir);
  const size_t end = EndWithoutTrailingBlanks(d);
  const bool needsSeparator = end > 0 && !xIsPathSeparator(d[end - 1]);
  return NewText(d, needsSeparator ? "/" : "", View(file));
}

char* String_SubDir(const char* dir, const char* sub) {
  const std::string_view d = View(dir);
  std::string_view s = View(sub);
  if (!d.empty() && !s.empty() && (xIsPathSeparator(s[0]) || IsBlank(s[0]))) s.remove_prefix(1);
  const bool needsSeparator = !d.empty() && !xIsPathSeparator(d.back());
  return NewText(d, needsSeparator ? "/" : "", s);
}

char* String_FileNamePath(const char* path) {
  const std::string_view p = View(path);
  size_t at = p.size();
  while (at > 1 && !xIsPathSeparator(p[at - 1])) --at;
  // at - 1 is the last separator when it is not the first character.
  if (at <= 1) return NewText("");
  return NewText(p.substr(0, at - 1));
}

char* String_FileName(const char* path) {
  std::string_view component;
  if (!LastComponent(View(path), component)) return nullptr;
  return NewText(UpTo(component, ' '));
}

char* String_FileNameFirstName(const char* path) {
  std::string_view component;
  if (!LastComponent(View(path), component)) return nullptr;
  return NewText(UpTo(UpTo(component, ' '), '.'));
}

char* String_FileNameExtension(const char* path) {
  const std::string_view p = View(path);
  const size_t end = EndWithoutTrailingBlanks(p);
  for (size_t i = end; i > 0; --i) {
    const char c = p[i - 1];
    if (xIsPathSeparator(c) || IsBlank(c)) break;
    if (c == '.') {
      if (i == end) return nullptr;
      return NewText(UpTo(p.substr(i, end - i), ' '));
    }
  }
  return NewText("");
}

char* String_FullNameWithoutExtension(const char* path) {
  char* first = String_FileNameFirstName(path);
  if (!first) return nullptr;
  char* folder = String_FileNamePath(path);
  char* result = folder ? String_MergeDirectoryAndFile(folder, first) : nullptr;
  String_Free(folder);
  String_Free(first);
  return result;
}

char* String_ParentDir(const char* path, int32_t mode) {
  const std::string_view p = View(path);
  if (p.find_first_not_of(' ') == std::string_view::npos) return nullptr;
  size_t cut = 0;  // 0: the walk reached the first character
  if (mode == 1) {
    int separators = 0;
    for (size_t i = p.size(); i > 1; --i) {
      if (xIsPathSeparator(p[i - 1]) && ++separators == 2) {
        cut = i - 1;
        break;
      }
    }
  } else {
    size_t i = p.size();
    while (i > 0 && (xIsPathSeparator(p[i - 1]) || IsBlank(p[i - 1]))) --i;
    for (; i > 1; --i) {
      if (xIsPathSeparator(p[i - 1]) && !IsBlank(p[i - 2])) {
        cut = i - 1;
        break;
      }
    }
  }
  return NewText(p.substr(0, cut ? cut : 1));
}
