#include "platform/shell/desktopentry.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/files/folders.h"
#include "platform/files/resolver.h"

namespace {
constexpr const char* kMainGroup = "[Desktop Entry]";

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool IsGroupHeader(const std::string& line) {
  const std::string t = Trim(line);
  return !t.empty() && t[0] == '[';
}

// Splits "Key = Value"; false for comments, blank lines and headers.
bool SplitEntry(const std::string& line, std::string& key, std::string& value) {
  if (line.empty() || line[0] == '#' || IsGroupHeader(line)) return false;
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(line.substr(0, eq));
  value = line.substr(eq + 1);
  size_t b = 0;
  while (b < value.size() && (value[b] == ' ' || value[b] == '\t')) ++b;
  value.erase(0, b);
  if (!value.empty() && value.back() == '\r') value.pop_back();
  return true;
}

std::string Unescape(const std::string& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    if (v[i] != '\\' || i + 1 == v.size()) {
      out += v[i];
      continue;
    }
    switch (v[++i]) {
      case 's': out += ' '; break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case '\\': out += '\\'; break;
      default:  // not a string escape: the Exec quoting below may still need it
        out += '\\';
        out += v[i];
    }
  }
  return out;
}

std::string Escape(const std::string& v) {
  std::string out;
  for (size_t i = 0; i < v.size(); ++i) {
    switch (v[i]) {
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\\': out += "\\\\"; break;
      case ' ':
        out += i == 0 ? "\\s" : " ";  // a leading blank would be lost to the trimming
        break;
      default: out += v[i];
    }
  }
  return out;
}
}  // namespace

bool CDesktopEntry::Parse(const std::string& text) {
  m_Lines.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    m_Lines.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  for (const std::string& line : m_Lines)
    if (Trim(line) == kMainGroup) return true;
  return false;
}

bool CDesktopEntry::Load(const std::string& path) {
  m_Lines.clear();
  FILE* f = PlatformOpenFile(path.c_str(), "rb");
  if (!f) return false;
  std::string text;
  char buf[4096];
  size_t n;
  bool tooBig = false;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    text.append(buf, n);
    if (text.size() > MAX_FILE_SIZE) {
      tooBig = true;
      break;
    }
  }
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (tooBig) errno = EFBIG;
  if (tooBig || failed) return false;
  if (!Parse(text)) {
    errno = EINVAL;
    return false;
  }
  return true;
}

std::string CDesktopEntry::Text() const {
  std::string out;
  for (const std::string& line : m_Lines) out += line + "\n";
  return out;
}

bool CDesktopEntry::Save(const std::string& path) const {
  std::string text = Text();
  std::string resolved = PlatformResolvePath(path.c_str());
  const size_t slash = resolved.rfind('/');
  if (slash != std::string::npos && slash > 0 && !PlatformMakeFolderPath(resolved.substr(0, slash))) return false;
  return PlatformWriteFileReplacing(resolved.c_str(), text.data(), static_cast<uint32_t>(text.size())) == 1;
}

long CDesktopEntry::Find(const char* key, size_t* groupEnd) const {
  bool inMain = false;
  long found = -1;
  for (size_t i = 0; i < m_Lines.size(); ++i) {
    const std::string& line = m_Lines[i];
    if (IsGroupHeader(line)) {
      if (inMain) break;  // the first main group counts, as in every reader
      inMain = Trim(line) == kMainGroup;
      if (inMain && groupEnd) *groupEnd = i + 1;
      continue;
    }
    if (!inMain) continue;
    std::string k, v;
    if (!SplitEntry(line, k, v)) continue;
    if (groupEnd) *groupEnd = i + 1;
    if (found < 0 && k == key) found = static_cast<long>(i);
  }
  return found;
}

bool CDesktopEntry::Get(const char* key, std::string& value) const {
  long i = Find(key, nullptr);
  if (i < 0) return false;
  std::string k, raw;
  SplitEntry(m_Lines[static_cast<size_t>(i)], k, raw);
  value = Unescape(raw);
  return true;
}

void CDesktopEntry::Set(const char* key, const std::string& value) {
  std::string line = std::string(key) + "=" + Escape(value);
  size_t groupEnd = 0;
  bool hasGroup = false;
  for (const std::string& l : m_Lines) hasGroup = hasGroup || Trim(l) == kMainGroup;
  if (!hasGroup) {
    m_Lines.insert(m_Lines.begin(), kMainGroup);
  }
  long i = Find(key, &groupEnd);
  if (i >= 0) {
    m_Lines[static_cast<size_t>(i)] = line;
  } else {
    m_Lines.insert(m_Lines.begin() + static_cast<long>(groupEnd), line);
  }
}

void CDesktopEntry::Remove(const char* key) {
  for (long i; (i = Find(key, nullptr)) >= 0;) m_Lines.erase(m_Lines.begin() + i);
}

std::vector<std::string> CDesktopEntry::ExecArgs() const {
  std::vector<std::string> args;
  std::string exec;
  if (!Get("Exec", exec)) return args;
  size_t i = 0;
  while (i < exec.size()) {
    while (i < exec.size() && exec[i] == ' ') ++i;
    if (i == exec.size()) break;
    std::string arg;
    bool fieldCodeOnly = false;
    if (exec[i] == '"') {
      for (++i; i < exec.size() && exec[i] != '"'; ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size() && std::strchr("\"`$\\", exec[i + 1])) ++i;
        arg += exec[i];
      }
      ++i;  // the closing quote
    } else {
      for (; i < exec.size() && exec[i] != ' '; ++i) arg += exec[i];
    }
    // Percent codes: "%%" is a percent sign, the field codes stand for files and names of the
    // launch and are dropped.
    std::string plain;
    for (size_t j = 0; j < arg.size(); ++j) {
      if (arg[j] == '%' && j + 1 < arg.size()) {
        if (arg[++j] == '%') plain += '%';
        continue;
      }
      plain += arg[j];
    }
    fieldCodeOnly = plain.empty() && !arg.empty() && arg[0] == '%';
    if (!fieldCodeOnly) args.push_back(plain);
  }
  return args;
}

void CDesktopEntry::SetExec(const std::vector<std::string>& args) {
  std::string exec;
  for (const std::string& a : args) {
    if (!exec.empty()) exec += ' ';
    exec += '"';
    for (char c : a) {
      if (c == '"' || c == '`' || c == '$' || c == '\\') exec += '\\';
      if (c == '%') exec += '%';
      exec += c;
    }
    exec += '"';
  }
  Set("Exec", exec);
}
