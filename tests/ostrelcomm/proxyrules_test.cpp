#include "ostrelcomm/proxyrules.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ostrel/base/types.h"

namespace {

std::string Hex(const uint8_t* data, size_t size) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < size; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

// The header's 48 bytes from host and port fields laid out by hand.
std::vector<uint8_t> RawHeader(const char magic[4], const std::string& host, const std::string& port) {
  std::vector<uint8_t> bytes(PROXY_LOCATION_SIZE, 0);
  std::memcpy(bytes.data(), magic, 4);
  std::memcpy(bytes.data() + 12, host.data(), std::min<size_t>(host.size(), 30));
  std::memcpy(bytes.data() + 42, port.data(), std::min<size_t>(port.size(), 6));
  return bytes;
}

CProxyLocation FromBytes(const std::vector<uint8_t>& bytes) {
  CProxyLocation location;
  std::memcpy(location.GetData(), bytes.data(), PROXY_LOCATION_SIZE);
  return location;
}

}  // namespace

TEST(IpNumbers, DottedTextAndNumbers) {
  struct Case {
    const char* text;
    int32_t ok;
    uint32_t number;
  };
  const Case cases[] = {
      {"10.1.2.3", 1, 0x0A010203u},   {"0.0.0.0", 1, 0},
      {"255.255.255.255", 1, 0xFFFFFFFFu}, {"127.0.0.1", 1, 0x7F000001u},
      {"010.001.2.3", 1, 0x0A010203u},  // leading zeros read as decimal, as "%lu" did
      {"256.1.2.3", 0, 0},           {"1.2.3.256", 0, 0},
      {"4294967297.0.0.1", 0, 0},    {"1.2.3", 0, 0},
      {"1.2.3.4.5", 0, 0},           {"1.2.3.4x", 0, 0},
      {"1.2.3.4 ", 0, 0},            {" 1.2.3.4", 0, 0},
      {"1..2.3", 0, 0},              {"-1.2.3.4", 0, 0},
      {"+1.2.3.4", 0, 0},            {"1.2.3.0004", 0, 0},
      {"", 0, 0},                    {"host.example", 0, 0},
  };
  for (const Case& c : cases) {
    uint32_t number = 12345;
    EXPECT_EQ(FromIpStringToIpNum(c.text, number), c.ok) << c.text;
    EXPECT_EQ(number, c.number) << c.text;
  }
  uint32_t number = 7;
  EXPECT_EQ(FromIpStringToIpNum(nullptr, number), 0);
  EXPECT_EQ(number, 0u);
}

TEST(IpNumbers, NumberBackToText) {
  for (uint32_t n : {0x0A010203u, 0u, 0xFFFFFFFFu, 0x7F000001u, 0xC0A80064u}) {
    char* text = nullptr;
    ASSERT_EQ(FromIpNumToIpString(n, text), 1);
    uint32_t back = 0;
    EXPECT_EQ(FromIpStringToIpNum(text, back), 1) << text;
    EXPECT_EQ(back, n);
    xFree(text);
  }
  char* text = nullptr;
  ASSERT_EQ(FromIpNumToIpString(0x0A010203u, text), 1);
  EXPECT_STREQ(text, "10.1.2.3");
  xFree(text);
}

TEST(IpNumbers, PortTexts) {
  struct Case {
    const char* text;
    int32_t ok;
    uint32_t port;
  };
  const Case cases[] = {{"80", 1, 80},     {" 443 ", 1, 443}, {"65535", 1, 65535}, {"1", 1, 1},
                        {"0", 0, 0},       {"65536", 0, 0},   {"99999999999", 0, 0}, {"-5", 0, 0},
                        {"80x", 0, 0},     {"8 0", 0, 0},     {"", 0, 0},          {"0x50", 0, 0}};
  for (const Case& c : cases) {
    uint32_t port = 0;
    EXPECT_EQ(xParsePortText(c.text, port), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(port, c.port) << c.text;
    }
  }
  uint32_t port = 0;
  EXPECT_EQ(xParsePortText(nullptr, port), 0);
}

TEST(ProxyLocation, BytesAsWritten) {
  CProxyLocation fresh;
  EXPECT_EQ(Hex(fresh.GetData(), PROXY_LOCATION_SIZE), "504c4f43" + std::string(88, '0'));

  CProxyLocation location;
  ASSERT_EQ(location.SetLocation("casino.example", 7000), 1);
  EXPECT_EQ(Hex(location.GetData(), PROXY_LOCATION_SIZE),
            "504c4f43"                          // "PLOC"
            "00000000"                          // always 0
            "00000000"                          // byte 10, the version, is 0
            "636173696e6f2e6578616d706c65"      // "casino.example"
            "00000000000000000000000000000000"  // the rest of its 30 bytes
            "37303030"                          // "7000"
            "0000");
}

TEST(ProxyLocation, FieldOffsets) {
  CProxyLocation location;
  ASSERT_EQ(location.SetLocation("casino.example", 7000), 1);
  const std::vector<uint8_t> expected = RawHeader("PLOC", "casino.example", "7000");
  EXPECT_EQ(Hex(location.GetData(), PROXY_LOCATION_SIZE), Hex(expected.data(), expected.size()));
  uint8_t version = 99;
  EXPECT_EQ(location.GetVersion(version), 1);
  EXPECT_EQ(version, 0);
}

TEST(ProxyLocation, SetLocationLimits) {
  struct Case {
    std::string host;
    uint32_t port;
    int32_t ok;
  };
  const Case cases[] = {
      {std::string(29, 'h'), 80, 1}, {std::string(30, 'h'), 80, 0}, {"", 80, 0},
      {"a", 65535, 1},               {"a", 1, 1},                    {"a", 0, 0},
      {"a", 65536, 0},               {"a", 70000, 0},
  };
  for (const Case& c : cases) {
    CProxyLocation location;
    EXPECT_EQ(location.SetLocation(c.host.c_str(), c.port), c.ok) << c.host.size() << " " << c.port;
    if (!c.ok) continue;
    char* host = nullptr;
    uint16_t port = 0;
    ASSERT_EQ(location.GetLocation(host, port), 1);
    EXPECT_EQ(std::string(host), c.host);
    EXPECT_EQ(port, c.port);
    xFree(host);
  }
  CProxyLocation location;
  EXPECT_EQ(location.SetLocation(nullptr, 80), 0);
}

TEST(ProxyLocation, ShorterHostClearsTheOldOne) {
  CProxyLocation location;
  ASSERT_EQ(location.SetLocation("a-rather-long-host-name", 12345), 1);
  ASSERT_EQ(location.SetLocation("b", 8), 1);
  const std::vector<uint8_t> expected = RawHeader("PLOC", "b", "8");
  EXPECT_EQ(Hex(location.GetData(), PROXY_LOCATION_SIZE), Hex(expected.data(), expected.size()));
}

TEST(ProxyLocation, ReadingHeadersFromTheWire) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    int32_t ok;
    const char* host;
    uint16_t port;
  };
  std::vector<uint8_t> hostUnended = RawHeader("PLOC", std::string(30, 'x'), "80");
  std::vector<uint8_t> portUnended = RawHeader("PLOC", "host", "123456");
  const Case cases[] = {
      {"plain", RawHeader("PLOC", "10.0.0.1", "443"), 1, "10.0.0.1", 443},
      {"29 characters", RawHeader("PLOC", std::string(29, 'n'), "1"), 1, nullptr, 1},
      {"zero magic", RawHeader("\0\0\0\0", "host", "80"), 1, "host", 80},
      {"leading zeros", RawHeader("PLOC", "host", "00080"), 1, "host", 80},
      {"host fills its room", hostUnended, 0, nullptr, 0},
      {"port fills its room", portUnended, 0, nullptr, 0},
      {"empty host", RawHeader("PLOC", "", "80"), 0, nullptr, 0},
      {"empty port", RawHeader("PLOC", "host", ""), 0, nullptr, 0},
      {"port zero", RawHeader("PLOC", "host", "0"), 0, nullptr, 0},
      {"port above 65535", RawHeader("PLOC", "host", "70000"), 0, nullptr, 0},
      {"port with junk", RawHeader("PLOC", "host", "80x"), 0, nullptr, 0},
      {"signed port", RawHeader("PLOC", "host", "-80"), 0, nullptr, 0},
      {"blank port", RawHeader("PLOC", "host", " 80"), 0, nullptr, 0},
  };
  for (const Case& c : cases) {
    CProxyLocation location = FromBytes(c.bytes);
    char* host = nullptr;
    uint16_t port = 0;
    EXPECT_EQ(location.GetLocation(host, port), c.ok) << c.what;
    if (c.ok) {
      if (c.host) {
        EXPECT_STREQ(host, c.host) << c.what;
      }
      EXPECT_EQ(port, c.port) << c.what;
    } else {
      EXPECT_EQ(host, nullptr) << c.what;
    }
    xFree(host);
  }
}

TEST(ProxyLocation, HeaderOk) {
  EXPECT_EQ(FromBytes(RawHeader("PLOC", "h", "1")).HeaderOk(), 1);
  EXPECT_EQ(FromBytes(RawHeader("\0\0\0\0", "h", "1")).HeaderOk(), 1);
  EXPECT_EQ(FromBytes(RawHeader("PLOD", "h", "1")).HeaderOk(), 0);
  EXPECT_EQ(FromBytes(RawHeader("GET ", "h", "1")).HeaderOk(), 0);
  EXPECT_EQ(FromBytes(RawHeader("\0\0\0P", "h", "1")).HeaderOk(), 0);
}

namespace {

std::vector<std::string> Ranges(COutRule& rule, bool ports) {
  std::vector<std::string> out;
  uint32_t first = 0, last = 0;
  if (ports) {
    for (rule.PortRange_First(); rule.PortRange_Exists(); rule.PortRange_Next()) {
      rule.PortRange_Get(first, last);
      out.push_back(std::to_string(first) + "-" + std::to_string(last));
    }
  } else {
    for (rule.IpRange_First(); rule.IpRange_Exists(); rule.IpRange_Next()) {
      rule.IpRange_Get(first, last);
      out.push_back(std::to_string(first) + "-" + std::to_string(last));
    }
  }
  return out;
}

std::vector<std::string> Strings(COutRule& rule) {
  std::vector<std::string> out;
  for (rule.IpString_First(); rule.IpString_Exists(); rule.IpString_Next()) out.push_back(rule.IpString_Get());
  return out;
}

}  // namespace

TEST(OutRule, Defaults) {
  COutRule rule;
  EXPECT_EQ(rule.GetName(), nullptr);
  EXPECT_EQ(rule.GetForceOutgoingEncryption(), 0);
  EXPECT_EQ(rule.GetClientLocationForward(), 0);
  EXPECT_EQ(rule.GetMinActionTime(), 300000u);
  EXPECT_EQ(rule.SetName(nullptr), 0);
  EXPECT_EQ(rule.SetName("games"), 1);
  EXPECT_STREQ(rule.GetName(), "games");
}

TEST(OutRule, AddingPortsAndAddresses) {
  COutRule rule;
  EXPECT_EQ(rule.AddPortRule(80), 1);
  EXPECT_EQ(rule.AddPortRule("443"), 1);
  EXPECT_EQ(rule.AddPortRangeRule(6000, 6010), 1);
  EXPECT_EQ(rule.AddPortRangeRule("7000", " 7005"), 1);
  EXPECT_EQ(rule.AddPortRule(0), 0);
  EXPECT_EQ(rule.AddPortRule(65536), 0);
  EXPECT_EQ(rule.AddPortRule(-1), 0);
  EXPECT_EQ(rule.AddPortRule("80;"), 0);
  EXPECT_EQ(rule.AddPortRule("http"), 0);
  EXPECT_EQ(rule.AddPortRangeRule(1, 70000), 0);
  EXPECT_EQ(rule.AddPortRangeRule("1", "x"), 0);
  EXPECT_EQ(rule.AddPortRangeRule(nullptr, "1"), 0);
  EXPECT_EQ(Ranges(rule, true), (std::vector<std::string>{"80-80", "443-443", "6000-6010", "7000-7005"}));

  EXPECT_EQ(rule.AddIpRule(0x0A000001u), 1);
  EXPECT_EQ(rule.AddIpRule("10.0.0.2"), 1);
  EXPECT_EQ(rule.AddIpRule("games.example"), 1);
  EXPECT_EQ(rule.AddIpRule("ANY"), 1);
  EXPECT_EQ(rule.AddIpRule("300.1.2.3"), 0);
  EXPECT_EQ(rule.AddIpRule("10.0.0"), 0);
  EXPECT_EQ(rule.AddIpRule(""), 0);
  EXPECT_EQ(rule.AddIpRule(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(rule.AddIpRangeRule(0x0B000000u, 0x0B0000FFu), 1);
  EXPECT_EQ(rule.AddIpRangeRule("12.0.0.1", "12.0.0.9"), 1);
  EXPECT_EQ(rule.AddIpRangeRule("12.0.0.1", "games.example"), 0);
  EXPECT_EQ(rule.AddIpRangeRule("12.0.0.1", nullptr), 0);
  EXPECT_EQ(Ranges(rule, false),
            (std::vector<std::string>{"167772161-167772161", "167772162-167772162", "184549376-184549631",
                                      "201326593-201326601"}));
  EXPECT_EQ(Strings(rule), (std::vector<std::string>{"games.example", "ANY"}));
}

TEST(OutRule, MatchingTargets) {
  COutRule rule;
  rule.AddIpRule("games.example");
  rule.AddIpRangeRule("10.0.0.1", "10.0.0.9");
  rule.AddPortRangeRule(7000, 7010);
  rule.AddPortRule(443);
  struct Case {
    const char* host;
    uint32_t port;
    int32_t match;
  };
  const Case cases[] = {
      {"games.example", 7000, 1}, {"GAMES.Example", 443, 1}, {"games.example", 6999, 0},
      {"10.0.0.1", 7010, 1},      {"10.0.0.9", 443, 1},      {"10.0.0.10", 443, 0},
      {"10.0.0.0", 443, 0},       {"other.example", 443, 0}, {"", 443, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(rule.MatchesTarget(c.host, c.port), c.match) << c.host << ":" << c.port;

  COutRule any;
  any.AddIpRule("any");
  EXPECT_EQ(any.MatchesTarget("10.9.9.9", 80), 0);  // no port range, no match
  any.AddPortRule(80);
  EXPECT_EQ(any.MatchesTarget("10.9.9.9", 80), 1);
  EXPECT_EQ(any.MatchesTarget("anywhere.example", 80), 1);
  EXPECT_EQ(any.MatchesTarget("anywhere.example", 81), 0);
}

TEST(OutRule, DuplicateIsIndependent) {
  auto* rule = new COutRule;
  rule->SetName("copy me");
  rule->SetForceOutgoingEncryption(1);
  rule->SetClientLocationForward(1);
  rule->SetMinActionTime(5);
  rule->AddPortRule(80);
  rule->AddIpRule("10.0.0.1");
  rule->AddIpRule("games.example");
  COutRule* copy = rule->Duplicate();
  ASSERT_NE(copy, nullptr);
  rule->SetName("changed");
  rule->AddPortRule(81);
  delete rule;  // the copy must own every entry itself
  EXPECT_STREQ(copy->GetName(), "copy me");
  EXPECT_EQ(copy->GetForceOutgoingEncryption(), 1);
  EXPECT_EQ(copy->GetClientLocationForward(), 1);
  EXPECT_EQ(copy->GetMinActionTime(), 5u);
  EXPECT_EQ(Ranges(*copy, true), (std::vector<std::string>{"80-80"}));
  EXPECT_EQ(Ranges(*copy, false), (std::vector<std::string>{"167772161-167772161"}));
  EXPECT_EQ(Strings(*copy), (std::vector<std::string>{"games.example"}));
  delete copy;
}

TEST(OutRule, LogState) {
  COutRule rule;
  rule.SetName("lobby");
  rule.SetClientLocationForward(1);
  rule.AddIpRule("games.example");
  rule.AddIpRule("10.0.0.1");
  rule.AddIpRangeRule("10.1.0.0", "10.1.255.255");
  rule.AddPortRangeRule(7000, 7010);
  std::vector<std::string> lines;
  rule.LogState([](void* user, const char* line) { static_cast<std::vector<std::string>*>(user)->push_back(line); },
                &lines);
  EXPECT_EQ(lines, (std::vector<std::string>{"Rule: lobby forceoutgoingencryption: 0 forwardclientlocation: 1",
                                             "Accepts outgoing connects on...", "[ip games.example]", "[ip 10.0.0.1]",
                                             "[iprange 10.1.0.0 to 10.1.255.255]", "[portrange 7000 to 7010]"}));
}
