// One element of an XML tree: a name, a text, and its children in document order, which it owns.
// A cursor walks the children, as the system's lists do.
#pragma once

#include <cstdint>
#include <string_view>

#include "ostrel/base/cstring.h"

class CXmlNode {
 public:
  CXmlNode(CXmlNode* parent, std::string_view name, std::string_view text);
  ~CXmlNode();
  CXmlNode(const CXmlNode&) = delete;
  CXmlNode& operator=(const CXmlNode&) = delete;

  const CString& GetName() const { return m_Name; }
  const CString& GetText() const { return m_Text; }
  CXmlNode* GetParent() const { return m_pParent; }
  void SetName(std::string_view name);
  void SetText(std::string_view text);

  // Appends a new last child and answers it.
  CXmlNode* AddChild(std::string_view name, std::string_view text = {});
  // The first child of that name; the cursor stays where it is.
  CXmlNode* FindChild(std::string_view name) const;
  int32_t GetNumChildren() const { return m_NumChildren; }

  // The cursor over the children: each answers the child it ends on, null past the last.
  CXmlNode* FirstChild() { return m_pCursor = m_pFirstChild; }
  CXmlNode* NextChild() { return m_pCursor = m_pCursor ? m_pCursor->m_pNextSibling : nullptr; }
  CXmlNode* GetChild() const { return m_pCursor; }

  // Walks that must leave every cursor alone (lookups, writing).
  CXmlNode* GetFirstChild() const { return m_pFirstChild; }
  CXmlNode* GetNextSibling() const { return m_pNextSibling; }

 private:
  CString m_Name;
  CString m_Text;
  CXmlNode* m_pParent;
  CXmlNode* m_pFirstChild = nullptr;
  CXmlNode* m_pLastChild = nullptr;
  CXmlNode* m_pNextSibling = nullptr;
  CXmlNode* m_pCursor = nullptr;
  int32_t m_NumChildren = 0;
};
