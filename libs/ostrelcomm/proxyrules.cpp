#include "ostrelcomm/proxyrules.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "ostrel/base/xstring.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Reads one decimal number at p, at most maxDigits digits and no larger than maximum, and moves p
// behind it.
bool ReadDecimal(const char*& p, int maxDigits, uint32_t maximum, uint32_t& value) {
  uint64_t v = 0;
  int digits = 0;
  while (IsDigit(*p)) {
    if (++digits > maxDigits) return false;
    v = v * 10 + static_cast<uint32_t>(*p - '0');
    ++p;
  }
  if (digits == 0 || v > maximum) return false;
  value = static_cast<uint32_t>(v);
  return true;
}

// A number of the port kind as a whole text, blanks around it allowed.
bool ReadWholeNumber(const char* text, uint32_t minimum, uint32_t maximum, uint32_t& value) {
  if (!text) return false;
  const char* p = text;
  while (IsBlank(*p)) ++p;
  uint32_t v = 0;
  if (!ReadDecimal(p, 10, maximum, v) || v < minimum) return false;
  while (IsBlank(*p)) ++p;
  if (*p) return false;
  value = v;
  return true;
}

bool ValidPort(int32_t port) { return port >= 1 && port <= 65535; }

}  // namespace

int32_t FromIpStringToIpNum(const char* text, uint32_t& number) {
  number = 0;
  if (!text) return 0;
  const char* p = text;
  uint32_t result = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0 && *p++ != '.') return 0;
    uint32_t v = 0;
    if (!ReadDecimal(p, 3, 255, v)) return 0;
    result = result << 8 | v;
  }
  if (*p) return 0;
  number = result;
  return 1;
}

int32_t FromIpNumToIpString(uint32_t number, char*& text) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%u.%u.%u.%u", number >> 24, (number >> 16) & 0xFF,
                (number >> 8) & 0xFF, number & 0xFF);
  text = xStrdup(buffer);
  return text != nullptr;
}

int32_t xIsDottedText(const char* text) {
  if (!text || !*text) return 0;
  for (const char* p = text; *p; ++p)
    if (!IsDigit(*p) && *p != '.') return 0;
  return 1;
}

int32_t xParsePortText(const char* text, uint32_t& port) {
  uint32_t v = 0;
  if (!ReadWholeNumber(text, 1, 65535, v)) return 0;
  port = v;
  return 1;
}

// ---- COutRuleIpString ----

COutRuleIpString::~COutRuleIpString() { xFree(m_pText); }

int32_t COutRuleIpString::SetIpString(const char* text) {
  xFree(m_pText);
  m_pText = nullptr;
  if (!text || !*text) return 0;
  m_pText = xStrdup(text);
  return m_pText != nullptr;
}

// ---- COutRule ----

COutRule::~COutRule() {
  xFree(m_pName);
  for (m_Ports.First(); m_Ports.Exists(); m_Ports.Next()) delete static_cast<COutRuleIp*>(m_Ports.Get());
  for (m_IpRanges.First(); m_IpRanges.Exists(); m_IpRanges.Next())
    delete static_cast<COutRuleIp*>(m_IpRanges.Get());
  for (m_IpStrings.First(); m_IpStrings.Exists(); m_IpStrings.Next())
    delete static_cast<COutRuleIpString*>(m_IpStrings.Get());
}

int32_t COutRule::SetName(const char* name) {
  if (!name) return 0;
  char* copy = xStrdup(name);
  if (!copy) return 0;
  xFree(m_pName);
  m_pName = copy;
  return 1;
}

int32_t COutRule::AddRange(CLList& list, uint32_t first, uint32_t last) {
  auto* range = new (std::nothrow) COutRuleIp;
  if (!range) return 0;
  range->SetIpRange(first, last);
  if (!list.InsertLast(range)) {
    delete range;
    return 0;
  }
  return 1;
}

int32_t COutRule::AddPortRule(int32_t port) {
  if (!ValidPort(port)) return 0;
  return AddRange(m_Ports, static_cast<uint32_t>(port), static_cast<uint32_t>(port));
}

int32_t COutRule::AddPortRule(const char* port) {
  uint32_t p = 0;
  if (!xParsePortText(port, p)) return 0;
  return AddRange(m_Ports, p, p);
}

int32_t COutRule::AddPortRangeRule(int32_t first, int32_t last) {
  if (!ValidPort(first) || !ValidPort(last)) return 0;
  return AddRange(m_Ports, static_cast<uint32_t>(first), static_cast<uint32_t>(last));
}

int32_t COutRule::AddPortRangeRule(const char* first, const char* last) {
  uint32_t a = 0, b = 0;
  if (!xParsePortText(first, a) || !xParsePortText(last, b)) return 0;
  return AddRange(m_Ports, a, b);
}

int32_t COutRule::AddIpRule(uint32_t ip) { return AddRange(m_IpRanges, ip, ip); }

int32_t COutRule::AddIpRule(const char* ip) {
  if (!ip || !*ip) return 0;
  uint32_t number = 0;
  if (FromIpStringToIpNum(ip, number)) return AddRange(m_IpRanges, number, number);
  if (xIsDottedText(ip)) return 0;
  auto* entry = new (std::nothrow) COutRuleIpString;
  if (!entry) return 0;
  if (!entry->SetIpString(ip) || !m_IpStrings.InsertLast(entry)) {
    delete entry;
    return 0;
  }
  return 1;
}

int32_t COutRule::AddIpRangeRule(uint32_t first, uint32_t last) { return AddRange(m_IpRanges, first, last); }

int32_t COutRule::AddIpRangeRule(const char* first, const char* last) {
  uint32_t a = 0, b = 0;
  if (!FromIpStringToIpNum(first, a) || !FromIpStringToIpNum(last, b)) return 0;
  return AddRange(m_IpRanges, a, b);
}

int32_t COutRule::PortRange_Get(uint32_t& first, uint32_t& last) {
  auto* range = static_cast<COutRuleIp*>(m_Ports.Get());
  if (!range) return 0;
  range->GetIpRange(first, last);
  return 1;
}

int32_t COutRule::IpRange_Get(uint32_t& first, uint32_t& last) {
  auto* range = static_cast<COutRuleIp*>(m_IpRanges.Get());
  if (!range) return 0;
  range->GetIpRange(first, last);
  return 1;
}

const char* COutRule::IpString_Get() {
  auto* entry = static_cast<COutRuleIpString*>(m_IpStrings.Get());
  return entry ? entry->GetIpString() : nullptr;
}

int32_t COutRule::MatchesTarget(const char* host, uint32_t port) {
  if (!host || !*host) return 0;
  uint32_t number = 0;
  const bool dotted = FromIpStringToIpNum(host, number) != 0;
  bool hostOk = false;
  for (CNode* n = m_IpStrings.HeadNode(); n && !hostOk; n = n->m_pNext) {
    const char* s = static_cast<COutRuleIpString*>(n->m_pData)->GetIpString();
    if (xStricmp(s, "ANY") == 0 || (!dotted && xStricmp(s, host) == 0)) hostOk = true;
  }
  for (CNode* n = m_IpRanges.HeadNode(); n && !hostOk && dotted; n = n->m_pNext)
    hostOk = static_cast<COutRuleIp*>(n->m_pData)->Contains(number);
  if (!hostOk) return 0;
  for (CNode* n = m_Ports.HeadNode(); n; n = n->m_pNext)
    if (static_cast<COutRuleIp*>(n->m_pData)->Contains(port)) return 1;
  return 0;
}

COutRule* COutRule::Duplicate() {
  auto* copy = new (std::nothrow) COutRule;
  if (!copy) return nullptr;
  bool ok = !m_pName || copy->SetName(m_pName);
  copy->m_ForceOutgoingEncryption = m_ForceOutgoingEncryption;
  copy->m_ClientLocationForward = m_ClientLocationForward;
  copy->m_MinActionTime = m_MinActionTime;
  uint32_t first = 0, last = 0;
  for (CNode* n = m_Ports.HeadNode(); ok && n; n = n->m_pNext) {
    static_cast<COutRuleIp*>(n->m_pData)->GetIpRange(first, last);
    ok = AddRange(copy->m_Ports, first, last);
  }
  for (CNode* n = m_IpRanges.HeadNode(); ok && n; n = n->m_pNext) {
    static_cast<COutRuleIp*>(n->m_pData)->GetIpRange(first, last);
    ok = AddRange(copy->m_IpRanges, first, last);
  }
  for (CNode* n = m_IpStrings.HeadNode(); ok && n; n = n->m_pNext) {
    auto* entry = new (std::nothrow) COutRuleIpString;
    ok = entry && entry->SetIpString(static_cast<COutRuleIpString*>(n->m_pData)->GetIpString()) &&
         copy->m_IpStrings.InsertLast(entry);
    if (!ok) delete entry;
  }
  if (!ok) {
    delete copy;
    return nullptr;
  }
  return copy;
}

void COutRule::LogState(TOutRuleLogFunc out, void* user) {
  if (!out) return;
  char line[512];
  std::snprintf(line, sizeof line, "Rule: %s forceoutgoingencryption: %ld forwardclientlocation: %ld",
                m_pName ? m_pName : "", static_cast<long>(m_ForceOutgoingEncryption),
                static_cast<long>(m_ClientLocationForward));
  out(user, line);
  out(user, "Accepts outgoing connects on...");
  for (CNode* n = m_IpStrings.HeadNode(); n; n = n->m_pNext) {
    std::snprintf(line, sizeof line, "[ip %s]", static_cast<COutRuleIpString*>(n->m_pData)->GetIpString());
    out(user, line);
  }
  for (CNode* n = m_IpRanges.HeadNode(); n; n = n->m_pNext) {
    uint32_t first = 0, last = 0;
    static_cast<COutRuleIp*>(n->m_pData)->GetIpRange(first, last);
    char a[16], b[16];
    std::snprintf(a, sizeof a, "%u.%u.%u.%u", first >> 24, (first >> 16) & 0xFF, (first >> 8) & 0xFF, first & 0xFF);
    std::snprintf(b, sizeof b, "%u.%u.%u.%u", last >> 24, (last >> 16) & 0xFF, (last >> 8) & 0xFF, last & 0xFF);
    if (first == last)
      std::snprintf(line, sizeof line, "[ip %s]", a);
    else
      std::snprintf(line, sizeof line, "[iprange %s to %s]", a, b);
    out(user, line);
  }
  for (CNode* n = m_Ports.HeadNode(); n; n = n->m_pNext) {
    uint32_t first = 0, last = 0;
    static_cast<COutRuleIp*>(n->m_pData)->GetIpRange(first, last);
    std::snprintf(line, sizeof line, "[portrange %ld to %ld]", static_cast<long>(first), static_cast<long>(last));
    out(user, line);
  }
}

// ---- CProxyLocation ----

CProxyLocation::CProxyLocation() {
  std::memset(m_Data, 0, sizeof m_Data);
  std::memcpy(m_Data, "PLOC", 4);
}

int32_t CProxyLocation::SetLocation(const char* host, uint32_t port) {
  if (!host || !*host || port < 1 || port > 65535) return 0;
  const size_t length = std::strlen(host);
  if (length >= PROXY_LOCATION_HOST_SIZE) return 0;
  std::memset(m_Data + PROXY_LOCATION_HOST_OFFSET, 0, PROXY_LOCATION_HOST_SIZE + PROXY_LOCATION_PORT_SIZE);
  std::memcpy(m_Data + PROXY_LOCATION_HOST_OFFSET, host, length);
  std::snprintf(reinterpret_cast<char*>(m_Data + PROXY_LOCATION_PORT_OFFSET), PROXY_LOCATION_PORT_SIZE, "%u", port);
  return 1;
}

int32_t CProxyLocation::GetLocation(char*& host, uint16_t& port) const {
  const char* h = reinterpret_cast<const char*>(m_Data + PROXY_LOCATION_HOST_OFFSET);
  const char* p = reinterpret_cast<const char*>(m_Data + PROXY_LOCATION_PORT_OFFSET);
  const size_t hostLength = strnlen(h, PROXY_LOCATION_HOST_SIZE);
  if (hostLength == 0 || hostLength >= PROXY_LOCATION_HOST_SIZE) return 0;
  if (strnlen(p, PROXY_LOCATION_PORT_SIZE) >= PROXY_LOCATION_PORT_SIZE) return 0;
  const char* q = p;
  uint32_t value = 0;
  if (!ReadDecimal(q, 5, 65535, value) || *q || value == 0) return 0;
  char* copy = xStrndup(h, hostLength);
  if (!copy) return 0;
  host = copy;
  port = static_cast<uint16_t>(value);
  return 1;
}

int32_t CProxyLocation::HeaderOk() const {
  static const uint8_t kZero[4] = {0, 0, 0, 0};
  return std::memcmp(m_Data, "PLOC", 4) == 0 || std::memcmp(m_Data, kZero, 4) == 0;
}
