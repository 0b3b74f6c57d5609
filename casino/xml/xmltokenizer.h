// One level of an XML parse: walks the elements of one range of the cleaned text. For each
// element it finds the tag, the closing tag that balances it and the content between them, as
// views into the text; nothing is copied.
#pragma once

#include <cstdint>
#include <string_view>

class CXmlTokenizer {
 public:
  CXmlTokenizer(const char* text, uint32_t length) : m_pText(text), m_Length(length) {}

  // Moves to the next element of the range. False when the level ends: no further '<', a tag
  // without its '>', or an element whose closing tag the range does not hold (the rest of the
  // range then stays unread).
  bool Next();

  std::string_view GetName() const { return {m_pText + m_NameStart, m_NameLength}; }
  std::string_view GetAttributes() const { return {m_pText + m_AttrStart, m_AttrLength}; }
  std::string_view GetContent() const { return {m_pText + m_ContentStart, m_ContentLength}; }
  // The content holds a '<': the element has children, else it is a leaf.
  bool HasChildren() const;

 private:
  static constexpr uint32_t kNone = 0xFFFFFFFFu;

  bool ScanTag(uint32_t open);
  uint32_t FindClosingTag(uint32_t from) const;
  uint32_t NextCandidate(uint32_t from) const;
  bool IsOpeningOfSameName(uint32_t at, uint32_t& nextClose) const;

  const char* m_pText;
  uint32_t m_Length;
  uint32_t m_Pos = 0;
  // The element found last: its tag's '<' and '>', its closing tag's '<', name, attributes and
  // content.
  uint32_t m_TagOpen = 0, m_TagClose = 0, m_ClosingTag = 0;
  uint32_t m_NameStart = 0, m_NameLength = 0;
  uint32_t m_AttrStart = 0, m_AttrLength = 0;
  uint32_t m_ContentStart = 0, m_ContentLength = 0;
  bool m_bEmptyElement = false;
};
