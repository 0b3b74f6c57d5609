// The hand total both halves count with, the bet-limit check and the outcome of a hand.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "betlimitcheck.h"
#include "handvalue.h"
#include "kavoprotocol.h"
#include "server/settlement.h"

namespace {
using TMoney = CHugeFixedPoint<10, 10>;

// Codes: ace of the first suit 0, its king 12; 13 is the next suit's ace, 51 the last king.
struct SHandCase {
  const char* m_Name;
  std::vector<int32_t> m_Cards;
  int32_t m_Soft;
  int32_t m_Hard;
};

TEST(KavoHandValue, TotalsOfHands) {
  const SHandCase cases[] = {
      {"ace ace nine", {0, 13, 8}, 21, 11},
      {"ace king", {0, 12}, 21, 11},
      {"empty", {}, 0, 0},
      {"ace five king", {0, 4, 12}, 26, 16},
      {"four aces", {0, 13, 26, 39}, 14, 4},
      {"code 9 is a ten", {9}, 10, 10},
      {"code 12 is a king", {12}, 10, 10},
      {"code 13 is an ace", {13}, 11, 1},
      {"code 51 is a king", {51}, 10, 10},
      {"two to nine", {1, 2, 3, 4, 5, 6, 7, 8}, 44, 44},
      {"soft seventeen", {0, 5}, 17, 7},
  };
  for (const SHandCase& c : cases) {
    int32_t soft = -1, hard = -1;
    EXPECT_EQ(GetHandValue(c.m_Cards.data(), static_cast<int32_t>(c.m_Cards.size()), soft, hard), 1) << c.m_Name;
    EXPECT_EQ(soft, c.m_Soft) << c.m_Name;
    EXPECT_EQ(hard, c.m_Hard) << c.m_Name;
  }
  const int32_t cards[] = {0, 12};
  int32_t soft = -1, hard = -1;
  GetHandValue(cards, -3, soft, hard);
  EXPECT_EQ(soft, 0);
  EXPECT_EQ(hard, 0);
}

TEST(KavoHandValue, CardHelpers) {
  EXPECT_EQ(KavoCardSuit(51), 3);
  EXPECT_EQ(KavoCardRank(51), 12);
  EXPECT_EQ(KavoCardValue(22), 10);  // rank 9
  EXPECT_EQ(KavoCardValue(21), 9);   // rank 8
  EXPECT_FALSE(KavoIsCard(52));
  EXPECT_FALSE(KavoIsCard(-1));
}

struct SLimitCase {
  const char* m_Bet;
  const char* m_Free;
  int32_t m_CheckMinimum;
  int32_t m_Result;
  const char* m_Message;
};

TEST(KavoBetLimitCheck, LimitsAndTexts) {
  CBetLimitCheck check;
  check.SetTexts("Minimum bet is ", " EUR", "Maximum bet is ", nullptr, "Not enough money");
  const TMoney minimum("5"), maximum("500.5");
  const SLimitCase cases[] = {
      {"500.5", "1000", 1, 1, ""},                    // equal to the maximum
      {"80", "80", 1, 1, ""},                         // equal to the free money
      {"4.99", "1000", 1, 0, "Minimum bet is 5 EUR"},
      {"4.99", "1000", 0, 1, ""},                     // minimum not asked
      {"500.51", "1000", 1, 0, "Maximum bet is 500.50"},
      {"80.01", "80", 1, 0, "Not enough money"},
  };
  for (const SLimitCase& c : cases) {
    const char* message = nullptr;
    EXPECT_EQ(check.Check(TMoney(c.m_Bet), TMoney(c.m_Free), minimum, maximum, c.m_CheckMinimum, message), c.m_Result)
        << c.m_Bet;
    ASSERT_NE(message, nullptr);
    EXPECT_STREQ(message, c.m_Message) << c.m_Bet;
  }
}

TEST(KavoBetLimitCheck, AmountsWithAndWithoutFraction) {
  CBetLimitCheck check;
  EXPECT_STREQ(check.FormatAmount("min ", TMoney("25"), " $"), "min 25 $");
  EXPECT_STREQ(check.FormatAmount("min ", TMoney("2.5"), nullptr), "min 2.50");
  EXPECT_STREQ(check.FormatAmount(nullptr, TMoney("0.001"), "!"), "0.00!");
  EXPECT_STREQ(check.FormatAmount("", TMoney("1234567890"), ""), "1234567890");
}

TEST(KavoBetLimitCheck, EachInstanceKeepsItsOwnText) {
  CBetLimitCheck client, server;
  client.SetTexts("client ", nullptr, "client max ", nullptr, "");
  server.SetTexts("server ", nullptr, "server max ", nullptr, "");
  const char* first = nullptr;
  const char* second = nullptr;
  client.Check(TMoney(1), TMoney(100), TMoney(5), TMoney(50), 1, first);
  server.Check(TMoney(60), TMoney(100), TMoney(5), TMoney(50), 1, second);
  EXPECT_STREQ(first, "client 5");
  EXPECT_STREQ(second, "server max 50");
}

TEST(KavoSettlement, NormalisedTotals) {
  EXPECT_EQ(KavoNormaliseTotal(21, 11, 2, 0).m_Natural, 1);
  EXPECT_EQ(KavoNormaliseTotal(21, 11, 2, 1).m_Natural, 0);  // ace and ten after a split
  EXPECT_EQ(KavoNormaliseTotal(21, 21, 3, 0).m_Natural, 0);
  EXPECT_EQ(KavoNormaliseTotal(26, 16, 3, 0).m_Total, 16);
  EXPECT_EQ(KavoNormaliseTotal(17, 7, 2, 0).m_Total, 17);
  const SKavoOutcome natural = KavoSettleHand({21, 1}, {22, 0}, TMoney("10.01"));
  EXPECT_EQ(natural.m_Gross, TMoney("25.025"));
  EXPECT_EQ(KavoNetWin(natural, TMoney("10.01")), TMoney("15.015"));
  EXPECT_EQ(KavoNetWin(KavoSettleHand({25, 0}, {22, 0}, TMoney(10)), TMoney(10)), TMoney());
}
}  // namespace
