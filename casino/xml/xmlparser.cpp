#include "casino/xml/xmlparser.h"

#include "casino/xml/xmlhandler.h"
#include "casino/xml/xmltokenizer.h"
#include "ostrel/system/debug.h"

bool CXmlParser::Parse(const char* text, int32_t length) {
  if (!text || length < 1) return false;
  ParseLevel(text, static_cast<uint32_t>(length), 1);
  return true;
}

// Recursion is bounded by XML_MAX_DEPTH, so hostile nesting cannot exhaust the stack, and a
// parse costs at most that many scans of the text.
void CXmlParser::ParseLevel(const char* text, uint32_t length, int32_t depth) {
  if (depth > XML_MAX_DEPTH) {
    xprintf("CXmlParser::Parse: elements nested deeper than %d levels are not read\n", XML_MAX_DEPTH);
    return;
  }
  CXmlTokenizer tokenizer(text, length);
  while (tokenizer.Next()) {
    if (!tokenizer.HasChildren()) {
      if (m_pHandler) m_pHandler->Leaf(tokenizer.GetName(), tokenizer.GetAttributes(), tokenizer.GetContent());
      continue;
    }
    if (m_pHandler) m_pHandler->Start(tokenizer.GetName(), tokenizer.GetAttributes());
    const std::string_view content = tokenizer.GetContent();
    ParseLevel(content.data(), static_cast<uint32_t>(content.size()), depth + 1);
    if (m_pHandler) m_pHandler->End(tokenizer.GetName());
  }
}
