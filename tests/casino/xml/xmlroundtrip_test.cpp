// Trees built with SetValue, written with ToText and loaded again, are the trees that were built;
// where the texts are plain ASCII, libxml2 reads the written text to the same values.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "casino/xml/xmldocument.h"
#include "xmlgenerator.h"
#include "xmltreedump.h"

namespace {
// The tree that the SetValue calls should build, kept beside the document.
struct SModelNode {
  std::string name, text;
  bool element = false;  // made on the way to a leaf, not as the leaf itself
  std::vector<std::unique_ptr<SModelNode>> children;

  SModelNode* Add(std::string childName, std::string childText, bool isElement) {
    children.push_back(std::make_unique<SModelNode>());
    children.back()->name = std::move(childName);
    children.back()->text = std::move(childText);
    children.back()->element = isElement;
    return children.back().get();
  }
  SModelNode* Find(const std::string& childName) const {
    for (const auto& child : children)
      if (child->name == childName) return child.get();
    return nullptr;
  }
  std::string Dump() const {
    if (children.empty()) return name + "=" + QuoteXmlText(text);
    std::string out = name + "{";
    for (const auto& child : children) out += (child == children.front() ? "" : ",") + child->Dump();
    return out + "}";
  }
};

class CTreeBuilder {
 public:
  CTreeBuilder(uint32_t seed, bool plainText) : m_Rng(seed), m_bPlainText(plainText) {
    for (int i = 0; i < 5; ++i) m_Names.push_back(GeneratorName(m_Rng));
    m_Root.name = m_Names[0];
  }

  // One SetValue at a path below a random element of the tree (the root first), extended by up
  // to three new segments. Paths that would put a child under a leaf are not asked for: the
  // leaf's text would then stand beside a child element, which the reader drops.
  void Step(CXmlDocument& document) {
    std::vector<std::string> path;
    for (const SModelNode* node = RandomElement(); node; node = m_Parents[node]) path.insert(path.begin(), node->name);
    if (path.empty()) path.push_back(m_Root.name);
    for (uint32_t n = m_Rng() % 4; n > 0 && path.size() < 30; --n) path.push_back(Name());
    path.push_back(Name());
    if (!Reaches(path)) return;
    const std::string value = Value();
    std::string joined = path[0];
    for (size_t i = 1; i < path.size(); ++i) joined += ":" + path[i];
    const bool set = m_Rng() % 2 ? document.SetValue(joined.c_str(), CString(value.data(), static_cast<uint32_t>(value.size())))
                                 : document.SetValue(joined.c_str(), value.c_str());
    EXPECT_TRUE(set) << joined;
    Apply(path, value);
  }

  const SModelNode& Root() const { return m_Root; }
  bool Empty() const { return m_Root.children.empty(); }

 private:
  std::string Name() { return m_Rng() % 6 ? m_Names[m_Rng() % m_Names.size()] : GeneratorName(m_Rng); }

  // Any byte 1-255, or printable ASCII, tab and newline without "]]>".
  std::string Value() {
    std::string value;
    for (uint32_t n = m_Rng() % 13; n > 0; --n) {
      if (!m_bPlainText) value += static_cast<char>(1 + m_Rng() % 255);
      else if (m_Rng() % 8 == 0) value += "\t\n"[m_Rng() % 2];
      else value += static_cast<char>(' ' + m_Rng() % 95);
      if (m_bPlainText && value.ends_with("]]>")) value.back() = '_';
    }
    return value;
  }

  const SModelNode* RandomElement() {
    if (m_Elements.empty()) return nullptr;
    return m_Elements[m_Rng() % m_Elements.size()];
  }

  // The first node of each name on the way must be an element, not a leaf.
  bool Reaches(const std::vector<std::string>& path) const {
    const SModelNode* node = &m_Root;
    for (size_t i = 1; node && i + 1 < path.size(); ++i) {
      node = node->Find(path[i]);
      if (node && !node->element) return false;
    }
    return true;
  }

  void Apply(const std::vector<std::string>& path, const std::string& value) {
    SModelNode* node = &m_Root;
    for (size_t i = 1; i + 1 < path.size(); ++i) {
      SModelNode* next = node->Find(path[i]);
      if (!next) {
        next = node->Add(path[i], "", true);
        m_Parents[next] = node;
        m_Elements.push_back(next);
      }
      node = next;
    }
    node->Add(path.back(), value, false);
  }

  std::mt19937 m_Rng;
  bool m_bPlainText;
  std::vector<std::string> m_Names;
  SModelNode m_Root;
  std::vector<const SModelNode*> m_Elements;
  std::map<const SModelNode*, const SModelNode*> m_Parents;
};

std::string Written(const CXmlDocument& document) {
  CString out;
  document.ToText(out);
  return std::string(static_cast<const char*>(out), out.Length());
}

TEST(XmlRoundTrip, TreesSetWrittenAndLoadedAreUnchanged) {
  int32_t checkedByLibxml2 = 0;
  for (uint32_t seed = 1; seed <= 400; ++seed) {
    const bool plainText = seed % 2 == 0;
    CTreeBuilder builder(seed, plainText);
    CXmlDocument document;
    for (uint32_t step = 0, steps = 1 + seed % 40; step < steps; ++step) builder.Step(document);
    if (builder.Empty()) continue;
    const std::string expected = builder.Root().Dump();
    ASSERT_EQ(DumpXmlTree(document), expected) << "seed " << seed;
    const std::string text = Written(document);
    CXmlDocument loaded;
    loaded.Load(CString(text.data(), static_cast<uint32_t>(text.size())));
    ASSERT_EQ(DumpXmlTree(loaded), expected) << "seed " << seed << "\n" << text;
    EXPECT_EQ(Written(loaded), text) << "seed " << seed;
    if (plainText) {
      EXPECT_EQ(DumpLibxml2Reading(text), expected) << "seed " << seed << "\n" << text;
      ++checkedByLibxml2;
    }
  }
  EXPECT_GT(checkedByLibxml2, 150);
}
}  // namespace
