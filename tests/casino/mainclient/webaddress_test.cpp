#include <gtest/gtest.h>

#include "casino/mainclient/webaddress.h"

namespace {

struct SAddressRow {
  const char* m_Address;
  int32_t m_Open;
};

const SAddressRow kAddresses[] = {
    {"http://www.vorrin.example/promo", 1},
    {"https://www.vorrin.example/cashier?x=1&y=2", 1},
    {"HTTP://WWW.VORRIN.EXAMPLE/", 1},
    {"hTTpS://a", 1},
    {"mailto:support@vorrin.example", 1},
    {"MailTo:support@vorrin.example?subject=Help me", 1},
    {"http://a/\xE9t\xE9", 1},
    {"http:", 0},
    {"mailto:", 0},
    {"file:///etc/passwd", 0},
    {"FILE:///home/player/.bashrc", 0},
    {"javascript:alert(1)", 0},
    {"ftp://files.vorrin.example/", 0},
    {"data:text/html,<b>x</b>", 0},
    {"httpx://a", 0},
    {"http//a", 0},
    {"www.vorrin.example", 0},
    {"/usr/bin/xterm", 0},
    {"casino.exe", 0},
    {"-e http://a", 0},
    {"--help", 0},
    {" http://a", 0},
    {"", 0},
    {nullptr, 0},
    {"http://a\n", 0},
    {"http://a\r\nX: y", 0},
    {"https://a\tb", 0},
    {"http://a\x7F", 0},
    {"http://a\x1B[2J", 0},
};

TEST(WebAddress, TableOfAddresses) {
  for (const SAddressRow& row : kAddresses) {
    SCOPED_TRACE(row.m_Address ? row.m_Address : "(null)");
    EXPECT_EQ(xIsWebAddress(row.m_Address), row.m_Open);
  }
}

}  // namespace
