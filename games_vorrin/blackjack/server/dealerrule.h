// When the blackjack dealer draws, the one rule the server table and the round simulations share.
#pragma once

#include <cstdint>

// soft counts the first ace as 11, hard every ace as 1. The dealer draws below a soft 17, on a
// soft total over 21 whose hard total is below 17, and, with drawOnSoft17, on a soft 17 that is
// not also a hard 17.
inline constexpr bool KavoDealerDraws(int32_t soft, int32_t hard, int32_t drawOnSoft17) {
  if (soft < 17) return true;
  if (soft > 21) return hard < 17;
  return drawOnSoft17 && soft == 17 && hard != 17;
}
