// The exact blackjack odds tests/tools/dealer_odds.py prints for a fresh six-deck shoe, and
// Pearson's chi-square of counted classes against them.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "server/rulesharness.h"

using TKavoOddsRow = std::array<double, KAVO_DEALER_OUTCOMES>;
struct SKavoOdds {
  std::map<std::string, TKavoOddsRow> m_Rows;  // "S17 all", "H17 up 3", ...
  std::vector<double> m_Side;                  // the side bet's rows
};

// Read once per process.
const SKavoOdds& KavoExactOdds();

// The chi-square's 0.1 % critical value for 5, 6 or 9 degrees of freedom.
double KavoChiSquareCritical(int32_t freedom);

// The statistic over the classes with a chance above 0, and their number less one; a class that
// cannot occur must not have been counted.
template <class TCounts, class TExpected>
double KavoChiSquare(const TCounts& counts, const TExpected& expected, size_t classes, int32_t& freedom) {
  double total = 0;
  for (size_t i = 0; i < classes; ++i) total += static_cast<double>(counts[i]);
  double chi = 0;
  freedom = -1;
  for (size_t i = 0; i < classes; ++i) {
    if (expected[i] <= 0) {
      EXPECT_EQ(counts[i], 0) << "class " << i << " cannot occur";
      continue;
    }
    const double e = expected[i] * total;
    chi += (static_cast<double>(counts[i]) - e) * (static_cast<double>(counts[i]) - e) / e;
    ++freedom;
  }
  return chi;
}
