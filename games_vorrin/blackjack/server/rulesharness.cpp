#include "server/rulesharness.h"

#include "common/cards/deck.h"
#include "handvalue.h"
#include "kavoprotocol.h"
#include "server/dealerrule.h"
#include "server/servertable.h"
#include "server/settlement.h"

namespace {
using TMoney = CHugeFixedPoint<10, 10>;

// The up card as the strategy reads it: 2..10, the ace 11.
int32_t UpValue(int32_t upRank) { return upRank == KAVO_RANK_ACE ? 11 : KavoCardValue(upRank); }

// Ranks with every ten-value card as the first.
int32_t TenAsOne(int32_t rank) { return rank > KAVO_RANK_TEN ? KAVO_RANK_TEN : rank; }

bool Between(int32_t value, int32_t low, int32_t high) { return value >= low && value <= high; }

// The settlement's result in halves of the hand's bet.
int32_t HalfUnits(int32_t condition) {
  switch (condition) {
    case KAVO_WIN_WON: return 2;
    case KAVO_WIN_NATURAL: return 3;
    case KAVO_WIN_PUSH: return 0;
    default: return -2;
  }
}
}  // namespace

int32_t KavoDealerOutcome(const CBlackJackServerPlayer& dealer) {
  int32_t soft = 0, hard = 0;
  dealer.GetTotals(soft, hard);
  const SKavoHandTotal total = KavoNormaliseTotal(soft, hard, dealer.GetNumCards(), 0);
  if (total.m_Natural) return KAVO_DEALER_BLACKJACK;
  if (total.m_Total > 21) return KAVO_DEALER_BUST;
  return total.m_Total - 17;
}

CKavoRulesHarness::CKavoRulesHarness(const SKavoRules& rules)
    : m_Rules(rules), m_pTable(new CBlackJackServerTable),
      m_pSeat(new CBlackJackServerPlayer), m_pDealer(new CBlackJackServerPlayer) {
  m_pTable->SetValidDoubleSums(static_cast<int32_t>(rules.m_DoubleSums.size()), rules.m_DoubleSums.data());
  m_pSeat->Attach(m_pTable.get(), 0);
  m_pDealer->Attach(m_pTable.get(), KAVO_DEALER);
  m_pShoe = new CDeck;
  m_pShoe->Init(rules.m_Decks, KAVO_CARDS_PER_DECK);
  m_pTable->SetShoe(m_pShoe);
}

CKavoRulesHarness::~CKavoRulesHarness() = default;

int32_t CKavoRulesHarness::SplitsPair(int32_t pairRank, int32_t upRank) {
  const int32_t up = UpValue(upRank);
  const int32_t pair = pairRank == KAVO_RANK_ACE ? 11 : KavoCardValue(pairRank);
  switch (pair) {
    case 11:
    case 8: return 1;
    case 2:
    case 3:
    case 7: return Between(up, 2, 7);
    case 4: return Between(up, 5, 6);
    case 6: return Between(up, 2, 6);
    case 9: return Between(up, 2, 6) || Between(up, 8, 9);
    default: return 0;  // fives and tens
  }
}

int32_t CKavoRulesHarness::Strategy(int32_t soft, int32_t hard, int32_t upRank, int32_t canDouble) {
  const int32_t up = UpValue(upRank);
  const int32_t hit = KAVO_ACTION_HIT, stand = KAVO_ACTION_STAND;
  const int32_t doubleOrHit = canDouble ? KAVO_ACTION_DOUBLE : hit;
  if (soft != hard && soft <= 21) {
    if (soft >= 19) return stand;
    if (soft == 18) {
      if (Between(up, 3, 6)) return canDouble ? KAVO_ACTION_DOUBLE : stand;
      return up == 2 || up == 7 || up == 8 ? stand : hit;
    }
    if (soft == 17) return Between(up, 3, 6) ? doubleOrHit : hit;
    if (soft == 16) return Between(up, 4, 6) ? doubleOrHit : hit;
    if (soft >= 14) return Between(up, 5, 6) ? doubleOrHit : hit;
    if (soft == 13) return up == 6 ? doubleOrHit : hit;
    return hit;
  }
  if (hard >= 17) return stand;
  if (hard >= 13) return Between(up, 2, 6) ? stand : hit;
  if (hard == 12) return Between(up, 4, 6) ? stand : hit;
  if (hard == 11) return up <= 10 ? doubleOrHit : hit;
  if (hard == 10) return up <= 9 ? doubleOrHit : hit;
  if (hard == 9) return Between(up, 3, 6) ? doubleOrHit : hit;
  return hit;
}

int32_t CKavoRulesHarness::Draw(int32_t& code) {
  code = m_pShoe->GetCard();
  if (!KavoIsCard(code)) return 0;
  m_Dealt.push_back(code);
  return 1;
}

int32_t CKavoRulesHarness::RefillShoe() {
  // The round's cards go back: the shoe is whole again without being rebuilt.
  for (int32_t code : m_Dealt)
    if (!m_pShoe->AddCard(code)) return 0;
  m_Dealt.clear();
  return 1;
}

int32_t CKavoRulesHarness::PlayHand(int32_t upRank, int32_t& multiple, int32_t& bonus) {
  multiple = 1;
  for (;;) {
    int32_t soft = 0, hard = 0;
    m_pSeat->GetTotals(soft, hard);
    if (hard > 21) return 1;
    const int32_t action = Strategy(soft, hard, upRank, m_pSeat->CanDouble());
    if (action == KAVO_ACTION_STAND) return 1;
    int32_t code = 0;
    if (!Draw(code) || !m_pSeat->AddCard(code)) return 0;
    if (m_Rules.m_TripleSeven && m_pSeat->IsTripleSeven()) bonus += 2 * multiple * (action == KAVO_ACTION_DOUBLE ? 2 : 1);
    if (action == KAVO_ACTION_DOUBLE) {
      multiple = 2;
      return 1;
    }
  }
}

int32_t CKavoRulesHarness::PlayRound(SKavoRoundResult& result) {
  result = SKavoRoundResult();
  if (!RefillShoe()) return 0;
  m_pSeat->Reset();
  m_pDealer->Reset();
  int32_t code = 0, hole = 0;
  // The deal's order: the seat, the seat, the up card, the hole card.
  for (int32_t i = 0; i < 2; ++i)
    if (!Draw(code) || !m_pSeat->AddCard(code)) return 0;
  if (!Draw(code) || !m_pDealer->AddCard(code) || !Draw(hole)) return 0;
  const int32_t upRank = TenAsOne(KavoCardRank(code));
  result.m_UpRank = upRank;

  // The dealer peeks under an ace or a ten-value card: a natural ends the round at once.
  const bool peeked = (KavoIsAce(code) || KavoIsTenValue(code)) && (KavoIsAce(hole) || KavoIsTenValue(hole)) &&
                      KavoIsAce(code) != KavoIsAce(hole);
  const bool seatNatural = m_pSeat->IsNatural() != 0;
  int32_t multiples[2] = {1, 1};
  int32_t bonus = 0;
  int32_t hands = 1;
  if (!peeked && !seatNatural) {
    if (m_pSeat->CanSplit() && SplitsPair(TenAsOne(m_pSeat->GetHandCard(1, 0, 0)), upRank)) {
      hands = 2;
      const int32_t aces = m_pSeat->DoSplit();
      // Hand 2 is dealt and played first, as at the table.
      for (int32_t hand : {KAVO_HAND_2, KAVO_HAND_1}) {
        m_pSeat->SetCurrentHand(hand);
        if (!Draw(code) || !m_pSeat->AddCard(code)) return 0;
        if (m_Rules.m_TripleSeven && m_pSeat->IsTripleSeven()) bonus += 2;
        if (!aces && !PlayHand(upRank, multiples[hand - 1], bonus)) return 0;
      }
    } else {
      if (!PlayHand(upRank, multiples[0], bonus)) return 0;
    }
  }
  // The dealer's hand is always played out for the tally, even when the table would not.
  if (!m_pDealer->AddCard(hole)) return 0;
  for (;;) {
    int32_t soft = 0, hard = 0;
    m_pDealer->GetTotals(soft, hard);
    if (!KavoDealerDraws(soft, hard, m_Rules.m_DrawOnSoft17)) break;
    if (!Draw(code) || !m_pDealer->AddCard(code)) return 0;
  }
  result.m_DealerOutcome = KavoDealerOutcome(*m_pDealer);

  // Settlement: a natural is paid against the dealer's 22 of three cards, a peeked dealer
  // natural meets the unplayed hand, the rest meets the dealer's final hand.
  int32_t dealerSoft = 0, dealerHard = 0;
  m_pDealer->GetTotals(dealerSoft, dealerHard);
  SKavoHandTotal dealer = KavoNormaliseTotal(dealerSoft, dealerHard, m_pDealer->GetNumCards(), 0);
  if (seatNatural && !peeked) dealer = {22, 0};
  static const TMoney kBet(1);
  int32_t net = bonus;
  for (int32_t h = 0; h < hands; ++h) {
    m_pSeat->SetCurrentHand(hands == 2 ? h + 1 : KAVO_HAND_2);
    int32_t soft = 0, hard = 0;
    m_pSeat->GetTotals(soft, hard);
    const SKavoHandTotal player = KavoNormaliseTotal(soft, hard, m_pSeat->GetNumCards(), m_pSeat->IsSplit());
    net += HalfUnits(KavoSettleHand(player, dealer, kBet).m_Condition) * multiples[h];
  }
  result.m_NetHalfUnits = net;
  return 1;
}
