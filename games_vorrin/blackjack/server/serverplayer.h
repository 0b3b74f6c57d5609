// The server half's record of one seat (and of the dealer's hand): the stakes, the one or two
// hands, insurance, bust and the per-hand booking marks that keep each hand's money moving once.
#pragma once

#include <cstdint>

#include "betlimitcheck.h"
#include "kavoprotocol.h"
#include "ostrel/base/money.h"

class CBlackJackServerTable;
class CCommNode;
class CServerTableBase;

// Index of a booking mark.
enum EKavoBooked : int32_t {
  KAVO_BOOKED_SETTLE1 = 0,
  KAVO_BOOKED_SETTLE2 = 1,
  KAVO_BOOKED_BONUS1 = 2,
  KAVO_BOOKED_BONUS2 = 3,
  KAVO_BOOKED_COUNT = 4,
};

class CBlackJackServerPlayer {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  CBlackJackServerPlayer();
  virtual ~CBlackJackServerPlayer();
  CBlackJackServerPlayer(const CBlackJackServerPlayer&) = delete;
  CBlackJackServerPlayer& operator=(const CBlackJackServerPlayer&) = delete;

  // ---- virtual operations ----
  // All money, flags, counts and booking marks 0; current hand 2.
  virtual void Reset();
  // Reads "Bet" and "finalFlag" from the entered "KavoPlayerBet" chunk of the table node's
  // received record and answers with a "KavoPlayerTableInfo". 0 (the caller crashes the user)
  // when an item is missing or the balance cannot be read; a refused bet is answered, not failed.
  virtual int32_t GetIncomingBets();
  // A "KavoPlayerTableInfo" chunk; send 1 makes it a packet of its own, else it joins the table
  // node's packet being built.
  virtual int32_t SendTableInfo(int32_t send, int32_t successFlag);
  // bet + betHand2, plus the insurance stake; kept in totalStake.
  virtual TMoney GetTotalStake();
  // Settles the current hand against the dealer: books it (once) and adds its "KavoPlayerWin"
  // chunk to the table node's packet being built. 0 when the booking failed.
  virtual int32_t Settle(int32_t dealerSoft, int32_t dealerHard, int32_t dealerCount);
  // The game's items of the "Bust" chunk (none at this table).
  virtual int32_t AddBustData(CCommNode* node);
  // Into the table's state store, and back in the same order.
  virtual int32_t SaveState(CServerTableBase& store);
  // 0 when the data are short or hold a count above KAVO_MAX_CARDS, a card outside 0..51, a
  // current hand other than 1 or 2 or an unreadable amount.
  virtual int32_t RestoreState(CServerTableBase& store);

  // ---- the hands ----
  void Attach(CBlackJackServerTable* table, int32_t seat);
  // To the current hand; 0 when it holds KAVO_MAX_CARDS already or the code is no card.
  int32_t AddCard(int32_t code);
  // Card index from 1 of hand 1 (or hand 2): the code (raw) or its rank; -1 outside 1..count.
  int32_t GetHandCard(int32_t index, int32_t hand2, int32_t raw) const;
  void GetTotals(int32_t& soft, int32_t& hard) const;
  int32_t GetNumCards() const;
  int32_t GetNumCards(int32_t hand) const { return hand == KAVO_HAND_2 ? m_Count2 : m_Count1; }
  const int32_t* GetCards(int32_t hand) const { return hand == KAVO_HAND_2 ? m_Cards2 : m_Cards1; }
  int32_t IsNatural() const;
  // The current hand holds exactly three cards, all sevens.
  int32_t IsTripleSeven() const;
  int32_t CanDouble() const;
  int32_t CanSplit() const;
  // The second card becomes hand 2's first; 1 when both were aces.
  int32_t DoSplit();
  void MarkDoubled(int32_t hand);
  void MarkBust();
  int32_t IsAllBust() const;
  // insured follows wanted only when the balance less the player's stakes at the table covers
  // half the bet; the insurance stake is kept as taken.
  int32_t SetInsurance(int32_t wanted);
  int32_t IsInsured() const { return m_Insured; }
  int32_t HasAnsweredInsurance() const { return m_InsuranceAnswered; }
  // Records the insurance outcome: pays credits the bet, else the insurance stake is lost.
  void ResolveInsurance(int32_t pays);
  // Pays the current hand's triple-seven bonus (booked once) and sends its packet.
  int32_t PayTripleSeven();
  // Takes (or refuses, answered with "SuccessFlag" 0 and "Bet" 0) a stake: a negative or flagged
  // amount is refused, the rest goes through the limit check against the free money. 0 only
  // when the balance cannot be read or the answer cannot be sent.
  int32_t TakeBet(const TMoney& bet, int32_t finalFlag);

  // The current hand's number as the packets carry it: 0 unsplit, else 1 or 2.
  int32_t GetHandNumber() const { return m_Split ? m_CurrentHand : KAVO_HAND_UNSPLIT; }
  const TMoney& GetHandBet() const { return m_Split && m_CurrentHand == KAVO_HAND_2 ? m_BetHand2 : m_Bet; }
  void SetCurrentHand(int32_t hand) { m_CurrentHand = hand; }
  int32_t GetCurrentHand() const { return m_CurrentHand; }
  int32_t IsSplit() const { return m_Split; }
  int32_t GetFinalFlag() const { return m_FinalFlag; }
  void SetFinalFlag(int32_t flag) { m_FinalFlag = flag ? 1 : 0; }
  int32_t GetSeat() const { return m_Seat; }
  const TMoney& GetBet() const { return m_Bet; }
  void SetBet(const TMoney& bet) { m_Bet = bet; }
  const TMoney& GetBetHand2() const { return m_BetHand2; }
  // Doubles the current hand's bet.
  void DoubleHandBet();
  void SetBetHand2(const TMoney& bet) { m_BetHand2 = bet; }
  const TMoney& GetInsuranceResult() const { return m_InsuranceResult; }
  const TMoney& GetInsuranceStake() const { return m_InsuranceStake; }
  const TMoney& GetRoundResult() const { return m_RoundResult; }
  int32_t IsBooked(int32_t mark) const { return m_Booked[mark]; }
  void ClearSettlementMarks();
  int32_t IsDoubled(int32_t hand) const { return hand == KAVO_HAND_2 ? m_Doubled2 : m_Doubled1; }
  int32_t IsBust(int32_t hand) const { return hand == KAVO_HAND_2 ? m_Bust2 : m_Bust1; }
  CBetLimitCheck& GetLimitCheck() { return m_LimitCheck; }

 protected:
  // The seat's player id at the table (0 when none).
  int32_t PlayerId() const;
  // The balance less every stake of the player at the table (the other seats' only with
  // otherSeatsOnly); 0 in free when the balance cannot be read (the errors drained through
  // format, or silently without one). 1 when read.
  int32_t ReadFreeMoney(TMoney& free, int32_t otherSeatsOnly, const char* format);
  // Books debit (type 50) and credit (type 54) in one transaction; 0 on failure.
  int32_t BookSettlement(const TMoney& debit, const TMoney& credit);
  // The items of a "KavoPlayerTableInfo" chunk.
  virtual int32_t AddTableInfoItems(CCommNode* node, int32_t successFlag);
  // The "KavoPlayerWin" chunk of a settled hand, in the table node's packet being built.
  int32_t AddWinChunk(const TMoney& net, int32_t condition, const TMoney& bet, int32_t hand, const TMoney& sideWin);
  // The side bet settled with the chunk of that hand number: its stake and net win (none here).
  virtual void SideBetOfChunk(int32_t hand, TMoney& stake, TMoney& win);
  // The side bet's items at the end of a "KavoPlayerWin" chunk (none here).
  virtual int32_t AddSideBetWin(const TMoney& win);
  int32_t* CurrentCards() { return m_Split && m_CurrentHand == KAVO_HAND_2 ? m_Cards2 : m_Cards1; }
  int32_t& CurrentCount() { return m_Split && m_CurrentHand == KAVO_HAND_2 ? m_Count2 : m_Count1; }
  const int32_t* CurrentCards() const { return m_Split && m_CurrentHand == KAVO_HAND_2 ? m_Cards2 : m_Cards1; }
  int32_t CurrentCount() const { return m_Split && m_CurrentHand == KAVO_HAND_2 ? m_Count2 : m_Count1; }

  TMoney m_Bet;
  TMoney m_BetHand2;
  int32_t m_Doubled1 = 0;
  int32_t m_Doubled2 = 0;
  TMoney m_TotalStake;
  int32_t m_Split = 0;
  int32_t m_CurrentHand = KAVO_HAND_2;
  int32_t m_Seat = 0;
  int32_t m_FinalFlag = 0;
  int32_t m_Cards1[KAVO_MAX_CARDS] = {};
  int32_t m_Cards2[KAVO_MAX_CARDS] = {};
  int32_t m_Count1 = 0;
  int32_t m_Count2 = 0;
  int32_t m_Insured = 0;
  int32_t m_InsuranceAnswered = 0;
  TMoney m_InsuranceResult;
  // Half the bet as it stood when insurance was taken; later doubles do not change it.
  TMoney m_InsuranceStake;
  int32_t m_Bust1 = 0;
  int32_t m_Bust2 = 0;
  TMoney m_RoundResult;
  CBlackJackServerTable* m_pTable = nullptr;
  CBetLimitCheck m_LimitCheck;
  int32_t m_Booked[KAVO_BOOKED_COUNT] = {};
};
