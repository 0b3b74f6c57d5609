// Our reader against libxml2 on texts that both must read alike: seeded well-formed documents
// and the keyboard-layout rules files that xkb-data installs.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "casino/xml/xmldocument.h"
#include "xmlgenerator.h"
#include "xmltreedump.h"

namespace {
CString Text(const std::string& text) { return CString(text.data(), static_cast<uint32_t>(text.size())); }

int32_t Depth(const CXmlNode* node) {
  int32_t deepest = 0;
  for (const CXmlNode* child = node ? node->GetFirstChild() : nullptr; child; child = child->GetNextSibling())
    deepest = std::max(deepest, 1 + Depth(child));
  return deepest;
}

bool NestsItsOwnName(const CXmlNode* node) {
  for (const CXmlNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
    if (child->GetName() == node->GetName() || NestsItsOwnName(child)) return true;
  return false;
}

TEST(XmlDifferential, GeneratedDocumentsReadAsLibxml2ReadsThem) {
  int32_t deepest = 0, rootLeaves = 0, sameNameNesting = 0, failures = 0;
  for (uint32_t seed = 1; seed <= 600; ++seed) {
    const int32_t depth = static_cast<int32_t>(seed % 51);
    const std::string text = GenerateXmlDocument(seed, depth);
    CXmlDocument ours;
    ours.Load(Text(text));
    const std::string theirs = DumpLibxml2Reading(text);
    ASSERT_NE(theirs, "!") << "libxml2 refuses the generated document of seed " << seed << ":\n" << text;
    if (DumpXmlTree(ours) != theirs && ++failures <= 3)
      ADD_FAILURE() << "seed " << seed << "\n" << text << "\nours:   " << DumpXmlTree(ours) << "\nlibxml2: " << theirs;
    EXPECT_EQ(Depth(ours.GetRoot()), depth) << "seed " << seed;
    deepest = std::max(deepest, Depth(ours.GetRoot()));
    rootLeaves += ours.GetRoot() && !ours.GetRoot()->GetFirstChild();
    sameNameNesting += ours.GetRoot() && NestsItsOwnName(ours.GetRoot());
  }
  EXPECT_EQ(failures, 0);
  // The documents reach what the comparison is for.
  EXPECT_EQ(deepest, 50);
  EXPECT_GT(rootLeaves, 5);
  EXPECT_GT(sameNameNesting, 100);
}

// Tags of the same name, closing and opening, with each blank that may end a name, at every
// offset within the blocks that the search for the closing tag reads at once.
TEST(XmlDifferential, NestedNamesAtEveryOffset) {
  for (const std::string name : {"a", "item", "a_much_longer_element_name.x"}) {
    for (size_t pad = 0; pad < 40; ++pad) {
      const std::string blanks(pad, ' ');
      const std::string text = "<r>" + blanks + "<" + name + " k='1'>" + blanks + "<" + name + "\t>" + blanks + "<" +
                               name + "x>1</" + name + "x><" + name + "/><" + name + "\n>2</" + name + ">" + blanks +
                               "</" + name + "><" + name + "\r\n>3</" + name + ">" + blanks + "</" + name + ">" +
                               blanks + "<" + name + ">4</" + name + "></r>";
      CXmlDocument ours;
      ours.Load(Text(text));
      ASSERT_EQ(DumpXmlTree(ours), DumpLibxml2Reading(text)) << text;
      ASSERT_EQ(ours.GetRoot()->GetNumChildren(), 2) << text;
    }
  }
}

// libxml2 also decodes the references that our reader keeps; these files use "&gt;" besides the
// two that it reads.
std::string DecodeOtherEntities(std::string_view text) {
  std::string decoded;
  for (size_t at = 0; at < text.size();) {
    bool matched = false;
    for (const auto& [entity, byte] : {std::pair{"&gt;", '>'}, std::pair{"&quot;", '"'}, std::pair{"&apos;", '\''}}) {
      if (text.substr(at).starts_with(entity)) {
        decoded += byte;
        at += std::string_view(entity).size();
        matched = true;
        break;
      }
    }
    if (!matched) decoded += text[at++];
  }
  return decoded;
}

class XkbRules : public ::testing::TestWithParam<const char*> {};

TEST_P(XkbRules, ReadAsLibxml2ReadsThem) {
  const std::string path = std::string("/usr/share/X11/xkb/rules/") + GetParam();
  std::ifstream file(path, std::ios::binary);
  ASSERT_TRUE(file) << path << " is missing: scripts/setup-deps installs xkb-data";
  std::ostringstream content;
  content << file.rdbuf();
  const std::string text = content.str();
  CXmlDocument ours;
  ours.Load(Text(text));
  ASSERT_NE(ours.GetRoot(), nullptr);
  EXPECT_GT(ours.GetRoot()->GetNumChildren(), 1);
  EXPECT_EQ(DumpXmlTree(ours.GetRoot(), DecodeOtherEntities), DumpLibxml2Reading(text));
}

INSTANTIATE_TEST_SUITE_P(XmlDifferential, XkbRules, ::testing::Values("base.xml", "evdev.xml"));
}  // namespace
