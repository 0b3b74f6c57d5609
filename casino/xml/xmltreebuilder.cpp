#include "casino/xml/xmltreebuilder.h"

#include "casino/xml/xmlescape.h"

CXmlNode* CXmlTreeBuilder::MakeRoot(std::string_view name, std::string_view text) {
  m_pRoot = std::make_unique<CXmlNode>(nullptr, name, text);
  return m_pRoot.get();
}

void CXmlTreeBuilder::Clear() {
  m_pRoot.reset();
  m_pCurrent = nullptr;
}

// A second element with children at the top takes the root over: the root is renamed and keeps
// its children. A root that was a leaf loses its text, which now stands beside child elements.
void CXmlTreeBuilder::Start(std::string_view name, std::string_view) {
  if (m_pCurrent) {
    m_pCurrent = m_pCurrent->AddChild(name);
    return;
  }
  if (!m_pRoot) {
    MakeRoot(name, {});
  } else {
    m_pRoot->SetName(name);
    m_pRoot->SetText({});
  }
  m_pCurrent = m_pRoot.get();
}

// A leaf outside every element is the root when there is none yet (a document that is one
// leaf); beside an existing root it reaches no node and is dropped.
void CXmlTreeBuilder::Leaf(std::string_view name, std::string_view, std::string_view text) {
  if (m_pCurrent) m_pCurrent->AddChild(name, xXmlDecodeText(text, m_Decoded));
  else if (!m_pRoot) MakeRoot(name, xXmlDecodeText(text, m_Decoded));
}

void CXmlTreeBuilder::End(std::string_view) {
  if (m_pCurrent) m_pCurrent = m_pCurrent->GetParent();
}
