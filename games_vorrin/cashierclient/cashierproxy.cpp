#include "cashierproxy.h"

#include "common/info/proxyentry.h"
#include "ostrel/base/types.h"

void ReadCashierProxy(const char* description, const char* entry, TCashierProxy& proxy) {
  int32_t number = 0;
  if (!GetProxyEntryLong(description, entry, 0, &number)) return;
  proxy.m_Use = number;
  if (GetProxyEntryLong(description, entry, 1, &number))
    proxy.m_Flag = number;
  else
    proxy.m_Use = 0;
  char* host = nullptr;
  if (GetProxyEntryText(description, entry, 2, &host)) {
    proxy.m_Host = host;
    xFree(host);
  } else {
    proxy.m_Use = proxy.m_Flag = 0;
  }
  if (GetProxyEntryLong(description, entry, 3, &number)) {
    proxy.m_Port = number;
  } else {
    proxy.m_Use = proxy.m_Flag = 0;
    proxy.m_Host.clear();
  }
}
