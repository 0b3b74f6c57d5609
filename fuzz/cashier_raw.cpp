// What reaches the cashier from outside before its node stands: the entry server's and the cashier
// process's raw messages, and the proxy description of its command line. The readers stay inside
// the bytes they are given and hand out only values within their bounds.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cashierproxy.h"
#include "common/info/proxyentry.h"
#include "ostrel/base/types.h"
#include "rawmessages.h"
#include "shared/pendingmessage.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void CheckRaw(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past the packet is seen.
  std::vector<uint8_t> packet(data, data + size);
  const uint32_t n = static_cast<uint32_t>(size);
  TPendingMessage message;
  if (ParseServerMsg(packet.data(), n, message)) {
    Check(std::memchr(message.m_Title, 0, sizeof message.m_Title) != nullptr);
    Check(std::memchr(message.m_Text, 0, sizeof message.m_Text) != nullptr);
    Check(message.m_Icon < 10 && message.m_Pending == 0);
  }
  std::string host;
  int32_t port = 0;
  if (ParseCashierServerReply(packet.data(), n, host, port)) {
    Check(port >= 1 && port <= 65535);
    Check(host.size() <= CASHIER_PROCESS_HOST_MAX);
  }
  Check(IsRawPing(packet.data(), n) == (size == 5 && std::memcmp(data, "Ping", 5) == 0));
}

void CheckProxy(const uint8_t* data, size_t size) {
  const std::string description(reinterpret_cast<const char*>(data), size);
  const char* text = description.c_str();
  for (const char* name : {"CashierProxy", "CpProxy", "A"}) {
    for (int32_t index = 0; index < 5; ++index) {
      char* value = nullptr;
      if (GetProxyEntryText(text, name, index, &value)) {
        Check(value != nullptr && std::strpbrk(value, ",;") == nullptr);
        Check(std::strstr(text, value) != nullptr);
        xFree(value);
      } else {
        Check(value == nullptr);
      }
      int32_t number = 0;
      GetProxyEntryLong(text, name, index, &number);
    }
    TCashierProxy proxy;
    ReadCashierProxy(text, name, proxy);
    // A setting in use has every value: its host and port are those of the description.
    if (proxy.m_Use) {
      int32_t port = 0;
      Check(GetProxyEntryLong(text, name, 3, &port) && port == proxy.m_Port);
      char* host = nullptr;
      Check(GetProxyEntryText(text, name, 2, &host) && proxy.m_Host == host);
      xFree(host);
    }
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  CheckRaw(data, size);
  CheckProxy(data, size);
  return 0;
}
