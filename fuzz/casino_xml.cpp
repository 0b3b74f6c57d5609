// XML text from servers and settings files: Load must end on any bytes with a tree no deeper than
// the bound, lookups must leave the out value alone when they miss, SetValue must either add a
// reachable leaf or change nothing, and a tree of plain names must survive ToText and Load.
// Input: a path line (also the value that is set), then the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "casino/xml/xmldocument.h"

namespace {
std::string_view View(const CString& text) { return {static_cast<const char*>(text), text.Length()}; }

std::string Written(const CXmlDocument& document) {
  CString out;
  document.ToText(out);
  return std::string(View(out));
}

bool IsPlainName(std::string_view name) {
  constexpr std::string_view first = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
  constexpr std::string_view rest = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_0123456789.-";
  return !name.empty() && first.find(name[0]) != std::string_view::npos &&
         name.find_first_not_of(rest) == std::string_view::npos;
}

bool HasPlainNames(const CXmlNode* node) {
  if (!IsPlainName(View(node->GetName()))) return false;
  for (const CXmlNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
    if (!HasPlainNames(child)) return false;
  return true;
}

// Only SetValue makes such a node (a leaf given a child); the reader drops that text.
bool HasTextBesideChildren(const CXmlNode* node) {
  if (node->GetFirstChild() && node->GetText().Length()) return true;
  for (const CXmlNode* child = node->GetFirstChild(); child; child = child->GetNextSibling())
    if (HasTextBesideChildren(child)) return true;
  return false;
}

int32_t Depth(const CXmlNode* node) {
  int32_t deepest = 0;
  for (const CXmlNode* child = node->GetFirstChild(); child; child = child->GetNextSibling()) {
    const int32_t depth = Depth(child);
    if (depth > deepest) deepest = depth;
  }
  return deepest + 1;
}

bool SameTree(const CXmlNode* a, const CXmlNode* b) {
  if (!a || !b) return a == b;
  if (a->GetName() != b->GetName() || a->GetText() != b->GetText() || a->GetNumChildren() != b->GetNumChildren())
    return false;
  for (const CXmlNode *x = a->GetFirstChild(), *y = b->GetFirstChild(); x; x = x->GetNextSibling(), y = y->GetNextSibling())
    if (!SameTree(x, y)) return false;
  return true;
}

void CheckRoundTrip(const CXmlDocument& document) {
  const CXmlNode* root = document.GetRoot();
  if (!root || !HasPlainNames(root) || HasTextBesideChildren(root)) return;
  const std::string text = Written(document);
  CXmlDocument again;
  again.Load(CString(text.data(), static_cast<uint32_t>(text.size())));
  if (!SameTree(document.GetRoot(), again.GetRoot()) || Written(again) != text) abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  const std::string path(input.substr(0, newline == std::string_view::npos ? 0 : newline));
  const std::string_view text = newline == std::string_view::npos ? input : input.substr(newline + 1);

  CXmlDocument document;
  document.Load(CString(text.data(), static_cast<uint32_t>(text.size())));
  if (const CXmlNode* root = document.GetRoot()) {
    if (Depth(root) > XML_MAX_DEPTH || HasTextBesideChildren(root)) abort();
  }
  CheckRoundTrip(document);

  CString value = "\x01untouched";
  int32_t number = 0x5A5A5A5A;
  const bool found = document.GetValue(path.c_str(), value);
  if (document.GetValue(path.c_str(), number) != found) abort();
  if (!found && (value != "\x01untouched" || number != 0x5A5A5A5A)) abort();
  if (found != (document.FindNode(path.c_str()) != nullptr)) abort();

  const std::string before = Written(document);
  if (document.SetValue(path.c_str(), path.c_str())) {
    if (!document.FindNode(path.c_str())) abort();
    if (Depth(document.GetRoot()) > XML_MAX_DEPTH) abort();
  } else if (Written(document) != before) {
    abort();
  }
  CheckRoundTrip(document);
  return 0;
}
