#include "casino/xml/xmldocument.h"

#include <algorithm>
#include <cstdint>
#include <string>

#include "casino/xml/xmlclean.h"
#include "casino/xml/xmlescape.h"
#include "casino/xml/xmlpath.h"
#include "casino/xml/xmlwalk.h"

namespace {
std::string_view View(const CString& text) { return {static_cast<const char*>(text), text.Length()}; }

// As strtol reads base 10, held to the 32-bit range.
int32_t ReadDecimal(std::string_view text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  const bool negative = at < text.size() && text[at] == '-';
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
  const int64_t limit = negative ? -static_cast<int64_t>(INT32_MIN) : INT32_MAX;
  int64_t magnitude = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
    magnitude = std::min<int64_t>(magnitude * 10 + (text[at] - '0'), limit);
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}
}  // namespace

bool CXmlDocument::Load(const CString& text) {
  m_Tree.Clear();
  SetHandler(&m_Tree);
  CString::operator=(text);
  xCleanXmlText(*this, Length());
  const bool parsed = Parse(*this, static_cast<int32_t>(Length()));
  xWalkXmlTree(m_Tree.GetRoot(), [](CXmlNode* node) { node->FirstChild(); }, [](CXmlNode*) {});
  return parsed;
}

void CXmlDocument::ToText(CString& out) const {
  std::string text;
  xWalkXmlTree(
      m_Tree.GetRoot(),
      [&text](CXmlNode* node) {
        text.append("\n<").append(View(node->GetName())).append(">");
        xXmlEscapeText(View(node->GetText()), text);
      },
      [&text](CXmlNode* node) { text.append("</").append(View(node->GetName())).append(">"); });
  out += CString(text.data(), static_cast<uint32_t>(text.size()));
}

bool CXmlDocument::GetRootName(CString& name) const {
  const CXmlNode* root = m_Tree.GetRoot();
  name = root ? root->GetName() : CString();
  return root != nullptr;
}

CXmlNode* CXmlDocument::FindNode(const char* path) const {
  CXmlNode* node = m_Tree.GetRoot();
  if (!node || !path || !*path) return nullptr;
  const std::vector<std::string_view> segments = xSplitXmlPath(path);
  if (View(node->GetName()) != segments.front()) return nullptr;
  for (size_t i = 1; node && i < segments.size(); ++i) node = node->FindChild(segments[i]);
  return node;
}

bool CXmlDocument::SetValue(const char* path, const char* value) { return AddValue(path, value ? value : ""); }
bool CXmlDocument::SetValue(const char* path, const CString& value) { return AddValue(path, View(value)); }

// Every refusal is decided before the tree changes.
bool CXmlDocument::AddValue(const char* path, std::string_view value) {
  if (!path || !*path) return false;
  const std::vector<std::string_view> segments = xSplitXmlPath(path);
  if (segments.size() > static_cast<size_t>(XML_MAX_DEPTH)) return false;
  const size_t last = segments.size() - 1;
  CXmlNode* node = m_Tree.GetRoot();
  if (!node) {
    if (last == 0) return m_Tree.MakeRoot(segments[0], value) != nullptr;
    node = m_Tree.MakeRoot(segments[0], {});
  } else if (last == 0 || View(node->GetName()) != segments[0]) {
    return false;
  }
  size_t next = 1;
  for (CXmlNode* child; next < last && (child = node->FindChild(segments[next])) != nullptr; ++next) node = child;
  for (; next < last; ++next) node = node->AddChild(segments[next]);
  node->AddChild(segments[last], value);
  return true;
}

bool CXmlDocument::GetValue(const char* path, int32_t& value) const {
  const CXmlNode* node = FindNode(path);
  if (node) value = ReadDecimal(View(node->GetText()));
  return node != nullptr;
}

bool CXmlDocument::GetValue(const char* path, CString& value) const {
  const CXmlNode* node = FindNode(path);
  if (node) value = node->GetText();
  return node != nullptr;
}
