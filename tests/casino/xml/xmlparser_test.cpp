// The parser's reports, the text cleaning, the escapes and the path splitting on their own.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "casino/xml/xmlclean.h"
#include "casino/xml/xmlescape.h"
#include "casino/xml/xmlhandler.h"
#include "casino/xml/xmlparser.h"
#include "casino/xml/xmlpath.h"

namespace {
// Every report as one line: "S name [attributes]", "L name [attributes] text", "E name".
class CRecorder : public CXmlHandler {
 public:
  void Start(std::string_view name, std::string_view attributes) override {
    m_Lines.push_back("S " + std::string(name) + " [" + std::string(attributes) + "]");
  }
  void Leaf(std::string_view name, std::string_view attributes, std::string_view text) override {
    m_Lines.push_back("L " + std::string(name) + " [" + std::string(attributes) + "] " + std::string(text));
  }
  void End(std::string_view name) override { m_Lines.push_back("E " + std::string(name)); }
  std::vector<std::string> m_Lines;
};

std::vector<std::string> Reports(const std::string& text) {
  CRecorder recorder;
  CXmlParser parser;
  parser.SetHandler(&recorder);
  EXPECT_TRUE(parser.Parse(text.data(), static_cast<int32_t>(text.size())));
  return recorder.m_Lines;
}

std::string Cleaned(std::string text) {
  xCleanXmlText(text.data(), static_cast<uint32_t>(text.size()));
  return text;
}

TEST(XmlParser, ReportsElementsInDocumentOrderWithTheirAttributes) {
  EXPECT_EQ(Reports("<r id=\"1\"><a x='y' z=\"w\">t</a> beside <b/><c k=\"v\" /><d></d></r>"),
            (std::vector<std::string>{"S r [id=\"1\"]", "L a [x='y' z=\"w\"] t", "L b [] ", "L c [k=\"v\" ] ",
                                      "L d [] ", "E r"}));
  // Text is handed on as written: no entity decoded, nothing trimmed.
  EXPECT_EQ(Reports("<a> &amp; &lt; </a>"), (std::vector<std::string>{"L a []  &amp; &lt; "}));
}

TEST(XmlParser, RefusesNoTextAndDropsReportsWithoutAHandler) {
  CXmlParser parser;
  EXPECT_FALSE(parser.Parse(nullptr, 5));
  EXPECT_FALSE(parser.Parse("<a/>", 0));
  EXPECT_FALSE(parser.Parse("<a/>", -1));
  EXPECT_TRUE(parser.Parse("<a><b>1</b></a>", 15));
  EXPECT_TRUE(parser.Parse("no tags", 7));
}

TEST(XmlParser, ElementsBeyondTheDepthBoundAreNotReported) {
  std::string text;
  for (int i = 0; i <= XML_MAX_DEPTH; ++i) text += "<e>";
  for (int i = 0; i <= XML_MAX_DEPTH; ++i) text += "</e>";
  const std::vector<std::string> lines = Reports(text);
  // Levels 1 to 255 start and end; the element at 256 holds a tag but its content is not read.
  ASSERT_EQ(lines.size(), 2u * XML_MAX_DEPTH);
  EXPECT_EQ(lines[XML_MAX_DEPTH - 1], "S e []");
  EXPECT_EQ(lines[XML_MAX_DEPTH], "E e");
}

TEST(XmlClean, BlanksCommentsAndDisarmsDeclarations) {
  EXPECT_EQ(Cleaned("<?xml v?><!DOCTYPE a><a><!-- <b> --></a>"), "_?xml v?>_!DOCTYPE a><a>" + std::string(12, ' ') + "</a>");
  EXPECT_EQ(Cleaned("<a><!-- never closed <b>1</b>"), "<a>" + std::string(26, ' '));
  EXPECT_EQ(Cleaned("<!-->x-->"), "         ");  // the close is searched after the opening
  EXPECT_EQ(Cleaned("<?XML <!doctype <"), "<?XML <!doctype <");
  EXPECT_EQ(Cleaned("<!--"), "    ");
}

TEST(XmlEscape, EscapesTwoBytesAndDecodesExactlyTwoEntities) {
  std::string out = ">";
  xXmlEscapeText("a&b<c>&amp;", out);
  EXPECT_EQ(out, ">a&amp;b&lt;c>&amp;amp;");
  const std::vector<std::pair<std::string, std::string>> decoded = {
      {"plain", "plain"},       {"&amp;", "&"},         {"&lt;", "<"},         {"&amp;lt;", "&lt;"},
      {"&amp;amp;", "&amp;"},   {"&gt;&quot;&#60;&#x3C;", "&gt;&quot;&#60;&#x3C;"},
      {"& &amp &lt", "& &amp &lt"}, {"a&lt;b&amp;c&", "a<b&c&"},
  };
  std::string buffer;
  for (const auto& [text, expected] : decoded) EXPECT_EQ(xXmlDecodeText(text, buffer), expected) << text;
}

TEST(XmlPath, CutsAtEveryColon) {
  using TSegments = std::vector<std::string_view>;
  EXPECT_EQ(xSplitXmlPath("create_user:user_details:sec_ques_1"),
            (TSegments{"create_user", "user_details", "sec_ques_1"}));
  EXPECT_EQ(xSplitXmlPath(""), TSegments{""});
  EXPECT_EQ(xSplitXmlPath(nullptr), TSegments{});
  EXPECT_EQ(xSplitXmlPath("a::b:"), (TSegments{"a", "", "b", ""}));
  EXPECT_EQ(xSplitXmlPath(":"), (TSegments{"", ""}));
}
}  // namespace
