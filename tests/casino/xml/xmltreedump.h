// Trees as one line of text, so that a whole tree compares at once and a difference shows where
// it is: a leaf is name="text", an element with children name{child,child}. Texts are quoted
// with '"', '\' and bytes outside printable ASCII escaped.
#pragma once

#include <libxml/tree.h>

#include <functional>
#include <string>
#include <string_view>

class CXmlDocument;
class CXmlNode;

std::string QuoteXmlText(std::string_view text);

// Null gives "".
std::string DumpXmlTree(const CXmlNode* root);
std::string DumpXmlTree(const CXmlDocument& document);
// Leaf texts pass through adjust first (used where libxml2 decodes more than our reader).
std::string DumpXmlTree(const CXmlNode* root, const std::function<std::string(std::string_view)>& adjust);

// libxml2's tree in the same form: elements only; an element without element children is a
// leaf with its whole content as text; beside elements, whitespace-only text and comments are
// dropped and any other text is shown as "?text?" so that it cannot pass unseen.
std::string DumpLibxml2Tree(const xmlNode* root);
// libxml2's reading of text; "!" when it refuses the text.
std::string DumpLibxml2Reading(std::string_view text);
