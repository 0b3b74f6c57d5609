#include "handvalue.h"

#include "kavoprotocol.h"

int32_t GetHandValue(const int32_t* cards, int32_t count, int32_t& soft, int32_t& hard) {
  soft = 0;
  hard = 0;
  if (!cards) return 1;
  bool aceSeen = false;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t value = KavoCardValue(cards[i]);
    hard += value;
    if (KavoIsAce(cards[i]) && !aceSeen) {
      aceSeen = true;
      soft += 11;
    } else {
      soft += value;
    }
  }
  return 1;
}
