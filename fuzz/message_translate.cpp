// Server and chat texts reach TranslateMessage as they came over the wire. The text lies in a
// heap block of exactly its size, so a write outside it shows; whatever the tags, the text may
// only be cut, never lengthened, and the result points at the text or at one of the script's
// strings.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "common/info/translatemessage.h"

namespace {
const char kScript[] =
    "{ = Strings\n"
    "    MSG_ONE = 1, \"one\"\n"
    "    MSG_BONUS = 42, \"Double bonus round!\"\n"
    "    MSG_CLOSING = 1207, \"This table closes in five minutes.\"\n"
    "    MSG_LARGEST = 2147483647, \"largest\"\n"
    "}\n";

bool IsScriptString(const CTranslateMessage& m, const char* p) {
  for (int32_t id : {1, 42, 1207, 2147483647})
    if (p == m.GetResString(id)) return true;
  return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static CTranslateMessage messages;
  static const bool loaded = messages.Import(kScript) == 1;
  if (!loaded || size > (1u << 16)) return 0;

  std::unique_ptr<char[]> storage(new char[size + 1]);
  memcpy(storage.get(), data, size);
  storage[size] = '\0';
  const size_t before = strlen(storage.get());
  char* text = storage.get();
  const int32_t result = messages.TranslateMessage(&text);
  if (result != 0 && result != 1) abort();
  if (strlen(storage.get()) > before) abort();
  if (text != storage.get() && (result != 1 || !IsScriptString(messages, text))) abort();
  if (result == 0 && strlen(storage.get()) != before) abort();
  // A second pass over what is left never finds more than the first left behind.
  char* again = storage.get();
  messages.TranslateMessage(&again);
  return 0;
}
