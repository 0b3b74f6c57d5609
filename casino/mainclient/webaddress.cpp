#include "casino/mainclient/webaddress.h"

#include <cstring>

#include "ostrel/base/xstring.h"

namespace {
constexpr const char* kOpenSchemes[] = {"http:", "https:", "mailto:"};

bool HasControlCharacter(const char* text) {
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
    if (*p < 0x20 || *p == 0x7F) return true;
  return false;
}
}  // namespace

int32_t xIsWebAddress(const char* address) {
  if (!address || HasControlCharacter(address)) return 0;
  for (const char* scheme : kOpenSchemes) {
    const size_t length = strlen(scheme);
    if (xStrnicmp(address, scheme, length) == 0) return address[length] != '\0';
  }
  return 0;
}
