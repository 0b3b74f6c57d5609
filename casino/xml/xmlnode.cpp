#include "casino/xml/xmlnode.h"

#include <cstring>

namespace {
CString ToCString(std::string_view text) { return CString(text.data(), static_cast<uint32_t>(text.size())); }

bool Equals(const CString& name, std::string_view other) {
  return name.Length() == other.size() && std::memcmp(static_cast<const char*>(name), other.data(), other.size()) == 0;
}
}  // namespace

CXmlNode::CXmlNode(CXmlNode* parent, std::string_view name, std::string_view text)
    : m_Name(name.data(), static_cast<uint32_t>(name.size())),
      m_Text(text.data(), static_cast<uint32_t>(text.size())),
      m_pParent(parent) {}

// Frees the subtree without recursion: each node's children are spliced into the run still to
// be freed before the node goes.
CXmlNode::~CXmlNode() {
  CXmlNode* pending = m_pFirstChild;
  while (pending) {
    CXmlNode* node = pending;
    pending = node->m_pNextSibling;
    if (node->m_pFirstChild) {
      node->m_pLastChild->m_pNextSibling = pending;
      pending = node->m_pFirstChild;
      node->m_pFirstChild = node->m_pLastChild = nullptr;
    }
    delete node;
  }
}

void CXmlNode::SetName(std::string_view name) { m_Name = ToCString(name); }
void CXmlNode::SetText(std::string_view text) { m_Text = ToCString(text); }

CXmlNode* CXmlNode::AddChild(std::string_view name, std::string_view text) {
  auto* child = new CXmlNode(this, name, text);
  if (m_pLastChild) m_pLastChild->m_pNextSibling = child;
  else m_pFirstChild = child;
  m_pLastChild = child;
  ++m_NumChildren;
  return child;
}

CXmlNode* CXmlNode::FindChild(std::string_view name) const {
  for (CXmlNode* child = m_pFirstChild; child; child = child->m_pNextSibling)
    if (Equals(child->m_Name, name)) return child;
  return nullptr;
}
