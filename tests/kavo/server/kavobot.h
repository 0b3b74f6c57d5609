// A headless player for the blackjack server table: it reads what the table sends on the client's
// table node and answers as a client table would (bets, decisions at random, insurance answers,
// "PresentationDone"), sends stray and malformed records when told to, and keeps a ledger of what
// the settlement, natural, bonus and insurance records say it won or lost.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "ostrel/base/money.h"

class CCommNode;
class CServerTableBase;
class CTestClock;

class CKavoBot {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  CKavoBot(CCommNode& table, int32_t playerId, std::vector<int32_t> seats, uint32_t seed);
  // Several players, each at his seat (seat, player id).
  CKavoBot(CCommNode& table, const std::vector<std::pair<int32_t, int32_t>>& seatPlayers, uint32_t seed);

  // Reads every record waiting and answers it.
  void Poll();

  // Places the side bet with every bet.
  void SetSideBet(bool on) { m_SideBet = on; }
  // Percent of answers followed by a stray record (another seat's or player's decision, a
  // repeated one, an unknown value, an answer no state expects); malformed records (no "Action")
  // come at a tenth of that rate and get the user crashed.
  void SetMischief(int32_t percent) { m_Mischief = percent; }
  // Always stand (and never take insurance).
  void SetStandOnly(bool on) { m_StandOnly = on; }
  // Bets this amount on every seat (0: at random).
  void SetBet(int32_t amount) { m_FixedBet = amount; }
  // Decisions and insurance answers (one a seat, in the order the seats were given) taken in turn
  // from these lists while they last, and the side bet of each round (cycled), instead of chance.
  void Script(std::deque<int32_t> actions, std::deque<int32_t> insurance, std::vector<bool> sideBets = {}) {
    m_ScriptedActions = std::move(actions);
    m_ScriptedInsurance = std::move(insurance);
    m_SideBetRounds = std::move(sideBets);
  }
  size_t ScriptedActionsLeft() const { return m_ScriptedActions.size(); }

  const TMoney& Ledger() const { return m_Ledger; }
  int64_t Rounds() const { return m_Rounds; }
  int64_t Settlements() const { return m_Settlements; }

 private:
  struct SSeat {
    int32_t m_Seat = 0;
    int32_t m_PlayerId = 0;
    TMoney m_Bet;
    bool m_Side = false;
    bool m_Insured = false;
    TMoney m_Insurance;  // announced, booked with the first settled hand
  };
  SSeat* Find(int32_t seat);
  void Handle(const std::string& record);
  void HandleChunk(const std::string& chunk, int32_t pays);
  void Send(int32_t playerId, int32_t seat, const char* name, const std::string& items);
  std::string SideBetItem(bool side) const;
  void Decide(const SSeat& seat);
  void Stray(const SSeat& seat);
  bool Chance(int32_t percent) { return static_cast<int32_t>(m_Random() % 100) < percent; }

  CCommNode& m_Table;
  std::vector<SSeat> m_Seats;
  std::mt19937 m_Random;
  bool m_SideBet = false;
  bool m_StandOnly = false;
  int32_t m_FixedBet = 0;
  std::deque<int32_t> m_ScriptedActions;
  std::deque<int32_t> m_ScriptedInsurance;
  std::vector<bool> m_SideBetRounds;
  int32_t m_Mischief = 0;
  int32_t m_TurnSeat = -1;
  bool m_PresentationDue = false;
  TMoney m_Ledger;
  int64_t m_Rounds = 0;
  int64_t m_Settlements = 0;
};

// The value of "Name = value" in a flattened record or chunk; "" when missing.
std::string KavoItem(const std::string& text, const std::string& name);

// Runs the table's tick and the bot, the clock half a second a tick, until the bot has seen
// rounds + 1 new rounds (so rounds whole rounds), at most 400 ticks a round; newRound (the count
// of new rounds seen) runs as each one's record arrives. Stops at the first fatal failure.
void KavoPlayRounds(CServerTableBase& table, CKavoBot& bot, CTestClock& clock, int64_t rounds,
                    const std::function<void(int64_t)>& newRound);
