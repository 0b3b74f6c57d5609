// Blackjack rounds played without packets or a database, for measuring the rules: one seat and
// the dealer dealt from the real shoe, totals, the dealer's rule, the settlement and the
// decisions all taken from the server table's own code, with a basic-strategy table deciding.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class CBlackJackServerTable;
class CBlackJackServerPlayer;
class CDeck;

struct SKavoRules {
  int32_t m_Decks = 6;
  int32_t m_DrawOnSoft17 = 0;
  // Totals a double is allowed on; empty: any two cards.
  std::vector<uint32_t> m_DoubleSums;
  int32_t m_TripleSeven = 0;
};

// The dealer's final hand as the tallies count it.
enum EKavoDealerOutcome : int32_t {
  KAVO_DEALER_17 = 0,
  KAVO_DEALER_18,
  KAVO_DEALER_19,
  KAVO_DEALER_20,
  KAVO_DEALER_21,
  KAVO_DEALER_BLACKJACK,
  KAVO_DEALER_BUST,
  KAVO_DEALER_OUTCOMES,
};
// The class of a dealer's hand as it stands (played out or not).
int32_t KavoDealerOutcome(const CBlackJackServerPlayer& dealer);

struct SKavoRoundResult {
  int32_t m_UpRank = 0;          // the dealer's up card's rank (0 ace .. 9 ten-value)
  int32_t m_DealerOutcome = 0;   // EKavoDealerOutcome, the dealer's hand always played out
  int32_t m_NetHalfUnits = 0;    // the seat's result in halves of the initial bet
};

class CKavoRulesHarness {
 public:
  explicit CKavoRulesHarness(const SKavoRules& rules);
  ~CKavoRulesHarness();
  CKavoRulesHarness(const CKavoRulesHarness&) = delete;
  CKavoRulesHarness& operator=(const CKavoRulesHarness&) = delete;

  // One round from a full shoe; 0 when the shoe failed.
  int32_t PlayRound(SKavoRoundResult& result);

  // The decision for a hand's totals against the dealer's up card (0 ace .. 9 ten-value), as
  // EKavoAction; a double the hand may not take becomes a hit (a stand on soft 18).
  static int32_t Strategy(int32_t soft, int32_t hard, int32_t upRank, int32_t canDouble);
  // Whether a pair of that rank (0 ace .. 9 ten-value) splits against the up card.
  static int32_t SplitsPair(int32_t pairRank, int32_t upRank);

 private:
  int32_t Draw(int32_t& code);
  int32_t RefillShoe();
  // Plays the current hand of the seat to its end; the bet's multiple (1, or 2 once doubled).
  int32_t PlayHand(int32_t upRank, int32_t& multiple, int32_t& bonus);

  SKavoRules m_Rules;
  std::unique_ptr<CBlackJackServerTable> m_pTable;
  std::unique_ptr<CBlackJackServerPlayer> m_pSeat;
  std::unique_ptr<CBlackJackServerPlayer> m_pDealer;
  CDeck* m_pShoe = nullptr;  // owned by the table
  std::vector<int32_t> m_Dealt;  // the cards of the round so far
};
