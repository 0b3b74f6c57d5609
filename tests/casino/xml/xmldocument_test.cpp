// The XML document: texts loaded into trees and written back, lookups and additions by path,
// and malformed or hostile texts, which must load what they hold before the fault.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "casino/xml/xmldocument.h"
#include "xmltreedump.h"

namespace {
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

CString Text(const std::string& text) { return CString(text.data(), static_cast<uint32_t>(text.size())); }
std::string Str(const CString& text) { return std::string(static_cast<const char*>(text), text.Length()); }

std::string Written(const CXmlDocument& document) {
  CString out;
  document.ToText(out);
  return Str(out);
}

std::string Nested(const std::string& name, int depth, const std::string& inner) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += "<" + name + ">";
  text += inner;
  for (int i = 0; i < depth; ++i) text += "</" + name + ">";
  return text;
}

struct SLoadCase {
  const char* what;
  std::string text;
  std::string tree;
  std::string written;
};

void PrintTo(const SLoadCase& c, std::ostream* os) { *os << c.what; }

class LoadCases : public ::testing::TestWithParam<SLoadCase> {};

TEST_P(LoadCases, TextGivesTreeAndTreeGivesText) {
  const SLoadCase& c = GetParam();
  CXmlDocument document;
  document.Load(Text(c.text));
  EXPECT_EQ(DumpXmlTree(document), c.tree) << c.what;
  EXPECT_EQ(Written(document), c.written) << c.what;
}

const SLoadCase kLoadCases[] = {
    {"two leaves", "<a><b>1</b><c>2</c></a>", R"(a{b="1",c="2"})", "\n<a>\n<b>1</b>\n<c>2</c></a>"},
    {"empty and self-closed elements are empty leaves", "<a><b/><c></c><d /></a>", R"(a{b="",c="",d=""})",
     "\n<a>\n<b></b>\n<c></c>\n<d></d></a>"},
    {"declaration, document type and comments anywhere",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE a SYSTEM \"a.dtd\">\n<!-- top <x>1</x> -->"
     "<a><!--first--><b>1</b><!-- <c>2</c> --></a><!-- end -->",
     R"(a{b="1"})", "\n<a>\n<b>1</b></a>"},
    {"a comment inside a leaf's text is blanked", "<a><b>1<!--c-->2</b></a>", R"(a{b="1        2"})",
     "\n<a>\n<b>1        2</b></a>"},
    {"attributes are read past", "<a id=\"1\" v='x y'><b z=\"/\">1</b><c q=\"a/b\"/><d\tk=\"v\">2</d></a>",
     R"(a{b="1",c="",d="2"})", "\n<a>\n<b>1</b>\n<c></c>\n<d>2</d></a>"},
    {"text beside children is dropped", "<a>x<b>1</b> y <c>2</c>z</a>", R"(a{b="1",c="2"})",
     "\n<a>\n<b>1</b>\n<c>2</c></a>"},
    {"leaf text is not trimmed", "<a><b> 1 \t\n</b></a>", "a{b=\" 1 \\x09\\x0A\"}", "\n<a>\n<b> 1 \t\n</b></a>"},
    {"numbered names", "<XML><DESC><0>low</0><1>high</1></DESC></XML>", R"(XML{DESC{0="low",1="high"}})",
     "\n<XML>\n<DESC>\n<0>low</0>\n<1>high</1></DESC></XML>"},
    {"a document that is one leaf is a leaf root", "<a>1</a>", R"(a="1")", "\n<a>1</a>"},
    {"names compare case by case", "<a><B>1</B><b>2</b></a>", R"(a{B="1",b="2"})", "\n<a>\n<B>1</B>\n<b>2</b></a>"},
    // An element inside one of its own name closes at its balancing tag.
    {"same name nested", "<r><a><a>1</a></a><b>2</b></r>", R"(r{a{a="1"},b="2"})",
     "\n<r>\n<a>\n<a>1</a></a>\n<b>2</b></r>"},
    {"same name nested at the top", "<a><a>1</a></a>", R"(a{a="1"})", "\n<a>\n<a>1</a></a>"},
    {"same name three deep with siblings", "<a><a><a>1</a><a>2</a></a><a/></a>", R"(a{a{a="1",a="2"},a=""})",
     "\n<a>\n<a>\n<a>1</a>\n<a>2</a></a>\n<a></a></a>"},
    {"self-closed same name does not nest", "<a><a/><b>1</b></a>", R"(a{a="",b="1"})",
     "\n<a>\n<a></a>\n<b>1</b></a>"},
    {"longer name with the same start does not nest", "<a><ab>1</ab><a.b>2</a.b></a>", R"(a{ab="1",a.b="2"})",
     "\n<a>\n<ab>1</ab>\n<a.b>2</a.b></a>"},
    // The siblings after an element whose content ends with an empty element are read.
    {"siblings after content that ends empty", "<r><a><b/></a><c>1</c></r>", R"(r{a{b=""},c="1"})",
     "\n<r>\n<a>\n<b></b></a>\n<c>1</c></r>"},
    // "&amp;" and "&lt;" are read back in one pass; every other reference stays.
    {"two entities decoded", "<a>x &amp;lt; &amp; &lt; &gt; &quot; &#60; &</a>", R"(a="x &lt; & < &gt; &quot; &#60; &")",
     "\n<a>x &amp;lt; &amp; &lt; &amp;gt; &amp;quot; &amp;#60; &amp;</a>"},
    {"a second top-level element renames the root", "<a><b>1</b></a><c><d>2</d></c>", R"(c{b="1",d="2"})",
     "\n<c>\n<b>1</b>\n<d>2</d></c>"},
    {"a top-level leaf before the root", "<x>1</x><a><b>2</b></a>", R"(a{b="2"})", "\n<a>\n<b>2</b></a>"},
    {"a top-level leaf after the root", "<a><b>2</b></a><y>3</y>", R"(a{b="2"})", "\n<a>\n<b>2</b></a>"},
    {"a missing '>'", "<a><b>1</b><c</a>", R"(a{b="1"})", "\n<a>\n<b>1</b></a>"},
    {"a missing closing tag", "<a><b>1</b><c>2<d>3</d></a>", R"(a{b="1"})", "\n<a>\n<b>1</b></a>"},
    {"a stray closing tag", "<a><b>1</b></x><c>2</c></a>", R"(a{b="1"})", "\n<a>\n<b>1</b></a>"},
    {"an unclosed comment after the root", "<a><b>1</b></a><!-- <c>2</c>", R"(a{b="1"})", "\n<a>\n<b>1</b></a>"},
    {"an unclosed comment that takes the root's closing tag", "<a><b>1</b><!-- <c>2</c></a>", "", ""},
    {"a '<' as the last byte", "<a><b>1</b></a><", R"(a{b="1"})", "\n<a>\n<b>1</b></a>"},
    {"only a '<'", "<", "", ""},
    {"no tag at all", "just text", "", ""},
    {"zero bytes inside the length", Bytes("<a><b>1\0002</b><c>\0</c></a>"), R"(a{b="1\x002",c="\x00"})",
     Bytes("\n<a>\n<b>1\0002</b>\n<c>\0</c></a>")},
};

INSTANTIATE_TEST_SUITE_P(XmlDocument, LoadCases, ::testing::ValuesIn(kLoadCases));

TEST(XmlDocument, LoadEmptiesTheTreeAndLeavesEveryCursorOnTheFirstChild) {
  CXmlDocument document;
  document.Load("<old><x>1</x></old>");
  EXPECT_TRUE(document.Load("<a><b><c>1</c><d>2</d></b><e>3</e></a>"));
  EXPECT_EQ(DumpXmlTree(document), R"(a{b{c="1",d="2"},e="3"})");
  CXmlNode* root = document.GetRoot();
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetChild(), root->GetFirstChild());
  EXPECT_EQ(Str(root->GetChild()->GetName()), "b");
  EXPECT_EQ(Str(root->GetChild()->GetChild()->GetName()), "c");
  EXPECT_EQ(Str(root->NextChild()->GetName()), "e");
  EXPECT_EQ(root->NextChild(), nullptr);
  EXPECT_EQ(root->GetNumChildren(), 2);

  EXPECT_FALSE(document.Load(""));
  EXPECT_EQ(document.GetRoot(), nullptr);
}

TEST(XmlDocument, PathsFindTheFirstChildOfEachName) {
  CXmlDocument document;
  document.Load("<x><a><b>1</b></a><a><b>2</b><c>3</c></a><XML><DESC><0>low</0></DESC></XML></x>");
  CString text = "keep";
  EXPECT_TRUE(document.GetValue("x:a:b", text));
  EXPECT_EQ(Str(text), "1");
  EXPECT_TRUE(document.GetValue("x:XML:DESC:0", text));
  EXPECT_EQ(Str(text), "low");
  EXPECT_TRUE(document.GetValue("x", text));  // an element with children has no text
  EXPECT_EQ(Str(text), "");

  for (const char* missing : {"x:a:c", "X", "x:A", "y", "x:a:b:c", "", ":x", "x:", static_cast<const char*>(nullptr)}) {
    CString kept = "keep";
    int32_t number = 77;
    EXPECT_FALSE(document.GetValue(missing, kept)) << (missing ? missing : "null");
    EXPECT_FALSE(document.GetValue(missing, number)) << (missing ? missing : "null");
    EXPECT_EQ(Str(kept), "keep");
    EXPECT_EQ(number, 77);
  }
  CString root = "keep";
  EXPECT_TRUE(document.GetRootName(root));
  EXPECT_EQ(Str(root), "x");
  CXmlDocument empty;
  EXPECT_FALSE(empty.GetRootName(root));
  EXPECT_EQ(Str(root), "");
}

TEST(XmlDocument, NumbersReadAsDecimalHeldToThirtyTwoBits) {
  const std::vector<std::pair<std::string, int32_t>> cases = {
      {"42", 42},          {" \t\n-17", -17},   {"+5", 5},       {"12abc", 12},        {"-", 0},
      {"", 0},             {"abc", 0},          {"0x1A", 0},     {"007", 7},           {"2147483647", 2147483647},
      {"2147483648", INT32_MAX}, {"99999999999", INT32_MAX}, {"-2147483648", INT32_MIN},
      {"-99999999999", INT32_MIN}, {"999999999999999999999999999999", INT32_MAX}, {"- 5", 0}, {"1 2", 1},
  };
  for (const auto& [text, expected] : cases) {
    CXmlDocument document;
    document.SetValue("n:v", text.c_str());
    int32_t value = 77;
    EXPECT_TRUE(document.GetValue("n:v", value)) << text;
    EXPECT_EQ(value, expected) << '"' << text << '"';
  }
}

TEST(XmlDocument, SetValueMakesTheMissingElements) {
  CXmlDocument document;
  EXPECT_TRUE(document.SetValue("x:y:z", "1"));
  EXPECT_EQ(DumpXmlTree(document), R"(x{y{z="1"}})");
  EXPECT_TRUE(document.SetValue("x:y:w", CString("2")));
  EXPECT_TRUE(document.SetValue("x:q:r:s", "3"));
  EXPECT_TRUE(document.SetValue("x:t", "4"));
  EXPECT_EQ(DumpXmlTree(document), R"(x{y{z="1",w="2"},q{r{s="3"}},t="4"})");
  EXPECT_EQ(Written(document), "\n<x>\n<y>\n<z>1</z>\n<w>2</w></y>\n<q>\n<r>\n<s>3</s></r></q>\n<t>4</t></x>");
}

TEST(XmlDocument, APathSetTwiceHoldsTwoLeavesAndTheFirstIsFound) {
  CXmlDocument document;
  EXPECT_TRUE(document.SetValue("x:y", "1"));
  EXPECT_TRUE(document.SetValue("x:y", "2"));
  EXPECT_EQ(DumpXmlTree(document), R"(x{y="1",y="2"})");
  CString value;
  EXPECT_TRUE(document.GetValue("x:y", value));
  EXPECT_EQ(Str(value), "1");
}

TEST(XmlDocument, ARootLeafIsTheSameTreeLoadedAndSet) {
  CXmlDocument set, loaded;
  EXPECT_TRUE(set.SetValue("a", "1"));
  loaded.Load("<a>1</a>");
  EXPECT_EQ(DumpXmlTree(set), R"(a="1")");
  EXPECT_EQ(DumpXmlTree(loaded), DumpXmlTree(set));
  EXPECT_EQ(Written(set), "\n<a>1</a>");
  CString value;
  EXPECT_TRUE(loaded.GetValue("a", value));
  EXPECT_EQ(Str(value), "1");
}

TEST(XmlDocument, PathsThatReachNoNodeAreRefusedAndChangeNothing) {
  CXmlDocument document;
  EXPECT_FALSE(document.SetValue("", "v"));
  EXPECT_FALSE(document.SetValue(nullptr, "v"));
  EXPECT_EQ(document.GetRoot(), nullptr);
  document.SetValue("x:a", "1");
  const std::string before = DumpXmlTree(document);
  for (const char* refused : {"", static_cast<const char*>(nullptr), "y:z", "x", "X:a", "y"}) {
    EXPECT_FALSE(document.SetValue(refused, "v")) << (refused ? refused : "null");
    EXPECT_FALSE(document.SetValue(refused, CString("v"))) << (refused ? refused : "null");
    EXPECT_EQ(DumpXmlTree(document), before);
  }
  // A path deeper than the reader reads back is refused too.
  std::string deepest = "x", deeper;
  for (int i = 1; i < XML_MAX_DEPTH; ++i) deepest += ":e";
  deeper = deepest + ":e";
  EXPECT_FALSE(document.SetValue(deeper.c_str(), "v"));
  EXPECT_EQ(DumpXmlTree(document), before);
  EXPECT_TRUE(document.SetValue(deepest.c_str(), "v"));
  CString value;
  EXPECT_TRUE(document.GetValue(deepest.c_str(), value));
  EXPECT_EQ(Str(value), "v");
}

// The player's typed answers go into the account text: they must stay text.
TEST(XmlDocument, TextIsEscapedOnWriteSoThatAnswersCannotMakeElements) {
  const std::string answer = "x</sec_answer_1><currency>EUR</currency><y>&", other = "a & b < c &amp; d &lt;";
  CXmlDocument account;
  account.SetValue("create_user:user_details:sec_ques_1", "reminder");
  account.SetValue("create_user:user_details:sec_answer_1", answer.c_str());
  account.SetValue("create_user:user_details:sec_answer_2", other.c_str());
  account.SetValue("create_user:currency", "USD");
  const std::string text = Written(account);
  EXPECT_EQ(text,
            "\n<create_user>\n<user_details>\n<sec_ques_1>reminder</sec_ques_1>"
            "\n<sec_answer_1>x&lt;/sec_answer_1>&lt;currency>EUR&lt;/currency>&lt;y>&amp;</sec_answer_1>"
            "\n<sec_answer_2>a &amp; b &lt; c &amp;amp; d &amp;lt;</sec_answer_2></user_details>"
            "\n<currency>USD</currency></create_user>");
  CXmlDocument read;
  read.Load(Text(text));
  EXPECT_EQ(DumpXmlTree(read), DumpXmlTree(account));
  EXPECT_EQ(Written(read), text);  // no escape doubles
  // A conforming parser reads the same values.
  EXPECT_EQ(DumpLibxml2Reading(text), DumpXmlTree(account));
}

TEST(XmlDocument, NestingEndsAtTheDepthBound) {
  CXmlDocument document;
  document.Load(Text(Nested("e", XML_MAX_DEPTH - 1, "<leaf>deep</leaf>")));
  std::string path = "e";
  for (int i = 1; i < XML_MAX_DEPTH - 1; ++i) path += ":e";
  CString value;
  EXPECT_TRUE(document.GetValue((path + ":leaf").c_str(), value));
  EXPECT_EQ(Str(value), "deep");

  // One level more: the deepest element's content is not read, its siblings and their
  // ancestors' siblings are.
  document.Load(Text("<top>" + Nested("e", XML_MAX_DEPTH - 1, "<leaf>deep</leaf>") + "<after>1</after></top>"));
  const std::string deepest = "top:" + path;
  const CXmlNode* node = document.FindNode(deepest.c_str());
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->GetFirstChild(), nullptr);
  EXPECT_EQ(node->GetText().Length(), 0u);
  EXPECT_TRUE(document.GetValue("top:after", value));
  EXPECT_EQ(Str(value), "1");
  // Written and read again, the tree stays as it was.
  CXmlDocument again;
  again.Load(Text(Written(document)));
  EXPECT_EQ(DumpXmlTree(again), DumpXmlTree(document));
}

TEST(XmlDocument, HostileTextsLoadWhatTheyHold) {
  CXmlDocument document;
  EXPECT_TRUE(document.Load(Text(std::string(1 << 20, '<'))));
  EXPECT_EQ(document.GetRoot(), nullptr);

  document.Load(Text(Nested("a", 100000, "<b>1</b>")));
  int depth = 0;
  for (const CXmlNode* node = document.GetRoot(); node; node = node->GetFirstChild()) ++depth;
  EXPECT_EQ(depth, XML_MAX_DEPTH);

  document.Load(Text(std::string(100000, '<') + "a>" + Nested("b", 1, "1")));
  EXPECT_EQ(document.GetRoot(), nullptr);  // the first tag's name runs into the '<'s and never closes

  const std::string longName(10240, 'n');
  document.Load(Text("<r><" + longName + " a=\"1\">v</" + longName + "><x/></r>"));
  EXPECT_EQ(DumpXmlTree(document), "r{" + longName + "=\"v\",x=\"\"}");

  document.Load("<r><a k=\"'/'\" j='\"/\"'/><b k=\"/\">1</b><c k=\"x>y\">2</c><d>3</d></r>");
  EXPECT_EQ(DumpXmlTree(document), R"(r{a="",b="1",c="y\">2",d="3"})");

  // Opening tags of the same name that never close: the search for the balancing tag runs to the
  // end of the level once.
  std::string unclosed = "<a>";
  for (int i = 0; i < 100000; ++i) unclosed += "<a ";
  document.Load(Text(unclosed + "</a>"));
  EXPECT_EQ(document.GetRoot(), nullptr);
}

TEST(XmlDocument, WritingAnEmptyDocumentAppendsNothing) {
  CXmlDocument document;
  CString out = "kept";
  document.ToText(out);
  EXPECT_EQ(Str(out), "kept");
  document.SetValue("a:b", "1");
  document.ToText(out);
  EXPECT_EQ(Str(out), "kept\n<a>\n<b>1</b></a>");
}
}  // namespace
