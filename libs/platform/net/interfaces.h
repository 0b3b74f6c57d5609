// The machine's IPv4 addresses, as the network interfaces report them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TInterfaceAddress {
  std::string m_Interface;
  bool m_Up = false;
  bool m_Loopback = false;
  uint8_t m_Address[4] = {};  // in network order: 192, 168, 1, 2
};

std::vector<TInterfaceAddress> PlatformInterfaceAddresses();
// The first address that is not a loopback one on an interface that is up, as "a.b.c.d";
// "127.0.0.1" when there is none.
std::string PlatformPickMachineAddress(const std::vector<TInterfaceAddress>& addresses);
