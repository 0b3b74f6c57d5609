#include "platform/registry/registrytree.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr const char* kHeader = "vorrin-registry 1";

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool LessFolded(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return static_cast<unsigned char>(Fold(x)) < static_cast<unsigned char>(Fold(y)); });
}

// Printable ASCII stays as it is; everything else, the quote and the percent sign become %HH.
void AppendQuoted(std::string& out, const std::string& s) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '"';
  for (unsigned char c : s) {
    if (c < 0x20 || c >= 0x7F || c == '"' || c == '%') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  out += '"';
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

class CLineReader {
 public:
  CLineReader(const std::string& line) : m_Line(line) {}

  bool Word(std::string& out) {
    size_t end = m_Line.find(' ', m_Pos);
    if (end == std::string::npos) end = m_Line.size();
    out = m_Line.substr(m_Pos, end - m_Pos);
    m_Pos = end;
    return !out.empty();
  }
  bool Blank() { return m_Pos < m_Line.size() && m_Line[m_Pos++] == ' '; }
  bool Quoted(std::string& out, size_t limit) {
    out.clear();
    if (m_Pos >= m_Line.size() || m_Line[m_Pos] != '"') return false;
    for (++m_Pos; m_Pos < m_Line.size(); ++m_Pos) {
      char c = m_Line[m_Pos];
      if (c == '"') {
        ++m_Pos;
        return true;
      }
      if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) return false;
      if (c == '%') {
        if (m_Pos + 2 >= m_Line.size()) return false;
        int hi = HexDigit(m_Line[m_Pos + 1]), lo = HexDigit(m_Line[m_Pos + 2]);
        if (hi < 0 || lo < 0) return false;
        c = static_cast<char>(hi * 16 + lo);
        m_Pos += 2;
      }
      if (out.size() == limit) return false;
      out += c;
    }
    return false;
  }
  bool Number(uint32_t& v) {
    size_t start = m_Pos;
    uint64_t n = 0;
    while (m_Pos < m_Line.size() && m_Line[m_Pos] >= '0' && m_Line[m_Pos] <= '9') {
      n = n * 10 + static_cast<uint64_t>(m_Line[m_Pos++] - '0');
      if (n > 0xFFFFFFFFu) return false;
    }
    v = static_cast<uint32_t>(n);
    return m_Pos > start;
  }
  bool AtEnd() const { return m_Pos == m_Line.size(); }

 private:
  const std::string& m_Line;
  size_t m_Pos = 0;
};

void AppendKey(std::string& out, const TRegistryKey& key, const std::string& path) {
  if (!path.empty() || !key.m_Values.empty()) {
    out += "key ";
    AppendQuoted(out, path);
    out += '\n';
  }
  for (const TRegistryValue& v : key.m_Values) {
    if (v.m_Type == XREG_NUMBER && v.m_Data.size() == 4) {
      uint32_t n = 0;
      for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(v.m_Data[static_cast<size_t>(i)]);
      out += "number ";
      AppendQuoted(out, v.m_Name);
      out += ' ' + std::to_string(n) + '\n';
    } else {
      out += v.m_Type == XREG_STRING ? "string " : "binary ";
      AppendQuoted(out, v.m_Name);
      out += ' ';
      AppendQuoted(out, v.m_Data);
      out += '\n';
    }
  }
  for (const auto& sub : key.m_SubKeys) AppendKey(out, *sub, path.empty() ? sub->m_Name : path + "\\" + sub->m_Name);
}
}  // namespace

bool PlatformRegistryNamesEqual(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

bool PlatformRegistrySplitPath(const char* path, std::vector<std::string>& names) {
  names.clear();
  if (!path) return true;
  std::string name;
  for (const char* p = path;; ++p) {
    if (*p == '\\' || *p == 0) {
      if (!name.empty()) names.push_back(name);
      if (names.size() > XREG_MAX_DEPTH) return false;
      name.clear();
      if (*p == 0) break;
      continue;
    }
    if (name.size() == XREG_MAX_KEY_NAME) return false;
    name += *p;
  }
  return true;
}

TRegistryKey* TRegistryKey::FindSubKey(const std::string& name) const {
  auto it = std::lower_bound(m_SubKeys.begin(), m_SubKeys.end(), name,
                             [](const std::unique_ptr<TRegistryKey>& k, const std::string& n) { return LessFolded(k->m_Name, n); });
  return it != m_SubKeys.end() && PlatformRegistryNamesEqual((*it)->m_Name, name) ? it->get() : nullptr;
}

TRegistryKey* TRegistryKey::AddSubKey(const std::string& name) {
  if (TRegistryKey* k = FindSubKey(name)) return k;
  if (m_SubKeys.size() >= XREG_MAX_CHILDREN) return nullptr;
  auto it = std::lower_bound(m_SubKeys.begin(), m_SubKeys.end(), name,
                             [](const std::unique_ptr<TRegistryKey>& k, const std::string& n) { return LessFolded(k->m_Name, n); });
  auto key = std::make_unique<TRegistryKey>();
  key->m_Name = name;
  return m_SubKeys.insert(it, std::move(key))->get();
}

bool TRegistryKey::RemoveSubKey(const std::string& name) {
  return std::erase_if(m_SubKeys, [&](const std::unique_ptr<TRegistryKey>& k) {
           return PlatformRegistryNamesEqual(k->m_Name, name);
         }) != 0;
}

TRegistryValue* TRegistryKey::FindValue(const std::string& name) {
  for (TRegistryValue& v : m_Values)
    if (PlatformRegistryNamesEqual(v.m_Name, name)) return &v;
  return nullptr;
}

bool TRegistryKey::SetValue(const std::string& name, uint32_t type, const std::string& data) {
  TRegistryValue* v = FindValue(name);
  if (!v) {
    if (m_Values.size() >= XREG_MAX_CHILDREN) return false;
    m_Values.push_back({name, type, data});
    return true;
  }
  v->m_Type = type;
  v->m_Data = data;
  return true;
}

bool TRegistryKey::RemoveValue(const std::string& name) {
  return std::erase_if(m_Values, [&](const TRegistryValue& v) { return PlatformRegistryNamesEqual(v.m_Name, name); }) != 0;
}

TRegistryKey* CRegistryTree::Find(const std::vector<std::string>& path) const {
  TRegistryKey* key = m_Root.get();
  for (const std::string& name : path)
    if (!(key = key->FindSubKey(name))) return nullptr;
  return key;
}

TRegistryKey* CRegistryTree::Create(const std::vector<std::string>& path, size_t* added) {
  TRegistryKey* key = m_Root.get();
  for (const std::string& name : path) {
    TRegistryKey* next = key->FindSubKey(name);
    if (!next) {
      if (!(next = key->AddSubKey(name))) return nullptr;
      if (added) ++*added;
    }
    key = next;
  }
  return key;
}

bool CRegistryTree::Parse(const std::string& text) {
  m_Root = std::make_unique<TRegistryKey>();
  auto fail = [this] {
    m_Root = std::make_unique<TRegistryKey>();
    return false;
  };
  if (text.size() > XREG_MAX_FILE) return fail();
  TRegistryKey* current = nullptr;
  size_t entries = 0;
  size_t pos = 0;
  bool first = true;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    if (first) {
      if (line != kHeader) return fail();
      first = false;
      continue;
    }
    if (line.empty()) continue;
    CLineReader r(line);
    std::string word, name, data;
    if (!r.Word(word) || !r.Blank()) return fail();
    if (word == "key") {
      std::vector<std::string> path;
      if (!r.Quoted(name, XREG_MAX_VALUE_NAME) || !r.AtEnd() || !PlatformRegistrySplitPath(name.c_str(), path))
        return fail();
      if (!(current = Create(path, &entries)) || entries > XREG_MAX_ENTRIES) return fail();
      continue;
    }
    if (!current || !r.Quoted(name, XREG_MAX_VALUE_NAME) || !r.Blank() || ++entries > XREG_MAX_ENTRIES) return fail();
    if (word == "number") {
      uint32_t n = 0;
      if (!r.Number(n) || !r.AtEnd()) return fail();
      data.clear();
      for (int i = 0; i < 4; ++i) data += static_cast<char>((n >> (8 * i)) & 0xFF);
      if (!current->SetValue(name, XREG_NUMBER, data)) return fail();
    } else if (word == "string" || word == "binary") {
      if (!r.Quoted(data, XREG_MAX_DATA) || !r.AtEnd()) return fail();
      if (!current->SetValue(name, word == "string" ? XREG_STRING : XREG_BINARY, data)) return fail();
    } else {
      return fail();
    }
  }
  return first ? text.empty() : true;
}

std::string CRegistryTree::Text() const {
  std::string out = std::string(kHeader) + "\n";
  AppendKey(out, *m_Root, "");
  return out;
}
