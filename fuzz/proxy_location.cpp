// Bytes from outside the proxy: the 48-byte location header a client sends first, and the address
// and port texts of rules. Reading must stay inside the header, and whatever reads must write back
// the same way.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ostrel/base/types.h"
#include "ostrelcomm/proxyrules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  CProxyLocation location;
  std::memcpy(location.GetData(), data, size < PROXY_LOCATION_SIZE ? size : PROXY_LOCATION_SIZE);
  location.HeaderOk();
  char* host = nullptr;
  uint16_t port = 0;
  if (location.GetLocation(host, port)) {
    const size_t length = std::strlen(host);
    if (length < 1 || length > 29 || port == 0) abort();
    CProxyLocation again;
    if (!again.SetLocation(host, port)) abort();
    char* host2 = nullptr;
    uint16_t port2 = 0;
    if (!again.GetLocation(host2, port2) || std::strcmp(host, host2) != 0 || port2 != port) abort();
    xFree(host2);
    xFree(host);
  } else if (host) {
    abort();
  }

  // The rest as texts of a rule.
  const std::string text(reinterpret_cast<const char*>(data), size);
  const char* t = text.c_str();  // stops at the first NUL, as a C text does
  uint32_t number = 0;
  if (FromIpStringToIpNum(t, number)) {
    char* back = nullptr;
    if (!FromIpNumToIpString(number, back)) abort();
    uint32_t again = 0;
    if (!FromIpStringToIpNum(back, again) || again != number) abort();
    xFree(back);
  } else if (number != 0) {
    abort();
  }
  uint32_t p = 0;
  if (xParsePortText(t, p) && (p < 1 || p > 65535)) abort();
  COutRule rule;
  rule.AddIpRule(t);
  rule.AddPortRule(t);
  rule.AddPortRangeRule(t, "65535");
  COutRule* copy = rule.Duplicate();
  if (!copy) abort();
  copy->MatchesTarget(t, p);
  delete copy;
  return 0;
}
