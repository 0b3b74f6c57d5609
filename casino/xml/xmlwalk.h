// A walk over an XML tree in document order without recursion (no depth of tree can exhaust the
// stack) and without moving any child cursor.
#pragma once

#include "casino/xml/xmlnode.h"

// Calls open(node) before a node's children and close(node) after them, for root and every node
// below it.
template <typename TOpen, typename TClose>
void xWalkXmlTree(CXmlNode* root, TOpen&& open, TClose&& close) {
  for (CXmlNode* node = root; node;) {
    open(node);
    if (CXmlNode* child = node->GetFirstChild()) {
      node = child;
      continue;
    }
    close(node);
    while (node != root && !node->GetNextSibling()) {
      node = node->GetParent();
      close(node);
    }
    node = node == root ? nullptr : node->GetNextSibling();
  }
}
