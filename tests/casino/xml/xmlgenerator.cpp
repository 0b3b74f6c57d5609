#include "xmlgenerator.h"

#include <algorithm>
#include <vector>

namespace {
constexpr std::string_view kFirst = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
constexpr std::string_view kRest = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789.-";
const char* const kUtf8[] = {"\xC3\xA9", "\xE2\x82\xAC", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9F\x82\xA1", "\xC3\x9F"};
constexpr int32_t kNodeBudget = 300;

class CDocumentWriter {
 public:
  CDocumentWriter(uint32_t seed, int32_t depth) : m_Rng(seed), m_Depth(depth) {
    for (int i = 0; i < 4; ++i) m_Names.push_back(GeneratorName(m_Rng));
  }

  std::string Write() {
    const std::string root = Name("");
    if (Chance(2)) m_Out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    if (Chance(2)) {
      Between();
      m_Out += "<!DOCTYPE " + root + ">";
    }
    Between();
    Element(root, m_Depth);
    Between();
    return m_Out;
  }

 private:
  bool Chance(uint32_t oneIn) { return m_Rng() % oneIn == 0; }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(m_Rng() % n); }

  // Mostly names already used, so that siblings and nested elements share them.
  std::string Name(const std::string& parent) {
    if (!parent.empty() && Chance(5)) return parent;
    if (Chance(4)) return GeneratorName(m_Rng);
    return m_Names[Below(static_cast<uint32_t>(m_Names.size()))];
  }

  // Whitespace and comments; a comment holds any printable byte but "--".
  void Between() {
    for (uint32_t n = Below(4); n > 0; --n) {
      if (Chance(2)) {
        static const char* const kBlanks[] = {" ", "\n", "\t", "\n  ", "\r\n"};
        m_Out += kBlanks[Below(5)];
        continue;
      }
      m_Out += "<!--";
      for (uint32_t i = Below(16); i > 0; --i) {
        const char c = static_cast<char>(' ' + Below(95));
        m_Out += c == '-' ? ' ' : c;
      }
      m_Out += " -->";
    }
  }

  void Attributes() {
    const uint32_t count = Below(3);
    for (uint32_t i = 0; i < count; ++i) {
      const char quote = Chance(2) ? '"' : '\'';
      m_Out += (i ? " k" : " a") + std::to_string(i) + (Chance(3) ? " = " : "=") + quote;
      for (uint32_t j = Below(8); j > 0; --j) m_Out += "ab z/9"[Below(6)];
      m_Out += quote;
    }
  }

  void Text() {
    std::string text;
    for (uint32_t i = Below(20); i > 0; --i) {
      const uint32_t kind = Below(10);
      if (kind == 0) text += '\t';
      else if (kind == 1) text += '\n';
      else if (kind == 2) text += kUtf8[Below(5)];
      else {
        const char c = static_cast<char>(' ' + Below(95));
        if (c == '&') text += "&amp;";
        else if (c == '<') text += "&lt;";
        else if (c == '>' && text.ends_with("]]")) text += "]";
        else text += c;
      }
    }
    m_Out += text;
  }

  // `below` levels of elements under this one along one branch; others may go less deep.
  void Element(const std::string& name, int32_t below) {
    ++m_Nodes;
    m_Out += "<" + name;
    Attributes();
    if (below == 0) {
      const uint32_t form = Below(4);
      if (form == 0) {
        m_Out += Chance(2) ? "/>" : " />";
        return;
      }
      m_Out += ">";
      if (form > 1) Text();
      m_Out += "</" + name + ">";
      return;
    }
    m_Out += ">";
    const uint32_t children = m_Nodes > kNodeBudget ? 1 : 1 + Below(4);
    const uint32_t branch = Below(children);
    for (uint32_t i = 0; i < children; ++i) {
      Between();
      const int32_t room = std::min<int32_t>(below - 1, 3);
      const int32_t depth = i == branch ? below - 1 : (m_Nodes > kNodeBudget || room == 0 ? 0 : static_cast<int32_t>(Below(room + 1)));
      Element(Name(name), depth);
    }
    Between();
    m_Out += "</" + name + ">";
  }

  std::mt19937 m_Rng;
  int32_t m_Depth;
  std::vector<std::string> m_Names;
  std::string m_Out;
  int32_t m_Nodes = 0;
};
}  // namespace

std::string GeneratorName(std::mt19937& rng) {
  std::string name(1, kFirst[rng() % kFirst.size()]);
  for (uint32_t n = static_cast<uint32_t>(rng() % 8); n > 0; --n) name += kRest[rng() % kRest.size()];
  return name;
}

bool IsGeneratorName(std::string_view name) {
  return !name.empty() && kFirst.find(name[0]) != std::string_view::npos &&
         name.find_first_not_of(kRest) == std::string_view::npos;
}

std::string GenerateXmlDocument(uint32_t seed, int32_t depth) { return CDocumentWriter(seed, depth).Write(); }
