// The round-text readers: keys anchored at the text's start or after a ";", values cut to the
// caller's buffer, numbers and amounts that do not read left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/info/translate.h"
#include "roundtext.h"

namespace {
const std::string kLong = "NAME=" + std::string(1 << 20, 'x');

TEST(RoundText, GetKeyLong) {
  const struct {
    const char* m_pText;
    const char* m_pKey;
    int32_t m_Want;
  } cases[] = {
      {"BET=12;WIN=3", "WIN=", 3},
      {"BET=12;WIN=3", "DEN=", -1},
      {"BET=12;WIN=3", "BET=", 12},
      {"S7BET=5;BET=10;", "BET=", 10},
      {"S7BET=5;", "BET=", -1},
      {"SEAT=2;BET=10;WIN=20;", "BET=", 10},
      {"SEAT=2;BET=10;WIN=20;", "WIN=", 20},
      {"SEAT=2;BET=10;WIN=20;", "SEAT=", 2},
      {"TOTWIN=7;WIN=2;", "WIN=", 2},
      {"TOTWIN=7;", "WIN=", -1},
      {"X=1;REELS=4;", ";REELS=", 4},
      {"REELS=4;", ";REELS=", -1},
      {"BET=;", "BET=", -1},
      {"BET=", "BET=", -1},
      {"BET=abc;", "BET=", -1},
      {"BET=12abc;", "BET=", 12},
      {"BET= -5;", "BET=", -5},
      {"BET=+7;", "BET=", 7},
      {"BET=2147483647;", "BET=", 2147483647},
      {"BET=2147483648;", "BET=", -1},
      {"BET=-2147483648;", "BET=", INT32_MIN},
      {"BET=1234567890123456789012345678901234567890;", "BET=", -1},
      {"BET=5", "", -1},
      {"BET=5", nullptr, -1},
      {nullptr, "BET=", -1},
  };
  for (const auto& c : cases)
    EXPECT_EQ(GetKeyLong(c.m_pText, c.m_pKey), c.m_Want)
        << (c.m_pText ? c.m_pText : "(null)") << " " << (c.m_pKey ? c.m_pKey : "(null)");
}

TEST(RoundText, GetKeyString) {
  const struct {
    const char* m_pText;
    const char* m_pKey;
    const char* m_pWant;
  } cases[] = {
      {"CARDS=1+2;DLRCARDS=3+4;", "CARDS=", "1+2"},
      {"DLRCARDS=3+4;CARDS=5;", "CARDS=", "5"},
      {"DLRCARDS=3+4;", "CARDS=", ""},
      {"DLRCARDS=3+4;", "DLRCARDS=", "3+4"},
      {"ACT=sur", "ACT=", "sur"},
      {"ACT=;X=1", "ACT=", ""},
  };
  for (const auto& c : cases) {
    char out[HISTORY_VALUE_SIZE] = "junk";
    GetKeyString(c.m_pText, c.m_pKey, out);
    EXPECT_STREQ(out, c.m_pWant) << c.m_pText << " " << c.m_pKey;
  }
}

TEST(RoundText, GetKeyStringWritesNoMoreThanItsBuffer) {
  std::vector<char> out(HISTORY_VALUE_SIZE + 16, '#');
  GetKeyString(kLong.c_str(), "NAME=", out.data(), HISTORY_VALUE_SIZE);
  EXPECT_EQ(std::string(out.data()), std::string(HISTORY_VALUE_SIZE - 1, 'x'));
  EXPECT_EQ(out[HISTORY_VALUE_SIZE], '#');
  char small[4];
  GetKeyString("NAME=abcdef;", "NAME=", small);
  EXPECT_STREQ(small, "abc");
  GetKeyString(kLong.c_str(), "BET=", out.data(), HISTORY_VALUE_SIZE);
  EXPECT_STREQ(out.data(), "");
}

TEST(RoundText, GetKeyLongs) {
  const struct {
    const char* m_pText;
    int32_t m_Max;
    const char* m_pDelimiters;
    std::vector<int32_t> m_Want;
  } cases[] = {
      {"CARDS=1+2+3;WIN=4", 5, "+", {1, 2, 3}},
      {"CARDS=1+2+3;", 2, "+", {1, 2}},
      {"CARDS=1+0+2+0+0+5+0", 8, "+", {1, 0, 2, 0, 0, 5, 0}},
      {"CARDS=;", 5, "+", {}},
      {"DLRCARDS=7;", 5, "+", {}},
      {"CARDS=1++2+", 5, "+", {1, 2}},
      {"CARDS=1+x+3", 5, "+", {1}},
      {"CARDS=1+1234567890123456789012345678901234567890+3", 5, "+", {1}},
      {"CARDS=1,2+3", 5, ",+", {1, 2, 3}},
      {"CARDS=-7+99", 5, "+", {-7, 99}},
      {"CARDS=1+2", 0, "+", {}},
      {"CARDS=12", 5, "", {12}},
  };
  for (const auto& c : cases) {
    std::vector<int32_t> out(10, 555);
    const int32_t n = GetKeyLongs(c.m_pText, "CARDS=", out.data(), c.m_Max, c.m_pDelimiters);
    ASSERT_EQ(n, static_cast<int32_t>(c.m_Want.size())) << c.m_pText;
    EXPECT_EQ(std::vector<int32_t>(out.begin(), out.begin() + n), c.m_Want) << c.m_pText;
    EXPECT_EQ(out[static_cast<size_t>(c.m_Max > 0 ? c.m_Max : 0)], 555) << "nothing past max: " << c.m_pText;
  }
}

TEST(RoundText, GetKeyMoney) {
  CTranslate dollars;
  dollars.SetCurrency("$%s");
  CTranslate euros;
  euros.SetCurrency("EUR %s");
  const std::string digits = "BET=" + std::string(1 << 20, '7');
  const struct {
    const CTranslate* m_pTranslate;
    const char* m_pText;
    const char* m_pWant;
  } cases[] = {
      {&dollars, "BET=5;", "$5"},
      {&dollars, "BET=5.25;", "$5.25"},
      {&dollars, "BET=5.5", "$5.50"},
      {&dollars, "BET=5.000", "$5"},
      {&dollars, "BET=-3", "$-3"},
      {&dollars, "S7BET=5;BET=10;", "$10"},
      {&euros, "BET=5", "EUR 5"},
      {&dollars, "BET=abc;", ""},
      {&dollars, "BET=;", ""},
      {&dollars, "WIN=4;", ""},
      {&dollars, "BET=12345678901;", ""},
      {&dollars, digits.c_str(), ""},
  };
  for (const auto& c : cases) {
    char out[64] = "junk";
    const int32_t written = GetKeyMoney(*c.m_pTranslate, c.m_pText, "BET=", out, sizeof out);
    EXPECT_STREQ(out, c.m_pWant) << std::string(c.m_pText).substr(0, 40);
    EXPECT_EQ(written, *c.m_pWant ? 1 : 0);
  }
  char tiny[3] = "xy";
  EXPECT_EQ(GetKeyMoney(dollars, "BET=1000", "BET=", tiny, sizeof tiny), 0);
  EXPECT_STREQ(tiny, "") << "a cut amount is no amount";
}
}  // namespace
