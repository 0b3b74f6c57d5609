// What a blackjack server sends the client table during the round's states, as the table's
// readers take it: each input is read as a KCBL record and handed to the insurance answer, the
// insurance result, the dealer's scanned card and the turn's time-out. A failed read writes
// nothing; a good one gives only seats 0-4, cards of the deck, sound amounts and at most an hour.
#include <cstdint>

#include "client/clienttable.h"
#include "fuzzkavo.h"

namespace {
using TTable = CBlackJackClientTable;

struct SWorld : SFuzzKavoRecordNode {
  void Run(const uint8_t* data, size_t size) {
    int32_t seat = -7, take = -7;
    if (TTable::ParseInsuranceAnswer(Load(data, size), seat, take))
      FuzzCheck(seat >= 0 && seat < KAVO_NUM_SEATS);
    else
      FuzzCheck(seat == -7 && take == -7);

    TTable::SInsuranceResult result;
    result.Card = -7;
    Load(data, size);
    if (TTable::ParseInsuranceResult(m_pNode.get(), result)) {
      FuzzCheck(result.Pays == 0 || result.Pays == 1);
      FuzzCheck(result.Pays ? KavoIsCard(result.Card) : result.Card == -1);
      for (int32_t s = 0; s < KAVO_NUM_SEATS; ++s)
        FuzzCheck(!result.Wins[s].GetError() && !result.Wins[s].IsNegative() && (result.Listed[s] || result.Wins[s].IsZero()));
    } else {
      FuzzCheck(result.Card == -7);
    }

    int32_t card = -7;
    if (TTable::ParseScanCard(Load(data, size), card))
      FuzzCheck(card == -1 || KavoIsCard(card));
    else
      FuzzCheck(card == -7);

    int32_t seconds = -7;
    uint32_t stamp = 7;
    if (TTable::ParsePlayerTimeOut(Load(data, size), seconds, stamp))
      FuzzCheck(seconds >= 0 && seconds <= 3600 && TTable::DecisionTimeLeft(seconds * 1000, 0) == seconds * 1000);
    else
      FuzzCheck(seconds == -7 && stamp == 7);
    m_pNode->m_RecvKCBL.Free();
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static SWorld world;
  if (size > 1 << 16) return 0;
  world.Run(data, size);
  return 0;
}
