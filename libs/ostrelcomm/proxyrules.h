// The forwarding proxy's building blocks: out-rules (to which addresses and ports the proxy may
// connect, and how) and the 48-byte "PLOC" location header that a client sends first to name the
// server it wants to reach. Address numbers are host order: a.b.c.d is a << 24 | b << 16 | c << 8 | d.
#pragma once

#include <cstdint>

#include "ostrel/containers/llist.h"

// Strict dotted IPv4: four decimal parts 0-255, nothing around them. 1 with the number; else 0 and
// the number 0.
int32_t FromIpStringToIpNum(const char* text, uint32_t& number);
// "a.b.c.d" as a new text (freed with xFree); 0 when out of memory.
int32_t FromIpNumToIpString(uint32_t number, char*& text);
// 1 when the text holds nothing but digits and dots (and so must be a valid dotted address to
// be taken at all, never a host name).
int32_t xIsDottedText(const char* text);
// A decimal port 1-65535, blanks around it allowed; 1 with the port, else 0.
int32_t xParsePortText(const char* text, uint32_t& port);

// An inclusive range of addresses or ports.
class COutRuleIp {
 public:
  void SetIp(uint32_t ip) { m_First = m_Last = ip; }
  void SetPortA(uint32_t port) { m_First = m_Last = port; }
  void SetIpRange(uint32_t first, uint32_t last) {
    m_First = first;
    m_Last = last;
  }
  void GetIpRange(uint32_t& first, uint32_t& last) const {
    first = m_First;
    last = m_Last;
  }
  int32_t Contains(uint32_t value) const { return value >= m_First && value <= m_Last; }

 private:
  uint32_t m_First = 0;
  uint32_t m_Last = 0;
};
using COutRulePort = COutRuleIp;

// A host name that is not a dotted address ("ANY" matches every host).
class COutRuleIpString {
 public:
  COutRuleIpString() = default;
  ~COutRuleIpString();
  COutRuleIpString(const COutRuleIpString&) = delete;
  COutRuleIpString& operator=(const COutRuleIpString&) = delete;

  // 0 for a null or empty name, or when out of memory.
  int32_t SetIpString(const char* text);
  const char* GetIpString() const { return m_pText; }

 private:
  char* m_pText = nullptr;
};

// Receives the lines of COutRule::LogState.
using TOutRuleLogFunc = void (*)(void* user, const char* line);

class COutRule {
 public:
  COutRule() = default;
  ~COutRule();
  COutRule(const COutRule&) = delete;
  COutRule& operator=(const COutRule&) = delete;

  // 0 for a null name or when out of memory.
  int32_t SetName(const char* name);
  const char* GetName() const { return m_pName; }
  void SetForceOutgoingEncryption(int32_t flag) { m_ForceOutgoingEncryption = flag; }
  int32_t GetForceOutgoingEncryption() const { return m_ForceOutgoingEncryption; }
  void SetClientLocationForward(int32_t flag) { m_ClientLocationForward = flag; }
  int32_t GetClientLocationForward() const { return m_ClientLocationForward; }
  void SetMinActionTime(uint32_t time) { m_MinActionTime = time; }
  uint32_t GetMinActionTime() const { return m_MinActionTime; }

  // Ports are 1-65535 and texts must hold one decimal number; anything else gives 0.
  int32_t AddPortRule(int32_t port);
  int32_t AddPortRule(const char* port);
  int32_t AddPortRangeRule(int32_t first, int32_t last);
  int32_t AddPortRangeRule(const char* first, const char* last);
  int32_t AddIpRule(uint32_t ip);
  // A dotted address adds that address; a host name is kept as an address string. A text made of
  // digits and dots that is no valid address is refused (0) rather than taken for a host name.
  int32_t AddIpRule(const char* ip);
  int32_t AddIpRangeRule(uint32_t first, uint32_t last);
  // Both texts must be dotted addresses; otherwise nothing is added and the result is 0.
  int32_t AddIpRangeRule(const char* first, const char* last);

  int32_t PortRange_First() { return m_Ports.First(); }
  int32_t PortRange_Exists() { return m_Ports.Exists(); }
  int32_t PortRange_Next() { return m_Ports.Next(); }
  int32_t PortRange_Get(uint32_t& first, uint32_t& last);
  int32_t IpRange_First() { return m_IpRanges.First(); }
  int32_t IpRange_Exists() { return m_IpRanges.Exists(); }
  int32_t IpRange_Next() { return m_IpRanges.Next(); }
  int32_t IpRange_Get(uint32_t& first, uint32_t& last);
  int32_t IpString_First() { return m_IpStrings.First(); }
  int32_t IpString_Exists() { return m_IpStrings.Exists(); }
  int32_t IpString_Next() { return m_IpStrings.Next(); }
  // The address string under the cursor; null off the list.
  const char* IpString_Get();

  // 1 when the rule lets the proxy connect to host and port: an address string "ANY" (any case)
  // or equal to the host name (any case), or for a dotted host an address range that holds it;
  // and a port range that holds the port. A rule without port ranges matches nothing.
  int32_t MatchesTarget(const char* host, uint32_t port);

  // An independent copy, or null when any part of it cannot be made.
  COutRule* Duplicate();
  // The rule as the proxy's log shows it, one line per call of out.
  void LogState(TOutRuleLogFunc out, void* user);

 private:
  static int32_t AddRange(CLList& list, uint32_t first, uint32_t last);

  char* m_pName = nullptr;
  CLList m_Ports;
  CLList m_IpRanges;
  CLList m_IpStrings;
  int32_t m_ForceOutgoingEncryption = 0;
  int32_t m_ClientLocationForward = 0;
  uint32_t m_MinActionTime = 300000;
};

inline constexpr int32_t PROXY_LOCATION_SIZE = 48;
inline constexpr int32_t PROXY_LOCATION_HOST_OFFSET = 12;
inline constexpr int32_t PROXY_LOCATION_HOST_SIZE = 30;
inline constexpr int32_t PROXY_LOCATION_PORT_OFFSET = 42;
inline constexpr int32_t PROXY_LOCATION_PORT_SIZE = 6;

// The location header exactly as it travels: "PLOC", a zero word, a zero word whose third byte is
// the version, the host (NUL-ended, at most 29 characters) and the port as decimal text.
class CProxyLocation {
 public:
  CProxyLocation();

  // 0 for a null or empty host, one of 30 or more characters, or a port outside 1-65535.
  int32_t SetLocation(const char* host, uint32_t port);
  // A new copy of the host (freed with xFree) and the port; 0 (and no copy) unless both fields
  // are NUL-ended within their room, the host has 1 to 29 characters and the port text is one
  // decimal number 1-65535.
  int32_t GetLocation(char*& host, uint16_t& port) const;
  int32_t GetVersion(uint8_t& version) const {
    version = m_Data[10];
    return 1;
  }
  // 1 when the first four bytes are "PLOC" or all zero.
  int32_t HeaderOk() const;

  const uint8_t* GetData() const { return m_Data; }
  uint8_t* GetData() { return m_Data; }

 private:
  uint8_t m_Data[PROXY_LOCATION_SIZE];
};
