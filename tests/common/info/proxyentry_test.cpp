// The proxy-description readers: entries found by exact name between "([" and "])", values by
// comma count, numbers as "%ld" reads them; nothing outside the brackets is ever read.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "common/info/proxyentry.h"
#include "ostrel/base/types.h"

namespace {
constexpr const char* kExample = "([ServerProxy=1,0,proxy.example,8080;ChatProxy=0;])";

std::optional<std::string> Text(const char* description, const char* name, int32_t index) {
  char* text = reinterpret_cast<char*>(1);  // must be replaced in every case
  const int32_t found = GetProxyEntryText(description, name, index, &text);
  EXPECT_EQ(found != 0, text != nullptr) << description << " " << name << " " << index;
  if (!found) return std::nullopt;
  std::string value = text;
  xFree(text);
  return value;
}

std::optional<int32_t> Long(const char* description, const char* name, int32_t index) {
  int32_t value = -12345;
  if (!GetProxyEntryLong(description, name, index, &value)) {
    EXPECT_EQ(value, -12345) << "a missing number leaves the output alone";
    return std::nullopt;
  }
  return value;
}

struct STextRow {
  const char* m_Description;
  const char* m_Name;
  int32_t m_Index;
  const char* m_Expected;  // null: missing
};

const STextRow kTextRows[] = {
    {kExample, "ServerProxy", 0, "1"},
    {kExample, "ServerProxy", 1, "0"},
    {kExample, "ServerProxy", 2, "proxy.example"},
    {kExample, "ServerProxy", 3, "8080"},
    {kExample, "ServerProxy", 4, nullptr},
    {kExample, "ChatProxy", 0, "0"},
    {kExample, "ChatProxy", 1, nullptr},
    {kExample, "UpProxy", 0, nullptr},
    // The name must be the whole text before "=", in its case.
    {"([ServerProxyX=1;])", "ServerProxy", 0, nullptr},
    {"([ServerProxy=1;])", "Server", 0, nullptr},
    {"([serverproxy=1;])", "ServerProxy", 0, nullptr},
    {"([ ServerProxy=1;])", "ServerProxy", 0, nullptr},
    // Entries without "=" are passed over; the first entry of a name counts.
    {"([junk;ServerProxy=1;])", "ServerProxy", 0, "1"},
    {"([A=1;A=2;])", "A", 0, "1"},
    // The last entry may end at the body's end; a value may be empty or hold "=".
    {"([A=1,2])", "A", 1, "2"},
    {"([A=,x;])", "A", 0, ""},
    {"([A=,x;])", "A", 1, "x"},
    {"([A=b=c;])", "A", 0, "b=c"},
    {"([A=;])", "A", 0, ""},
    {"([A=;])", "A", 1, nullptr},
    // No brackets, one of them, reversed, empty body.
    {"ServerProxy=1,0,h,80;", "ServerProxy", 0, nullptr},
    {"([ServerProxy=1,0,h,80;", "ServerProxy", 0, nullptr},
    {"ServerProxy=1,0,h,80;])", "ServerProxy", 0, nullptr},
    {"])ServerProxy=1;([", "ServerProxy", 0, nullptr},
    {"([])", "ServerProxy", 0, nullptr},
    {"", "ServerProxy", 0, nullptr},
    // Nothing outside the body is read.
    {"A=1;([B=2;])", "A", 0, nullptr},
    {"([B=2;])A=1;", "A", 0, nullptr},
    {"([A=1,2])3,4;", "A", 2, nullptr},
    {"([A=1,2]);A=3;])", "A", 0, "1"},
    // Missing arguments.
    {nullptr, "A", 0, nullptr},
    {"([A=1;])", nullptr, 0, nullptr},
    {"([A=1;])", "", 0, nullptr},
    {"([=1;])", "", 0, nullptr},
    {"([A=1;])", "A", -1, nullptr},
};

TEST(ProxyEntry, TextsOfTheTable) {
  for (const STextRow& row : kTextRows) {
    const auto got = Text(row.m_Description, row.m_Name, row.m_Index);
    const std::string where = std::string(row.m_Description ? row.m_Description : "(null)") + " " +
                              (row.m_Name ? row.m_Name : "(null)") + " " + std::to_string(row.m_Index);
    ASSERT_EQ(got.has_value(), row.m_Expected != nullptr) << where;
    if (got) {
      EXPECT_EQ(*got, row.m_Expected) << where;
    }
  }
}

TEST(ProxyEntry, NumbersAreReadAsPercentLdReadsThem) {
  struct {
    const char* m_Value;
    std::optional<int32_t> m_Expected;
  } const rows[] = {
      {"12ab", 12},        {"ab", std::nullopt}, {"", std::nullopt}, {" 7", 7},
      {"-3", -3},          {"+8080", 8080},      {"0", 0},           {"2147483647", 2147483647},
      {"4294967295", -1},  // a 32-bit long wraps as on the 32-bit runtime
      {"99999999999", std::nullopt},
  };
  for (const auto& row : rows) {
    const std::string description = std::string("([P=") + row.m_Value + ";])";
    EXPECT_EQ(Long(description.c_str(), "P", 0), row.m_Expected) << row.m_Value;
  }
  EXPECT_EQ(Long(kExample, "ServerProxy", 3), 8080);
  EXPECT_EQ(Long(kExample, "ServerProxy", 2), std::nullopt);
  EXPECT_EQ(Long(kExample, "ServerProxy", 4), std::nullopt);
  EXPECT_EQ(GetProxyEntryLong(kExample, "ServerProxy", 0, nullptr), 0);
  EXPECT_EQ(GetProxyEntryText(kExample, "ServerProxy", 0, nullptr), 0);
}

TEST(ProxyEntry, LongDescriptionsAndHostsAreReadWhole) {
  std::string description = "([";
  for (int i = 0; i < 10000; ++i) description += "E" + std::to_string(i) + "=" + std::to_string(i) + ",x;";
  const std::string host(65536, 'h');
  description += "Last=1,0," + host + ",443])";
  EXPECT_EQ(Long(description.c_str(), "E9999", 0), 9999);
  EXPECT_EQ(Text(description.c_str(), "Last", 2), host) << "a host of any length is kept";
  EXPECT_EQ(Long(description.c_str(), "Last", 3), 443);
  EXPECT_EQ(Long(description.c_str(), "E10000", 0), std::nullopt);
}

}  // namespace
