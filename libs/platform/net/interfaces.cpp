#include "platform/net/interfaces.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

std::vector<TInterfaceAddress> PlatformInterfaceAddresses() {
  std::vector<TInterfaceAddress> out;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return out;
  for (ifaddrs* i = list; i; i = i->ifa_next) {
    if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET) continue;
    TInterfaceAddress a;
    a.m_Interface = i->ifa_name ? i->ifa_name : "";
    a.m_Up = (i->ifa_flags & IFF_UP) != 0;
    a.m_Loopback = (i->ifa_flags & IFF_LOOPBACK) != 0;
    std::memcpy(a.m_Address, &reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr, 4);
    out.push_back(a);
  }
  freeifaddrs(list);
  return out;
}

std::string PlatformPickMachineAddress(const std::vector<TInterfaceAddress>& addresses) {
  for (const TInterfaceAddress& a : addresses) {
    if (!a.m_Up || a.m_Loopback || a.m_Address[0] == 127 || a.m_Address[0] == 0) continue;
    return std::to_string(a.m_Address[0]) + "." + std::to_string(a.m_Address[1]) + "." +
           std::to_string(a.m_Address[2]) + "." + std::to_string(a.m_Address[3]);
  }
  return "127.0.0.1";
}
