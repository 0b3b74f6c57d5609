// The cashier's two proxy settings from the client's proxy description: "CashierProxy" for the
// entry server's link (its second value switches that link's encryption on) and "CpProxy" for the
// process link (its second value is read and not used). Values: use flag, second flag, host, port.
#pragma once

#include <cstdint>
#include <string>

inline constexpr const char* CASHIER_PROXY_ENTRY = "CashierProxy";
inline constexpr const char* CASHIER_PROCESS_PROXY_ENTRY = "CpProxy";

struct TCashierProxy {
  int32_t m_Use = 0;
  int32_t m_Flag = 0;
  std::string m_Host;
  int32_t m_Port = 0;
};

// Without its use flag the entry leaves the setting as it is. A missing second flag clears the use
// flag; a missing host clears both flags; a missing port clears both flags and the host.
void ReadCashierProxy(const char* description, const char* entry, TCashierProxy& proxy);
