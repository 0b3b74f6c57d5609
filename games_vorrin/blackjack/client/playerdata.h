// The client table's record of one seat (or of the dealer): the seat's bets, its one or two
// hands in the card scene's pockets, the last results the server sent, and the seat's items of
// the blackjack packets.
#pragma once

#include <cstdint>

#include "ostrel/base/money.h"

class CBlackJackClientTable;
class CCommNode;
class CPocket;

class CBlackJackPlayerData {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  CBlackJackPlayerData() = default;
  virtual ~CBlackJackPlayerData() = default;
  CBlackJackPlayerData(const CBlackJackPlayerData&) = delete;
  CBlackJackPlayerData& operator=(const CBlackJackPlayerData&) = delete;

  // ---- virtual operations ----
  // The old bet becomes the bet when player protection allows it and the seat's free money
  // covers it; else nothing is committed. 1 when it was restored.
  virtual int32_t RestoreOldBet();
  virtual void SaveOldBet();
  // A new round: money and flags cleared, the seat's three pockets emptied.
  virtual void Reset();
  virtual TMoney GetTotalStake(int32_t withInsurance);
  virtual TMoney GetTotalWin();
  // From the entered "KavoPlayerWin" chunk of the node's received record; the hand the result
  // belongs to (1 or 2), or 0 with the record unchanged when an item is missing or bad.
  virtual int32_t ReadWin(CCommNode* node, int32_t& hand);
  // From the entered "KavoPlayerTableInfo" chunk; changed tells whether a bet moved. 0 with the
  // record unchanged when an item is missing or bad.
  virtual int32_t ReadTableInfo(CCommNode* node, int32_t& changed);
  // Into the "KavoPlayerBet" chunk being built.
  virtual int32_t WriteBet(CCommNode* node, int32_t finalFlag);
  // The game's items of a "Bust" chunk.
  virtual int32_t ReadBust(CCommNode* node);

  // ---- the seat and its pockets ----
  void Attach(CBlackJackClientTable* table, int32_t seat, int32_t isDealer);
  // The pocket the current hand lives in: the seat's, or the current split pocket.
  int32_t GetCurrentPocket() const;
  int32_t GetPocketHand1() const { return m_PocketHand1; }
  int32_t GetPocketHand2() const { return m_PocketHand2; }
  // On the current hand's pocket. AddCard refuses a card code off the deck or a full pocket.
  int32_t AddCard(int32_t code);
  int32_t GetNumCards() const;
  int32_t RemoveCards();
  int32_t GetHandTotals(int32_t& soft, int32_t& hard) const;
  int32_t CanDouble(const TMoney& freeMoney) const;
  int32_t CanSplit(const TMoney& freeMoney);
  // 1 when both cards were aces; 0 also when the seat cannot be split.
  int32_t DoSplit();
  void MarkDoubled();
  void MarkDone();
  // Cards drawn as they rest; no animation.
  int32_t ShowCard(int32_t code);
  // Starts the current pocket's last card (the dealer with special: the next hidden card) on its
  // way; while reconnecting it lands at once. 0 when there is no such card or move.
  int32_t AnimateCard(int32_t special);
  int32_t DrawHand();
  int32_t DrawCurrentHand();
  int32_t DrawInsuranceChips();
  // insured = wanted when the seat's free money covers half the bet, else 0; the result.
  int32_t SetInsured(int32_t wanted);

  // ---- accessors; hand 0 or 1 is the first hand, 2 the second, others answer 0 ----
  void SetCurrentHand(int32_t hand) { m_CurrentHand = hand; }
  int32_t GetCurrentHand() const { return m_CurrentHand; }
  int32_t IsSplit() const { return m_Split; }
  int32_t IsDoubled() const { return m_Split && m_CurrentHand == 2 ? m_Doubled2 : m_Doubled1; }
  int32_t IsDoubledHand1() const { return m_Doubled1; }
  int32_t IsDoubledHand2() const { return m_Doubled2; }
  void SetWon(int32_t won) { m_Won = won; }
  int32_t HasWon() const { return m_Won; }
  int32_t IsDone(int32_t hand) const;
  TMoney GetBet(int32_t hand) const;
  void SetBet(int32_t hand, const TMoney& amount);
  TMoney GetReportedBet(int32_t hand) const;
  void SetReportedBet(int32_t hand, const TMoney& amount);
  TMoney GetWin(int32_t hand) const;
  void SetWin(int32_t hand, const TMoney& amount);
  int32_t GetWinCondition(int32_t hand) const;
  const TMoney& GetInsuranceStake() const { return m_InsuranceStake; }
  void SetInsuranceStake(const TMoney& amount) { m_InsuranceStake = amount; }
  const TMoney& GetOldBet() const { return m_OldBet; }
  void SetOldBet(const TMoney& amount) { m_OldBet = amount; }
  int32_t IsInsured() const { return m_Insured; }
  int32_t IsWon() const { return m_Won; }
  int32_t IsBetPlaced() const { return m_BetPlaced; }
  void SetBetPlaced(int32_t placed) { m_BetPlaced = placed; }
  int32_t IsDealer() const { return m_IsDealer; }
  int32_t GetSeat() const { return m_Seat; }
  const TMoney& GetStoredTotalStake() const { return m_TotalStake; }
  CBlackJackClientTable* GetTable() const { return m_pTable; }

 protected:
  // The items every record reads from a settlement or table-info chunk, checked.
  struct SWinItems {
    TMoney Win, Bet, BetHand2;
    int32_t Condition = 0, Split = 0;
  };
  static int32_t ReadWinItems(CCommNode* node, SWinItems& items);
  static int32_t ReadMoneyItem(CCommNode* node, const char* name, TMoney& into);
  static int32_t ReadLongItem(CCommNode* node, const char* name, int32_t& into);
  void StoreWin(const SWinItems& items, int32_t& hand);
  // The seat's free money: its cash less what the table holds for it.
  TMoney GetFreeMoney() const;
  // The old bet through player protection and the free money; 1 when committed.
  int32_t CommitRestoredBet(const TMoney& stake);
  CPocket* Pocket(int32_t p) const;
  int32_t DrawPocket(int32_t p);
  // A chip stack of the amount stamped at a bet spot / insurance spot of the seat.
  int32_t StampAtSpot(const TMoney& amount, int32_t spot);
  int32_t StampAtInsuranceSpot(const TMoney& amount, int32_t spot);

  TMoney m_Bet;
  TMoney m_BetHand2;
  TMoney m_ReportedBet;
  TMoney m_ReportedBetHand2;
  TMoney m_WinAmount1;
  int32_t m_WinCondition1 = 0;
  TMoney m_WinAmount2;
  int32_t m_WinCondition2 = 0;
  TMoney m_InsuranceStake;
  int32_t m_Insured = 0;
  TMoney m_OldBet;
  int32_t m_BetPlaced = 0;
  int32_t m_Won = 0;
  int32_t m_DoneUnsplit = 0, m_DoneHand1 = 0, m_DoneHand2 = 0;
  TMoney m_TotalStake;
  int32_t m_Doubled1 = 0, m_Doubled2 = 0;
  int32_t m_Split = 0;
  int32_t m_CurrentHand = 2;
  int32_t m_IsDealer = 0;
  int32_t m_Seat = 0;
  int32_t m_PocketHand1 = 0, m_PocketHand2 = 0;
  CBlackJackClientTable* m_pTable = nullptr;
};

// The record of a seat at the table with the SuperSeven side bet: a one-unit bet that the seat's
// first cards are sevens.
class CSuperSevenPlayerData : public CBlackJackPlayerData {
 public:
  int32_t RestoreOldBet() override;
  void SaveOldBet() override;
  void Reset() override;
  TMoney GetTotalStake(int32_t withInsurance) override;
  TMoney GetTotalWin() override;
  int32_t ReadWin(CCommNode* node, int32_t& hand) override;
  int32_t ReadTableInfo(CCommNode* node, int32_t& changed) override;
  int32_t WriteBet(CCommNode* node, int32_t finalFlag) override;
  int32_t ReadBust(CCommNode* node) override;

  int32_t CountSevens() const;
  int32_t GetSideBet() const { return m_SideBet; }
  void SetSideBet(int32_t on) { m_SideBet = on ? 1 : 0; }
  int32_t GetPreviousSideBet() const { return m_PreviousSideBet; }
  int32_t IsSideBetShown() const { return m_SideBetShown; }
  void SetSideBetShown(int32_t shown) { m_SideBetShown = shown; }
  const TMoney& GetSSWin() const { return m_SSWin; }

  // The side bet's stake.
  static TMoney Unit() { return TMoney(1); }

 private:
  int32_t m_PreviousSideBet = 0;
  int32_t m_SideBetShown = 0;
  int32_t m_SideBet = 0;
  TMoney m_SSWin;
};
