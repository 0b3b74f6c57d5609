#include "xmltreedump.h"

#include <libxml/parser.h>

#include <cstdio>

#include "casino/xml/xmldocument.h"

namespace {
std::string_view View(const CString& text) { return {static_cast<const char*>(text), text.Length()}; }

void Dump(const CXmlNode* node, const std::function<std::string(std::string_view)>& adjust, std::string& out) {
  out += View(node->GetName());
  if (!node->GetFirstChild() || node->GetText().Length()) {
    out += '=';
    out += QuoteXmlText(adjust ? adjust(View(node->GetText())) : std::string(View(node->GetText())));
  }
  if (!node->GetFirstChild()) return;
  out += '{';
  for (const CXmlNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
    if (child != node->GetFirstChild()) out += ',';
    Dump(child, adjust, out);
  }
  out += '}';
}

bool IsWhitespace(const xmlChar* text) {
  for (; text && *text; ++text)
    if (*text != ' ' && *text != '\t' && *text != '\n' && *text != '\r') return false;
  return true;
}

void DumpLibxml2(const xmlNode* node, std::string& out) {
  out += reinterpret_cast<const char*>(node->name);
  bool hasElements = false;
  for (const xmlNode* child = node->children; child; child = child->next) hasElements |= child->type == XML_ELEMENT_NODE;
  if (!hasElements) {
    xmlChar* content = xmlNodeGetContent(node);
    out += '=' + QuoteXmlText(content ? reinterpret_cast<const char*>(content) : "");
    xmlFree(content);
    return;
  }
  out += '{';
  bool first = true;
  for (const xmlNode* child = node->children; child; child = child->next) {
    if (child->type == XML_COMMENT_NODE) continue;
    if (child->type == XML_TEXT_NODE && IsWhitespace(child->content)) continue;
    if (!first) out += ',';
    first = false;
    if (child->type == XML_ELEMENT_NODE) DumpLibxml2(child, out);
    else out += "?" + QuoteXmlText(child->content ? reinterpret_cast<const char*>(child->content) : "") + "?";
  }
  out += '}';
}
}  // namespace

std::string QuoteXmlText(std::string_view text) {
  std::string quoted = "\"";
  for (const unsigned char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      quoted += hex;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + '"';
}

std::string DumpXmlTree(const CXmlNode* root, const std::function<std::string(std::string_view)>& adjust) {
  std::string out;
  if (root) Dump(root, adjust, out);
  return out;
}

std::string DumpXmlTree(const CXmlNode* root) { return DumpXmlTree(root, nullptr); }
std::string DumpXmlTree(const CXmlDocument& document) { return DumpXmlTree(document.GetRoot()); }

std::string DumpLibxml2Tree(const xmlNode* root) {
  std::string out;
  if (root) DumpLibxml2(root, out);
  return out;
}

std::string DumpLibxml2Reading(std::string_view text) {
  xmlDoc* doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr,
                              XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  if (!doc) return "!";
  std::string dump = DumpLibxml2Tree(xmlDocGetRootElement(doc));
  xmlFreeDoc(doc);
  return dump;
}
