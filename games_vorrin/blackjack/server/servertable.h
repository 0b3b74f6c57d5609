// The server half of a blackjack table: the seats' records, the shoe, the limits, bets,
// decisions, insurance and settlement. The regular (1020), side-bet (1021) and one-deck (1022)
// tables share it; the game id is the table id / 1000. For play for fun the module builds it in
// the client's process and the framework runs it each frame before the client table.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "common/tables/servertablebase.h"
#include "kavoprotocol.h"
#include "server/serverplayer.h"

class CDeck;

// Rounds' states of the table's own round (gameState).
enum EKavoRoundState : int32_t {
  KAVO_RS_DEAL = 1,
  KAVO_RS_NEXTSEAT = 2,
  KAVO_RS_AWAITACTION = 3,
  KAVO_RS_ENDOFROUND = 4,
  KAVO_RS_DEALERPLAYS = 5,
  KAVO_RS_SETTLE = 6,
  KAVO_RS_OFFERINSURANCE = 7,
  KAVO_RS_COLLECTINSURANCE = 8,
  KAVO_RS_PEEK = 9,
  KAVO_RS_FINDNATURAL = 10,
  KAVO_RS_PAYNATURAL = 11,
  KAVO_RS_ALLBUST = 12,
};

inline constexpr int32_t KAVO_BETLIMITS = 6;   // minimum and maximum of levels 1, 2, 3
inline constexpr int32_t KAVO_TIMELIMITS = 2;  // decision seconds of levels 1, 2
inline constexpr int32_t KAVO_SHOE_DECKS = 6;
// A client's action arrives within the decision time plus this grace (seconds).
inline constexpr int32_t KAVO_ACTION_GRACE = 17;

class CBlackJackServerTable : public CServerTableBase {
 public:
  CBlackJackServerTable();
  ~CBlackJackServerTable() override;

  // ---- the framework's operations ----
  int32_t GetNumSlots() override { return KAVO_NUM_SEATS; }
  // "MKAVO", "MSSKAVO", "MKAVOONE" by the game id; empty for another id.
  const char* GetGameName() override;
  int32_t CreateGamePlayer(int32_t seat, int32_t playerId) override;
  int32_t DeleteGamePlayer(int32_t seat) override;
  // Clears the peek and insurance marks, prepares every seat and resets the dealer's hand.
  int32_t NewRoundStarted() override;
  // The records (seats 0..5), the table-record parser and the shoe; 0 for another game id.
  int32_t InitServerGame() override;
  int32_t ExitServerGame() override;
  int32_t IsBetInSlot(int32_t seat) override;
  // One step of the round (EKavoRoundState); 0 on a failed send, an empty shoe or a failed
  // decision.
  int32_t GameHandler() override;
  // One packet with a "KavoPlayerTableInfo" of every occupied seat.
  int32_t StartPlay() override;
  int32_t HandleBetPacket() override;
  // Prepares an occupied seat: its record reset, in the round, thinking.
  int32_t SlotChanged(int32_t seat) override;
  int32_t RemoveBetFlagForInvalidPlayers(int32_t seat) override;
  // "MinTable", "MaxTable", "BetSign", "ValidDoubleSumsCount" and, when any, "ValidDoubleSums".
  int32_t AddGameSpecData() override;
  int32_t StoreGame() override;
  int32_t RestoreGame() override;
  // A restored round gets a new hole card, within what its players have already learnt; 0 when
  // the shoe is empty.
  int32_t RestoreGameAlterationCallback() override;
  // Every stake of the player's seats (the error flag carried).
  int32_t GetPendingCash(TMoney& amount, int32_t playerId) override;
  int32_t IsPlayerInGame(int32_t playerId) override;
  // The limits script the module reads for this table.
  virtual const char* GetLimitsScriptName() const { return KAVO_LIMITS_REGULAR; }

  // ---- settings (before InitTable) ----
  void SetBetLimits(const int32_t (&limits)[KAVO_BETLIMITS]);
  void SetTimeLimits(const int32_t (&limits)[KAVO_TIMELIMITS]);
  // The list is emptied and refilled in order; a count below 1 leaves it empty.
  void SetValidDoubleSums(int32_t count, const uint32_t* sums);
  void SetTripleSevenEnabled(int32_t on) { m_TripleSevenEnabled = on; }
  void SetDrawOnSoft17(int32_t on) { m_DrawOnSoft17 = on; }
  int32_t GetBetLimit(int32_t index) const;
  int32_t GetTimeLimit(int32_t index) const;
  const std::vector<uint32_t>& GetValidDoubleSums() const { return m_ValidDoubleSums; }
  int32_t GetSettledCards() const { return m_SettledCards; }
  int32_t GetTripleSevenEnabled() const { return m_TripleSevenEnabled; }
  int32_t GetDrawOnSoft17() const { return m_DrawOnSoft17; }

  // ---- the table record ----
  // The creator's callback: context is the table. 1 accepts the record.
  static int32_t ParseTableRecord(void* context, c2stovaTable* record);
  // Owner, decision time (time level 1..2), limits and "BetSign" (limit level 1..3); at the
  // one-deck table the fourth field must be 2 or 4 and the shoe becomes one deck. 0 refuses.
  int32_t ParseRecord(const c2stovaTable& record);

  // ---- the shoe ----
  // Installs a shoe (owned; the old one goes); tests deal a scripted sequence through it.
  void SetShoe(CDeck* shoe);
  CDeck* GetShoe() const { return m_pShoe; }

  // ---- the round's operations ----
  // A betting seat with its final bet whose hands are not all bust.
  int32_t IsSeatStillPlaying(int32_t seat);
  int32_t AnySeatStillPlaying();
  // The highest betting seat below the given one; -1 when none.
  int32_t NextBettingSeat(int32_t below);
  int32_t SeatsWithFinalBet();
  // A seat with a player, in the round and with the framework's bet flag.
  int32_t IsBettingSeat(int32_t seat);
  // One card from the shoe to the seat's current hand ("Card"), or to the dealer ("DealerCard").
  // 0 when the shoe is empty or the packet fails; a hand full of cards refuses the card, which
  // goes back to the shoe (1, nothing sent).
  int32_t DealCard(int32_t seat);
  // A known card to the dealer's hand and its "DealerCard".
  int32_t DealDealerCard(int32_t code);
  // The current seat's decision (0..5; other values are ignored). turnDone 1 when the seat's
  // turn is over. 0 when a send fails or the shoe is empty.
  int32_t PlayAction(int32_t action, int32_t& turnDone);
  // Reads the table node's received record for the current seat's "KavoPlayerAction"; 1 with
  // the action when one came. Other seats' chunks are consumed; a chunk without "Action" crashes
  // its user.
  int32_t ReadAction(int32_t& action);
  // Every "KavoInsurance" chunk of the received record: the answer taken and echoed.
  int32_t ReadInsurance();
  // One seat's insurance answer, checked against the funds and echoed ("Slot", "Insurance").
  int32_t AnswerInsurance(int32_t seat, int32_t wanted);
  // The insurance result packet; pays when the hole card is ten-value.
  int32_t ResolveInsurance(int32_t& pays);
  // Settles every betting seat in one "KavoPlayerWin" packet (hand 2 before hand 1); a seat whose
  // booking fails is crashed, the others are settled. anySettled tells whether a chunk went.
  int32_t SettleAllSeats(int32_t& anySettled);
  // Pays a natural as against a dealer of 22 with three cards, in a packet of its own.
  int32_t PayNatural(int32_t seat);
  // "ChangeGameState" 4, "Turn", 10, "PlayerTimeOut" (decision time + extra), 5; time-out
  // started.
  int32_t StartTurn(int32_t extraSeconds);
  int32_t SendPlayerTimeOut(int32_t seconds);

  // ---- state ----
  CBlackJackServerPlayer* GetPlayer(int32_t seat) const;
  CBlackJackServerPlayer* GetDealer() const { return GetPlayer(KAVO_DEALER); }
  int32_t GetCurrentSeat() const { return m_CurrentSeat; }
  void SetCurrentSeat(int32_t seat) { m_CurrentSeat = seat; }
  int32_t GetHoleCard() const { return m_HoleCard; }
  void SetHoleCard(int32_t code) { m_HoleCard = code; }
  int32_t GetPeekDone() const { return m_PeekDone; }
  void SetPeekDone(int32_t on) { m_PeekDone = on; }
  int32_t GetInsuranceDone() const { return m_InsuranceDone; }
  void SetInsuranceDone(int32_t on) { m_InsuranceDone = on; }
  const TMoney& GetMinTable() const { return m_MinTable; }
  const TMoney& GetMaxTable() const { return m_MaxTable; }
  int32_t GetDecisionTime() const { return m_DecisionTime; }
  int32_t GetLimitLevel() const { return m_LimitLevel; }
  int32_t IsOneDeck() const { return m_OneDeck; }
  int32_t GetRoundState() const { return m_RoundState; }
  void SetRoundState(int32_t state) { m_RoundState = state; }
  int32_t GetCardsSincePause() const { return m_CardsSincePause; }
  void SetCardsSincePause(int32_t cards) { m_CardsSincePause = cards; }
  void AddSettledCards(int32_t cards) { m_SettledCards += cards; }
  void SetSettledCards(int32_t cards) { m_SettledCards = cards; }
  int32_t GetGameId() const { return static_cast<int32_t>(GetTableId() / 1000); }

 protected:
  // The steps of the round handler.
  int32_t StepDeal();
  int32_t StepNextSeat();
  int32_t StepAwaitAction();
  int32_t StepDealerPlays();
  int32_t StepSettle();
  int32_t StepOfferInsurance();
  int32_t StepCollectInsurance();
  int32_t StepPeek();
  int32_t StepFindNatural();
  int32_t StepPayNatural();
  int32_t StepAllBust();
  // The next betting seat below the current one becomes current; when none is left the dealer's
  // does and the round goes to noneState (-1 then).
  int32_t TakeNextSeat(int32_t noneState);
  // The seat's "Turn" with its current hand, in a packet of its own.
  int32_t SendTurnChunk(int32_t seat);
  // One card to every betting seat, highest first.
  int32_t DealPass();
  // The current seat did not act in time: its open hands go bust and its user is crashed.
  int32_t Forfeit();
  void Pause(int32_t ms);
  // Every record waiting on the table node is received and handed to read (null: consumed
  // unread), so that none is left to stall the round; 0 when read failed.
  int32_t ForEachRecord(const std::function<int32_t()>& read);
  // A new record for a seat of this game.
  virtual CBlackJackServerPlayer* NewPlayerRecord();
  // Reads the seat's next private chunk of that name with a valid seat and matching player;
  // 1 with seat -1 when none is left.
  int32_t NextClientChunk(const char* name, int32_t& seat, int32_t& playerId);
  int32_t SendCardPacket(int32_t seat, int32_t code);
  int32_t SendSeatChunk(int32_t seat, const char* name);
  int32_t SendBust();
  int32_t SwitchToHand1();
  int32_t EndTurn(int32_t clearThinking, int32_t& turnDone);
  int32_t Hit(int32_t& turnDone);
  int32_t Stand(int32_t& turnDone);
  int32_t Bust(int32_t& turnDone);
  int32_t Double(int32_t& turnDone);
  int32_t Split(int32_t& turnDone);
  // The triple-seven bonus of the current hand when the table pays it; a failed booking
  // crashes the user (1 then, with crashed set).
  int32_t CheckTripleSeven(int32_t& crashed);
  // The balance less the player's stakes at the table; 0 when unreadable (errors drained).
  TMoney FreeMoneyForDecision(int32_t seat);
  int32_t OccupiedSeats() const;

  int32_t m_CurrentSeat = KAVO_NUM_SEATS;
  int32_t m_HoleCard = 0;
  int32_t m_PeekDone = 0;
  int32_t m_InsuranceDone = 0;
  int32_t m_BetLimits[KAVO_BETLIMITS] = {};
  int32_t m_TimeLimits[KAVO_TIMELIMITS] = {};
  int32_t m_TripleSevenEnabled = 0;
  std::vector<uint32_t> m_ValidDoubleSums;
  TMoney m_MinTable{5};
  TMoney m_MaxTable{500};
  int32_t m_DecisionTime = 30;
  int32_t m_SettledCards = 0;
  int32_t m_CardsSincePause = 0;
  int32_t m_DrawOnSoft17 = 0;
  CDeck* m_pShoe = nullptr;
  int32_t m_LimitLevel = 0;
  int32_t m_OneDeck = 0;
  CBlackJackServerPlayer* m_pPlayers[KAVO_NUM_SEATS + 1] = {};
  int32_t m_RoundState = KAVO_RS_DEAL;
};

class CSuperSevenServerTable : public CBlackJackServerTable {
 public:
  const char* GetLimitsScriptName() const override { return KAVO_LIMITS_SUPERSEVEN; }
};

class COneDeckServerTable : public CBlackJackServerTable {
 public:
  const char* GetLimitsScriptName() const override { return KAVO_LIMITS_ONEDECK; }
};
