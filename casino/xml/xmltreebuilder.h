// The handler that builds a document's tree from the parser's reports: an element with children
// becomes the current node, leaves join it, and text beside child elements is dropped.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "casino/xml/xmlhandler.h"
#include "casino/xml/xmlnode.h"

class CXmlTreeBuilder : public CXmlHandler {
 public:
  CXmlNode* GetRoot() const { return m_pRoot.get(); }
  // A new root in place of none; the tree must be empty.
  CXmlNode* MakeRoot(std::string_view name, std::string_view text);
  void Clear();

  void Start(std::string_view name, std::string_view attributes) override;
  // Leaf text is stored with "&amp;" and "&lt;" decoded.
  void Leaf(std::string_view name, std::string_view attributes, std::string_view text) override;
  void End(std::string_view name) override;

 private:
  std::unique_ptr<CXmlNode> m_pRoot;
  CXmlNode* m_pCurrent = nullptr;  // the element being filled; null outside every element
  std::string m_Decoded;
};
