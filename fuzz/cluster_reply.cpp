// Replies from outside: a cluster server's KCBL record and an application server's document.
// The reply reader must take only well-formed answers, and the document check must stay inside
// the bytes it is given whether they come whole or in two parts.
#include <cstdint>
#include <cstring>
#include <vector>

#include "ostrel/base/types.h"
#include "ostrel/kcbl/kcbl.h"
#include "ostrelcomm/appserverclient.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const char* text = reinterpret_cast<const char*>(data);

  CKCBL reply;
  if (reply.Import(text, static_cast<int32_t>(size))) {
    char* result = nullptr;
    CLList variables;
    if (xClusterSystem_ParseReply(reply, "clustercommand_getserver_answer", result, &variables)) {
      Check(result != nullptr);
      xFree(result);
    } else {
      Check(result == nullptr);
    }
    for (CNode* n = variables.HeadNode(); n; n = n->m_pNext) {
      auto* v = static_cast<CClusterServerServiceVariable*>(n->m_pData);
      Check(v->GetVariable() != nullptr && xClusterSystem_FindVariable(variables, v->GetName()) != nullptr);
    }
    xClusterSystem_FreeVariables(variables);
  }

  // The document in one piece, and cut in two with the root name kept from the first look.
  std::vector<char> copy(data, data + size);
  char* root = nullptr;
  const int32_t whole = xAppServerDocumentComplete(copy.data(), static_cast<uint32_t>(size), root);
  if (root) Check(std::strlen(root) >= 1 && std::strlen(root) <= APPSERVER_MAX_ROOT_NAME);
  xFree(root);
  root = nullptr;
  const uint32_t cut = size ? data[0] % size : 0;
  xAppServerDocumentComplete(copy.data(), cut, root);
  // A root found in the first part is the whole document's root, so the answer cannot change.
  if (root) Check(xAppServerDocumentComplete(copy.data(), static_cast<uint32_t>(size), root) == whole);
  xFree(root);
  return 0;
}
