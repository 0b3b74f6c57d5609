// The cashier's two proxy settings as its proxy description gives them.
#include <gtest/gtest.h>

#include <string>

#include "cashierproxy.h"

namespace {

TEST(CashierProxy, TheRulesOfMissingValues) {
  struct {
    const char* m_Description;
    int32_t m_Use, m_Flag;
    const char* m_Host;
    int32_t m_Port;
  } const rows[] = {
      {"([CashierProxy=1,1,p,80;])", 1, 1, "p", 80},
      {"([CashierProxy=1,1,p,80])", 1, 1, "p", 80},  // the last entry may go without its ";"
      {"([CashierProxy=0,1,p,80;])", 0, 1, "p", 80},
      {"([CashierProxy=1,1,p;])", 0, 0, "", 0},
      {"([CashierProxy=1,1,,80;])", 1, 1, "", 80},  // an empty host is a host
      {"([CashierProxy=1,1;])", 0, 0, "", 0},
      {"([CashierProxy=1,x,p,80;])", 0, 0, "p", 80},
      {"([CashierProxy=1,0,p,x;])", 0, 0, "", 0},
      {"([CashierProxy=1,0,p,80,99;])", 1, 0, "p", 80},  // further values are not read
      {"([CpProxy=1,1,p,80;])", 0, 0, "", 0},
      {"CashierProxy=1,1,p,80;", 0, 0, "", 0},
      {"([CashierProxy=1,1,p,80;", 0, 0, "", 0},
      {"", 0, 0, "", 0},
  };
  for (const auto& row : rows) {
    TCashierProxy proxy;
    ReadCashierProxy(row.m_Description, CASHIER_PROXY_ENTRY, proxy);
    EXPECT_EQ(proxy.m_Use, row.m_Use) << row.m_Description;
    EXPECT_EQ(proxy.m_Flag, row.m_Flag) << row.m_Description;
    EXPECT_EQ(proxy.m_Host, row.m_Host) << row.m_Description;
    EXPECT_EQ(proxy.m_Port, row.m_Port) << row.m_Description;
  }
}

TEST(CashierProxy, WithoutItsUseFlagASettingStaysAsItWas) {
  TCashierProxy proxy{1, 1, "kept", 81};
  ReadCashierProxy("([CashierProxy=x,0,p,80;])", CASHIER_PROXY_ENTRY, proxy);
  EXPECT_EQ(proxy.m_Use, 1);
  EXPECT_EQ(proxy.m_Host, "kept");
  EXPECT_EQ(proxy.m_Port, 81);
}

TEST(CashierProxy, ManyEntriesAndALongHost) {
  std::string description = "([";
  for (int i = 0; i < 10000; ++i) description += "Other" + std::to_string(i) + "=1,1,h,1;";
  const std::string host(4000, 'p');
  description += "CpProxy=1,0," + host + ",3128;CashierProxy=1,1,c,8443])";
  TCashierProxy cashier, process;
  ReadCashierProxy(description.c_str(), CASHIER_PROXY_ENTRY, cashier);
  ReadCashierProxy(description.c_str(), CASHIER_PROCESS_PROXY_ENTRY, process);
  EXPECT_EQ(cashier.m_Host, "c");
  EXPECT_EQ(cashier.m_Port, 8443);
  EXPECT_EQ(process.m_Use, 1);
  EXPECT_EQ(process.m_Host, host);
  EXPECT_EQ(process.m_Port, 3128);
}

}  // namespace
