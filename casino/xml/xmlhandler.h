// What the XML parser reports, element by element, in document order. The texts are views into
// the parser's text, valid only during the call: a receiver copies what it keeps.
#pragma once

#include <string_view>

class CXmlHandler {
 public:
  virtual ~CXmlHandler() = default;

  // An element whose content holds further tags; its content follows as reports, then End.
  virtual void Start(std::string_view name, std::string_view attributes) = 0;
  // An element whose content holds no tag: the content is its text, as written.
  virtual void Leaf(std::string_view name, std::string_view attributes, std::string_view text) = 0;
  virtual void End(std::string_view name) = 0;
};
