// The XML parser: reports the elements of a text, level by level, to a handler. It knows tags
// and text only; attributes are handed on as written, nothing is decoded or trimmed. Malformed
// text never fails the parse: it ends the level that meets it, and what came before stays
// reported.
#pragma once

#include <cstdint>

#include "ostrel/base/cstring.h"

class CXmlHandler;

// Elements nest at most this deep; the content of an element at the deepest level is not read.
inline constexpr int32_t XML_MAX_DEPTH = 256;

class CXmlParser : public CString {
 public:
  CXmlParser() = default;

  // Not owned; null drops the reports.
  void SetHandler(CXmlHandler* handler) { m_pHandler = handler; }
  CXmlHandler* GetHandler() const { return m_pHandler; }

  // False for a null text or a length below 1, else true once every readable element has been
  // reported. The text is read as it is: clean it first (xCleanXmlText).
  bool Parse(const char* text, int32_t length);

 private:
  void ParseLevel(const char* text, uint32_t length, int32_t depth);

  CXmlHandler* m_pHandler = nullptr;
};
