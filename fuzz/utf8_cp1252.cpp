// Text from the desktop (clipboard, typed text) arrives as UTF-8 of any shape. Whatever comes in,
// what goes out is code-page text that survives the way back unchanged and holds no NUL.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text/cp1252.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string out = PlatformCp1252FromUtf8(reinterpret_cast<const char*>(data), size);
  if (out.size() > size || out.find('\0') != std::string::npos) abort();
  const std::string utf8 = PlatformUtf8FromCp1252(out.data(), out.size());
  if (PlatformCp1252FromUtf8(utf8.data(), utf8.size()) != out) abort();
  return 0;
}
