// A small XML document: loads a text into a tree of named nodes, answers and adds values by
// colon paths ("create_user:user_details:sec_ques_1") and writes itself back as text. Names
// compare exactly; texts are bytes as written, with '&' and '<' escaped in the written text.
#pragma once

#include <cstdint>
#include <string_view>

#include "casino/xml/xmlnode.h"
#include "casino/xml/xmlparser.h"
#include "casino/xml/xmltreebuilder.h"

class CXmlDocument : public CXmlParser {
 public:
  CXmlDocument() = default;
  CXmlDocument(const CXmlDocument&) = delete;
  CXmlDocument& operator=(const CXmlDocument&) = delete;

  // Empties the tree, then reads text into it and leaves every node's cursor on its first child.
  // False when there was no text to read (empty); malformed text loads what it holds before the
  // fault.
  bool Load(const CString& text);
  // Appends the tree: "\n<name>", the text, the children, "</name>" for every node.
  void ToText(CString& out) const;
  // The root's name; empty, and false, when there is no root.
  bool GetRootName(CString& name) const;

  // Adds a leaf with the value at path, making the elements on the way that are missing (the
  // root too, in an empty document). False, with the tree unchanged, for a path that reaches no
  // node: null or empty, a first segment other than the root's name, one segment while there is
  // a root, or deeper than XML_MAX_DEPTH. A path set twice holds two leaves. A null value is an
  // empty text.
  bool SetValue(const char* path, const char* value);
  bool SetValue(const char* path, const CString& value);

  // The text of the node at path, read as a decimal number (leading blanks, a sign, digits;
  // beyond the 32-bit range the nearest limit; no digits 0) or as it stands. False, with the
  // value untouched, when no node is there.
  bool GetValue(const char* path, int32_t& value) const;
  bool GetValue(const char* path, CString& value) const;

  // Null when the document is empty.
  CXmlNode* GetRoot() const { return m_Tree.GetRoot(); }
  // The root when the first segment is its name, then the first child of each next segment's
  // name; null on any mismatch and for a null or empty path.
  CXmlNode* FindNode(const char* path) const;

 private:
  bool AddValue(const char* path, std::string_view value);

  CXmlTreeBuilder m_Tree;
};
