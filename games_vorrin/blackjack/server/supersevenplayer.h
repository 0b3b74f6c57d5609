// The seat record of the side-bet table: the regular record plus the one-unit "SuperSeven" side
// bet on sevens among the seat's first three cards.
#pragma once

#include "server/serverplayer.h"

class CSuperSevenServerPlayer : public CBlackJackServerPlayer {
 public:
  void Reset() override;
  // "Bet", "SuperSeven" and "finalFlag"; the side bet stands only beside an accepted regular bet
  // that leaves the free money a unit for it.
  int32_t GetIncomingBets() override;
  // The regular total plus one unit with the side bet.
  TMoney GetTotalStake() override;
  // "SSWin": the side-bet win of the seat's side-bet cards.
  int32_t AddBustData(CCommNode* node) override;
  int32_t SaveState(CServerTableBase& store) override;
  int32_t RestoreState(CServerTableBase& store) override;

  int32_t HasSideBet() const { return m_SideBet; }
  void SetSideBet(int32_t on) { m_SideBet = on ? 1 : 0; }
  // The side bet's net win in units over the cards it is decided on: the unsplit hand's first
  // three, or after a split hand 2's first three (its cards began as the pair's second).
  int32_t SideBetWinUnits() const;

 protected:
  int32_t AddTableInfoItems(CCommNode* node, int32_t successFlag) override;
  void SideBetOfChunk(int32_t hand, TMoney& stake, TMoney& win) override;
  int32_t AddSideBetWin(const TMoney& win) override;

  int32_t m_SideBet = 0;
};
