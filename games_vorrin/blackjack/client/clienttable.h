// The client half of a blackjack table: the regular table (game "MKAVO") and the one-deck game
// ("MKAVOONE", which differs only in its names). It owns what the player sees at the table: the
// scripts, dialogs, chip stacks, seat arrow and spot highlight, the 3-D card table with the
// records of the five seats and the dealer, the sounds, and the player's actions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "betlimitcheck.h"
#include "client/kavolayout.h"
#include "common/tables/clienttablebase.h"
#include "fennic/cardtable.h"
#include "kavoprotocol.h"
#include "ostrel/containers/rect.h"
#include "ostrel/dialogs/dialog.h"
#include "ostrel/resources/resdata.h"
#include "ostrel/system/timers.h"

class C3DMoveList;
class CArrow;
class CBitmap;
class CBlackJackPlayerData;
class CChipStack;
class CObject;
class CPlayerIcon;
class CProgress;
class CSampleContainer;
class CSpotHighlight;
class CStatic;
class CTranslate;

inline constexpr const char* KAVO_SCRIPT_LIMITS = "xrs/kavo_limits.xrs";
inline constexpr const char* KAVO_SCRIPT_MAIN = "xrs/kavo_main.xrs";
inline constexpr const char* KAVO_SCRIPT_ONEDECK_LIMITS = "xrs/kavo_onedeck_limits.xrs";
inline constexpr const char* KAVO_SCRIPT_ONEDECK_MAIN = "xrs/kavo_onedeck_main.xrs";

// Strings of the main script the table itself answers with.
enum : int32_t {
  KAVOSTR_HELP = 10500,
  KAVOSTR_LIVESUPPORT = 10501,
  KAVOSTR_FKEYHELP = 10502,
  KAVOSTR_HELPERROR = 10503,
};

inline constexpr int32_t KAVO_RECORDS = KAVO_NUM_SEATS + 1;  // the seats and the dealer
inline constexpr int32_t KAVO_SAMPLES = 110;
inline constexpr int32_t KAVO_VIEW_DEFAULT = 2;
inline constexpr int32_t KAVO_TIMER_MS = 20;
inline constexpr int32_t KAVO_SAMPLE_CARD = 1;
inline constexpr int32_t KAVO_SAMPLE_SPECIALCARD = 6;
inline constexpr int32_t KAVO_ACTION_PENDING_NONE = 0;

class CBlackJackClientTable : public CClientTableBase, public CTimer {
 public:
  CBlackJackClientTable();
  ~CBlackJackClientTable() override;
  CBlackJackClientTable(const CBlackJackClientTable&) = delete;
  CBlackJackClientTable& operator=(const CBlackJackClientTable&) = delete;

  // ---- the framework's operations answered by the table class itself ----
  int32_t GetNumSlots() override { return KAVO_NUM_SEATS; }
  const char* GetGameName() override { return KAVO_GAME_REGULAR; }
  // A player came to or left a seat: the seat's record starts afresh.
  int32_t CreateGamePlayer(int32_t seat, int32_t playerId) override;
  int32_t DeleteGamePlayer(int32_t seat) override;
  const char* GetHelpURL() override { return MainString(KAVOSTR_HELP); }
  const char* GetFKeyHelpURL() override { return MainString(KAVOSTR_FKEYHELP); }
  const char* GetHelpErrText() override { return MainString(KAVOSTR_HELPERROR); }
  const char* GetLiveSupportURL() override { return MainString(KAVOSTR_LIVESUPPORT); }

  // ==== set-up, layout, camera views and card moves (tablesetup.cpp, layoutkeys.cpp, cameraview.cpp, cardmoves.cpp) ====
  // The table built from its main script, or 0 with everything made so far taken down again.
  int32_t InitClientGame() override;
  int32_t ExitClientGame() override;
  // The framework's numbered game operations, each the named step below.
  int32_t GameOp15() override { return LoadSmallChips(); }
  int32_t GameOp16() override { return FreeTablePictures(); }
  int32_t GameOp17() override { return LoadSounds(); }
  int32_t GameOp18() override { return ReadLayoutKeys(); }
  int32_t GameOp19() override { return LoadMainScriptAndDialogs(); }
  int32_t GameOp20() override { return FreeMainScriptAndDialogs(); }
  // "smallChipBm1" to "smallChipBm5"; 0 at the first one missing.
  virtual int32_t LoadSmallChips();
  // The view's table picture and spot map deleted; 1.
  virtual int32_t FreeTablePictures();
  // Samples 0-40 when the caller gave a music object, 41 and 42 whenever named; 1.
  virtual int32_t LoadSounds();
  // The data chunk's layout keys, checked; 0 (naming the key) at the first missing or bad one.
  virtual int32_t ReadLayoutKeys();
  // The main script, the main dialog, the action and second dialogs (made by the panel) and the
  // five insurance windows, hidden; 0 at the first that fails.
  virtual int32_t LoadMainScriptAndDialogs();
  virtual int32_t FreeMainScriptAndDialogs();
  static constexpr int32_t KAVO_SMALL_CHIPS = 5;
  // on: the view's picture shown and the panel slid home; off: the table greyed.
  int32_t SetRoundActive(int32_t on) override;
  // The table's 20 ms tick: carries out the pending table-info popup request.
  void TimerHandler(uint32_t period) override;
  // 1 shows, 2 hides the table-info popup on the next tick.
  void RequestTableInfoPopup(int32_t request) { m_TableInfoRequest = request; }
  int32_t GetTableInfoRequest() const { return m_TableInfoRequest; }
  int32_t IsGreyed() const { return m_Greyed; }
  CBitmap* GetSmallChip(int32_t i) const { return i >= 0 && i < KAVO_SMALL_CHIPS ? m_pSmallChips[i] : nullptr; }
  const std::vector<CRect>& GetClearAreas() const { return m_ClearAreas; }
  CSpotHighlight* GetSpotHighlight() const { return m_pSpotHighlight; }
  CDialog* GetTableInfoPopup() const { return m_pTableInfoPopup; }
  CDialog& GetMainDialog() { return m_MainDialog; }
  CDialog* GetActionDialog() const { return m_pActionDialog; }
  CDialog* GetSecondDialog() const { return m_pSecondDialog; }
  CDialog* GetInsuranceDialog(int32_t seat) const { return seat >= 0 && seat < KAVO_NUM_SEATS ? m_pInsuranceDlg[seat] : nullptr; }
  CBitmap* GetTablePicture() const { return m_pTablePicture; }
  void SetBetSign(int32_t sign) { m_BetSign = sign; }
  // The view of seat `view` (0-4): camera, pictures, control places, projected spots. 0 when a
  // picture, the arrow's texture or the arrows fail.
  virtual int32_t SetCameraView(int32_t view);
  // One card of the end-of-round clearing per call; `done` is set after the last.
  virtual int32_t ClearHandsStep(int32_t& done);
  virtual int32_t ClearDealerCard(int32_t& done);
  // Redraw the seats' cards, clipped to `rect` grown by 2 pixels when one is given.
  virtual void RedrawAllHands(const CRect* rect);
  virtual void RedrawOtherHands(int32_t seat, const CRect* rect);
  virtual void RedrawHandsInRect(int32_t seat, const CRect* rect);
  virtual void RestoreClearAreas();
  virtual void EraseDealerPlaceholder();
  virtual void CloseTableInfoPopup();
  // The scripted deals of every pocket; 0 when no template card can be had.
  int32_t BuildMoveTable();
  void FreeMoveTable();
  // A new list of a move type for card `card` of a pocket, built on `object` and positioned at its
  // first move; the table keeps it and its moves until FreeMoveTable. Null for an unknown type.
  C3DMoveList* CreateMoveList(int32_t type, int32_t card, CObject* object);
  // The current view's spot map (null before the first view).
  CBitmap* GetSpotMap() const { return m_pSpotMap; }
  // A seat's hand-out point on the screen in the current view.
  bool GetHandoutSpot(int32_t seat, int32_t spot, int32_t& x, int32_t& y) const;
  int32_t GetDealerValueX() const { return m_DealerValuePos[0]; }
  int32_t GetDealerValueY() const { return m_DealerValuePos[1]; }
  // ==== end of set-up, layout, camera views and card moves ====


  // ==== betting, seats and chip stacks (betting.cpp, seats.cpp, chipstacks.cpp) ====
  int32_t GameSpecReceived() override { return ReadTableLimits(); }
  int32_t BetHandler() override { return BetClick(); }
  int32_t BettingHandler() override { return BetClickAllowed(); }
  int32_t BetDone() override { return CloseBetting(); }
  int32_t SetOldBet() override { return RepeatBets(); }
  int32_t PlayerLeftSlot(int32_t seat, int32_t playerId) override { return SeatFreed(seat, playerId); }
  int32_t SlotAllocated(int32_t seat, int32_t playerId, int32_t answer) override {
    return SeatAllocated(seat, playerId, answer);
  }
  int32_t SeatRequestDone() override { return CanRequestSeat(); }
  TMoney GetClientPlayerTotalBet() override { return OwnTotalBet(); }
  // The limits of the player node's "GameSpec" chunk; 0 for a missing, negative or malformed one,
  // which leaves the limits in force.
  int32_t ReadTableLimits();
  // One frame of the mouse over the bet spots; 0 only when the seat list cannot be read.
  virtual int32_t BetClick();
  // Reads the waiting table-information records; 0 when that failed.
  int32_t BetClickAllowed();
  // Betting time is over: the final bets sent, the refused ones given back.
  int32_t CloseBetting();
  // Last round's bets again, once a round.
  int32_t RepeatBets();
  int32_t SeatAllocated(int32_t seat, int32_t playerId, int32_t result);
  int32_t SeatFreed(int32_t seat, int32_t playerId);
  // 1 when no seat request is wanted now.
  int32_t CanRequestSeat();
  TMoney OwnTotalBet();
  // The seat's bet grows by `amount` (negative takes chips off) once the limits allow it: 1 when
  // the bet stands (and was sent with `send`), 0 when refused, -1 when it could not be sent (the
  // record unchanged but for 1).
  virtual int32_t ChangeBet(int32_t amount, int32_t seat, int32_t send);
  virtual int32_t SendPlayerBet(int32_t seat, int32_t final);
  virtual int32_t UpdateBetTexts();
  // Rebuilds the stacks of every seat from the bets, or from the server's reported ones; only
  // when bets changed since the last rebuild. `seat` is kept for the callers.
  virtual int32_t UpdateChipStacks(int32_t seat, int32_t reported);
  virtual void UpdateDealButton();
  // The deal button (413) and the repeat button (416) for an own bet of `amount`.
  void SetBetButtons(const TMoney& amount);
  // Over every seat of the seat's player.
  TMoney PlayerTotalBet(int32_t seat) const;
  TMoney PlayerTotalReturn(int32_t seat) const;
  // 1 when the player's net result is above zero.
  int32_t PlayerNetWin(int32_t seat) const;
  // Insurance stacks on the seat's insurance spots.
  virtual void ShowInsuranceChips(int32_t seat, const TMoney& amount);
  virtual void DrawInsuranceChips(int32_t seat);
  virtual void HideSpotChips(int32_t seat, int32_t spot);
  virtual void HideSeatChips(int32_t seat);
  virtual void HideInsuranceChips(int32_t seat);
  // A refusal or notice in the panel's chat as "<Dealer> text".
  void SayDealer(const char* text);

  // Round flags the round packets and game states read and reset.
  int32_t IsBettingClosed() const { return m_BettingClosed; }
  int32_t IsBetPlacedThisRound() const { return m_BetPlacedThisRound; }
  // A new round: betting open, nothing placed, the stacks to be rebuilt.
  void OpenBetting();
  void MarkBetsChanged() { m_BetsChanged = 1; }
  int32_t IsOneDeck() const { return m_OneDeck; }
  // Betting runs and has not been closed.
  int32_t IsBettingOpen() const;
  // The stack a bet spot shows, in whole units (0 none).
  int32_t GetSpotAmount(int32_t seat, int32_t spot) const;
  // The seat a request is pending for (-1 none) and a seat's pending bet.
  int32_t GetSeatRequest() const { return m_SeatRequest; }
  int32_t GetPendingBet(int32_t seat) const;
  // Seats the player holds, and the most he may hold at this table.
  int32_t OwnSeatCount() const;
  int32_t MaxOwnSeats() const;
  // The last "<Dealer>" line said.
  const char* GetLastDealerLine() const { return m_LastDealerLine; }
  // The chip control of a bet spot (seat 0-4, spot 0-8) or of an insurance spot (0-1).
  CStatic* GetSpotChipStatic(int32_t seat, int32_t spot) const;
  CStatic* GetInsuranceChipStatic(int32_t seat, int32_t spot) const;

  // What a right click takes off a bet of `bet` whole units: the largest of 500, 100, 25, 5 and 1
  // that divides it (0 for no bet).
  static int32_t RightClickAmount(int32_t bet);
  // The seat (0-4) of a spot map value, -1 for none.
  static int32_t SeatOfSpotValue(int32_t value);
  // The stack amounts of one hand on its three spots (outer, middle, outer), whole units.
  static void HandSpotAmounts(int32_t amount, int32_t doubled, int32_t (&spots)[3]);
  // ==== end of betting, seats and chip stacks ====


  // ==== round packets, seat icons and table display (roundpackets.cpp, tabledisplay.cpp, playericons.cpp) ====
  int32_t NewRoundStarted() override { return NewRound(); }
  int32_t SetRoundTimer(int32_t total, int32_t remaining) override { return StartRoundTimer(total, remaining); }
  int32_t ShowTimeLeft(int32_t ms) override;
  int32_t PlayerDataReceived() override { return UpdatePlayerIcons(); }
  int32_t PlayHandler() override { return RecvPlayerTableInfo(); }
  // The seat the host named on arrival is asked for once, when it is free; then the seat panel.
  int32_t ChooseSeat() override;
  int32_t UpdateSeats() override { return HideSeatPanel(); }
  int32_t ReconnectFinished() override { return UpdateAfterStateChange(); }
  int32_t OptionsChanged() override { return OptionsChangedKavo(); }
  void PlayClickSound() override { PlayClick(); }
  int32_t ExitGame() override { return ExitGameChecked(); }
  // Readers of the round's records: 0 on a read failure, else 1; `received` tells whether one came.
  // Every seat, hand, card and amount is checked against the table before it is used.
  int32_t RecvCard(int32_t& card, int32_t& seat, int32_t& hand, int32_t& received);
  int32_t RecvDouble(int32_t& seat, int32_t& received);
  int32_t RecvSplit(int32_t& seat, int32_t& received);
  int32_t RecvBust(int32_t& seat, int32_t& received);
  int32_t RecvTurn(int32_t& seat, int32_t& hand, int32_t& received);
  int32_t RecvPlayerWin(int32_t& received);
  int32_t RecvPlayerWinProtection(int32_t& received);
  // Every "KavoPlayerTableInfo" waiting: other seats' bets, and the own bets the server refused.
  int32_t RecvPlayerTableInfo();
  int32_t NewRound();
  int32_t StartRoundTimer(int32_t total, int32_t remaining);
  void ResetTimeoutMeter();
  // Writes a hand's value text and starts its spoken sequence.
  void ShowHandValue(int32_t soft, int32_t hard, int32_t control, int32_t cards, int32_t split, int32_t doubled);
  void ClearValueTexts();
  void ShowValueTexts(int32_t on);
  int32_t OptionsChangedKavo();
  void PlayClick();
  int32_t UpdatePlayerIcons();
  void SetWatchMode(int32_t on);
  // One icon per seat on the main dialog's seat controls, cut from the icon strip (not owned):
  // cell size, the male, female and other icon counts, the extra cell count, and whether the
  // other players' cash shows. 0 for a missing strip or controls.
  int32_t CreatePlayerIcons(CBitmap* strip, int32_t cellWidth, int32_t cellHeight, int32_t male, int32_t female,
                            int32_t other, int32_t extra, int32_t showOtherCash);
  void DeletePlayerIcons();
  int32_t ShowSeatPanel();
  int32_t HideSeatPanel();
  int32_t UpdateAfterStateChange();
  // Leaves, unless the player has a bet on the table: then the dealer tells him to wait.
  int32_t ExitGameChecked();
  // Set by the round while the dealer's value is to be shown without speech, and while a
  // player's hand shows its soft total alone.
  void SetDealerValueSilent(int32_t on) { m_DealerValueSilent = on; }
  void SetSoftValueOnly(int32_t on) { m_SoftValueOnly = on; }
  // ---- read by the round and the tests ----
  int32_t IsWatchMode() const { return m_WatchMode; }
  int32_t IsSitting() const { return m_Sitting; }
  int32_t JoinButtonsShown() const { return m_JoinButtonsShown; }
  int32_t ReminderSaid() const { return m_ReminderSaid; }
  int32_t TimeoutMeterRunning() const { return m_MeterRunning; }
  CPlayerIcon* GetPlayerIcon(int32_t seat) const;
  // ==== end of round packets, seat icons and table display ====


  // ==== game states and player actions (gamestates.cpp, playeractions.cpp, insurance.cpp) ====
  // What the round's last "ChangeGameState" asks of this client, one pass per frame; 0 on a record
  // that cannot be read or when the table is left.
  int32_t GameStateHandler() override;
  // Sends or carries out what the player chose on his turn.
  virtual int32_t CarryOutPendingAction();
  // "KavoPlayerAction" with "Action" for the seat's player; 0 when the send fails.
  int32_t SendPlayerAction(int32_t action, int32_t seat);
  // The answer to the insurance offer for an own seat; a stake goes through player protection.
  // 0 when the send fails.
  int32_t SendInsurance(int32_t seat, int32_t take);
  // The hand value of a seat (0-4) or the dealer (5) into its text control.
  void ShowSeatHandValue(int32_t seat);
  // Readers of the table node's next record: 0 on a bad record, else 1 with received telling
  // whether the record was the one asked for (anything else stays for the caller).
  int32_t RecvInsuranceAnswer(int32_t& seat, int32_t& take, int32_t& received);
  int32_t RecvInsuranceResult(int32_t& received);
  int32_t RecvScanCard(int32_t& card, int32_t& received);
  // "TimeOut" in seconds (0 to 3600) and "ServerTime" as sent.
  int32_t RecvPlayerTimeOut(int32_t& seconds, uint32_t& serverTime, int32_t& received);
  // The same records' items from a record already received (the node's m_RecvKCBL), checked:
  // 0 when an item is missing or out of range, with nothing written.
  struct SInsuranceResult {
    TMoney Wins[KAVO_NUM_SEATS];
    int32_t Listed[KAVO_NUM_SEATS] = {};
    int32_t Pays = 0;
    int32_t Card = -1;  // the hole card when the insurance pays
  };
  static int32_t ParseInsuranceAnswer(CKCBL& record, int32_t& seat, int32_t& take);
  static int32_t ParseInsuranceResult(CCommNode* node, SInsuranceResult& result);
  static int32_t ParseScanCard(CKCBL& record, int32_t& card);
  static int32_t ParsePlayerTimeOut(CKCBL& record, int32_t& seconds, uint32_t& serverTime);
  // What is left of a decision time of totalMs when the server's stamp lies lagMs behind: a lag
  // of up to 7 s is the round trip every client has; beyond it the time is lost.
  static int32_t DecisionTimeLeft(int32_t totalMs, int32_t lagMs);

  // ---- what the animations read and set ----
  // Which clearing follows a card move: 0 none, 1 the hands, 2 the dealer, 3 the turn seat.
  int32_t GetClearMode() const { return m_ClearMode; }
  void SetClearMode(int32_t mode) { m_ClearMode = mode; }
  int32_t IsDealtToDealer() const { return m_DealtToDealer; }
  int32_t IsSplitSeen() const { return m_SplitSeen; }
  int32_t IsDoubleSeen() const { return m_DoubleSeen; }
  int32_t IsHoleCardDealt() const { return m_HoleCardDealt; }
  int32_t IsHoleCardToShow() const { return m_ShowHoleCard; }
  // The hand the last bust closed (1 or 2; 0 unsplit).
  int32_t GetBustHand() const { return m_BustHand; }
  int32_t GetInsurancePays() const { return m_InsurancePays; }
  int32_t GetInsuranceDealerCard() const { return m_InsuranceDealerCard; }
  int32_t GetScannedCard() const { return m_ScannedCard; }
  int32_t IsActionSent() const { return m_ActionSent; }
  int32_t IsInsuranceAnswered(int32_t seat) const {
    return seat >= 0 && seat < KAVO_NUM_SEATS ? m_InsuranceAnswered[seat] : 0;
  }
  int32_t IsInsuranceOffered() const { return m_InsuranceOffered; }
  int32_t IsInsuranceWindowShown(int32_t seat) const {
    return seat >= 0 && seat < KAVO_NUM_SEATS ? m_InsuranceDlgShown[seat] : 0;
  }
  // The seat's money covers its bets and half its bet more.
  int32_t CanAffordInsurance(int32_t seat) const;
  int32_t IsSpotLit() const { return m_SpotLit; }
  // The seat arrows the turns start (null without the table's set-up).
  CArrow* GetArrow() const { return m_pArrow; }
  int32_t GetActionButtons() const { return m_HitStandEnabled | m_SplitEnabled << 1 | m_DoubleEnabled << 2; }
  int32_t IsInsuranceRoundDone() const { return m_InsuranceRoundDone; }
  // The face-down card the dealer's extra moves carry (the hole card until it is turned).
  CObject* GetHoleCardObject();
  // The button's choice while it is the player's turn (155 hit, 156 stand, 157 split, 158 double).
  void ActionButtonPressed(int32_t controlId);
  // ==== end of game states and player actions ====


  // ==== animations and chip steps (animations.cpp, chipsteps.cpp) ====
  // One step of the running animation (1-21), chaining into the next; 0 when a chip flight
  // cannot be set up or the settlement fails, else 1. Other numbers do nothing.
  int32_t IdleHandler() override;
  // Each seat's bet and win fly to its icon and its record starts afresh; 0 on a flight that
  // cannot be set up. done = 1 after the last seat.
  virtual int32_t ChipSettlementStep(int32_t& done);
  // The turn seat's hand leaves the table; a bust's bet then flies to the dealer (animation 17).
  virtual void HandClearingStep();
  // The lost hands' chips fly to the dealer, seat by seat; done = 1 after the last seat.
  virtual void ChipCollectionStep(int32_t& done);
  // The animations the game states start, and those they chain into.
  enum : int32_t {
    KAVO_ANIM_NONE = 0,
    KAVO_ANIM_CARD = 1,            // a card move, then the clearing the clear mode names
    KAVO_ANIM_COLLECT = 2,         // lost hands' chips to the dealer
    KAVO_ANIM_NATURAL = 3,         // a natural's win paid
    KAVO_ANIM_INSURANCEWAIT = 4,   // the insurance result spoken
    KAVO_ANIM_INSURANCE = 5,       // insurance chips settled
    KAVO_ANIM_REVEAL = 6,          // the hidden card shown for the insurance result
    KAVO_ANIM_PEEK = 7,            // the dealer's peek
    KAVO_ANIM_REVEALLOST = 8,
    KAVO_ANIM_REVEALPAID = 9,
    KAVO_ANIM_PEEKBLACKJACK = 10,
    KAVO_ANIM_PEEKNONE = 11,
    KAVO_ANIM_SAY = 12,            // a spoken sequence
    KAVO_ANIM_CLEARHANDS = 13,
    KAVO_ANIM_CLEARDEALER = 14,
    KAVO_ANIM_CLEARSEAT = 15,      // the turn seat's hand after a bust or a natural
    KAVO_ANIM_BETRETURN = 16,
    KAVO_ANIM_BUSTBET = 17,
    KAVO_ANIM_REVEALRESULT = 18,
    KAVO_ANIM_PEEKRESULT = 19,
    KAVO_ANIM_SETTLE = 20,
    KAVO_ANIM_FINALWIN = 21,
  };
  // Samples the animations play.
  enum : int32_t {
    KAVO_SAMPLE_SEVEN = 7,
    KAVO_SAMPLE_REVEAL = 12,
    KAVO_SAMPLE_INSURANCELOST = 35,
    KAVO_SAMPLE_BETRETURN = 36,
    KAVO_SAMPLE_BLACKJACK = 38,
    KAVO_SAMPLE_NOBLACKJACK = 39,
    KAVO_SAMPLE_WINPAID = 41,
  };
  // The round's presentation on this client is over: the server half is told.
  virtual int32_t FinishPresentation();
  // The running animation (the framework's field holds its number), 0 none. The game states
  // start one by setting the number; the handler starts it from its first step.
  int32_t GetAnimationNumber() const { return m_Animation; }
  // Plays m_SampleSequence (ended by -1) one sample after the other; 1 once it has ended, at once
  // while reconnecting.
  int32_t PlaySampleSequence();
  // The seat whose run of chip flights is under way (0 when none is) and whether its flight has
  // started, for a run: 0 settlement, 1 collection, 2 bet return, 3 insurance.
  int32_t GetChipRunSeat(int32_t run) const;
  int32_t IsChipRunStarted(int32_t run) const;

 protected:
  // Where a flight of chips starts and ends, and what it carries.
  struct SChipFlight {
    TMoney Amount;
    int32_t FromX = 0, FromY = 0, ToX = 0, ToY = 0;
    int32_t StampAtEnd = 0;
  };
  // A run of flights over the seats, kept by the table so that a run cut short at one table
  // never shifts the next table's.
  struct SChipRun {
    int32_t Seat = 0;
    int32_t Started = 0;
  };
  enum : int32_t { CHIPRUN_SETTLE, CHIPRUN_COLLECT, CHIPRUN_RETURN, CHIPRUN_INSURANCE, CHIPRUN_SINGLE, CHIPRUNS };
  // The seat's flight of a run: false when the seat has none.
  using TPlanFlight = bool (CBlackJackClientTable::*)(int32_t seat, SChipFlight& flight);
  using TLandFlight = void (CBlackJackClientTable::*)(int32_t seat);
  // One step of a run over seats first..last: 1 after the last seat (run reset, chip speed 20),
  // 0 while it goes on, -1 when a flight cannot be set up (run reset as well).
  int32_t StepChipRun(SChipRun& run, int32_t first, int32_t last, TPlanFlight plan, TLandFlight land);
  void EndChipRun(SChipRun& run);

  // The animations of more than one step.
  int32_t AnimateCardMove();
  int32_t AnimateCollection();
  int32_t AnimateNatural();
  int32_t AnimateInsuranceWait();
  int32_t AnimateInsuranceSettlement();
  int32_t AnimateDealerReveal(int32_t next);
  int32_t AnimateRevealResult();
  int32_t AnimatePeekResult();
  int32_t AnimateBustBet();
  int32_t AnimateClearing(int32_t (CBlackJackClientTable::*step)(int32_t&), int32_t mode, int32_t next);
  int32_t AnimateSettlement();
  int32_t AnimateBetReturn();
  int32_t AnimateFinalWin();
  // The single flight of m_FlightSeat: as StepChipRun.
  int32_t FlySingle(TPlanFlight plan, TLandFlight land);
  void EndSampleSequence();
  // A chain into the next animation, or the end of the running one.
  void ChainAnimation(int32_t number);
  void EndOfAnimation();
  // The scene's card lists one frame on; true once none plays (the ended ones forgotten).
  bool CardStep();
  // Dealer move MAXCARDSINPOCKET + k on the object, at its last frame while reconnecting.
  void StartDealerMove(int32_t k, CObject* object);
  // The shoe's card's picture where it rests taken out of the persistent layer.
  void TakeAwayShoeCard();
  // The hands drawn again over the face-down card where it came to rest, the up card on top.
  void TuckHoleCardUnder();
  // The card of the dealer's peek or insurance result turned over in place of the shoe's card.
  void TurnDealerCard(int32_t code);
  int32_t SampleStopped(int32_t id);
  void PlaySampleOnce(int32_t id, int32_t wait);
  // A spoken line of one or two samples.
  void SetSampleSequence(int32_t first, int32_t second = -1);
  void ShowValueAfterCard();

  // Places on the screen, for the current view.
  bool DealerPlace(int32_t& x, int32_t& y) const;
  bool IconPlace(int32_t seat, int32_t& x, int32_t& y) const;
  bool HandPlace(int32_t seat, int32_t hand, int32_t& x, int32_t& y) const;
  bool HandoutPlace(int32_t seat, int32_t hand, int32_t& x, int32_t& y);
  // The screen rectangle a stack of the amount covers when drawn at (x, y); false for none.
  bool StackArea(const TMoney& amount, int32_t x, int32_t y, CRect& area);
  // The table picture drawn back over the area, the hands over it again.
  void RepaintArea(const CRect& area);
  void RepaintStampedChips();
  // Where the seat's record stamps chips when its hand is drawn (insurance, a natural's win).
  void RecordStampAreas(int32_t seat, std::vector<CRect>& areas);

  // The flights of each run.
  bool PlanSettlement(int32_t seat, SChipFlight& flight);
  void LandSettlement(int32_t seat);
  bool PlanCollection(int32_t seat, SChipFlight& flight);
  void LandCollection(int32_t seat);
  bool PlanBetReturn(int32_t seat, SChipFlight& flight);
  void LandBetReturn(int32_t seat);
  bool PlanInsurance(int32_t seat, SChipFlight& flight);
  void LandInsurance(int32_t seat);
  bool PlanNaturalWin(int32_t seat, SChipFlight& flight);
  void LandNaturalWin(int32_t seat);
  bool PlanBustBet(int32_t seat, SChipFlight& flight);
  void LandBustBet(int32_t seat);
  bool PlanFinalWin(int32_t seat, SChipFlight& flight);
  void LandFinalWin(int32_t seat);
  // The hands a seat's record plays: 0 unsplit, else 1 and 2.
  static int32_t FirstHand(const CBlackJackPlayerData& record);
  static int32_t LastHand(const CBlackJackPlayerData& record);
  bool HoldsSeat(int32_t seat) const;
  // The turn seat's hand leaving the table: its cards fly to the discard place.
  void StartHandDiscard(CBlackJackPlayerData& record);

 public:
  // ==== end of animations and chip steps ====

  // ---- the table's own operations ----
  // The records of the seats and the dealer, each reset; 0 (the table's exit called) on a failed
  // allocation.
  virtual int32_t CreatePlayerRecords();
  virtual int32_t GetNumChipPositions() { return KAVO_CHIP_SPOTS; }
  virtual int32_t GetNumHandoutPositions() { return KAVO_HANDOUT_SPOTS; }
  virtual const char* GetLimitsScriptName() { return KAVO_SCRIPT_LIMITS; }
  virtual const char* GetMainScriptName() { return KAVO_SCRIPT_MAIN; }
  // The record of a seat, 5 the dealer; null before the records exist or out of range.
  CBlackJackPlayerData* GetPlayerRecord(int32_t seat) const;
  void FreePlayerRecords();

  // ---- what the records use ----
  CCardTable& GetCardTable() { return m_CardTable; }
  CResData& GetMainScript() { return m_MainScript; }
  CChipStack* GetChipStack() const { return m_pChipStack; }
  void SetChipStack(CChipStack* stack);
  // The valid double totals of the table; empty allows every total.
  const std::vector<int32_t>& GetValidDoubleSums() const { return m_ValidDoubleSums; }
  void SetValidDoubleSums(std::vector<int32_t> sums) { m_ValidDoubleSums = std::move(sums); }
  // Screen points of a seat's bet spots and insurance spots in the current view.
  void SetChipSpot(int32_t seat, int32_t spot, int32_t x, int32_t y);
  bool GetChipSpot(int32_t seat, int32_t spot, int32_t& x, int32_t& y) const;
  void SetInsuranceSpot(int32_t seat, int32_t spot, int32_t x, int32_t y);
  bool GetInsuranceSpot(int32_t seat, int32_t spot, int32_t& x, int32_t& y) const;
  // The seat's cash less what the seat's record stakes.
  TMoney GetSeatFreeMoney(int32_t seat) const;
  // Dealer cards already turned face up (the next hidden card's index).
  int32_t GetDealerCardsShown() const { return m_DealerCardsShown; }
  void SetDealerCardsShown(int32_t n) { m_DealerCardsShown = n; }
  int32_t PlaySample(int32_t id);
  CSampleContainer* GetSamples() const { return m_pSamples.get(); }
  int32_t GetSoundOn() const { return m_SoundOn; }
  int32_t GetMaxCardsInPocket() const { return m_Layout.MaxCardsInPocket; }

  // ---- read by the round and the tests ----
  const uint32_t* GetChipValues() const { return m_ChipValues; }
  const TMoney& GetMinTable() const { return m_MinTable; }
  const TMoney& GetMaxTable() const { return m_MaxTable; }
  int32_t GetMaxNumHands() const { return m_MaxNumHands; }
  int32_t GetViewIndex() const { return m_ViewIndex; }
  int32_t GetLastValueCtrl() const { return m_LastValueCtrl; }
  int32_t GetLastValueTotal() const { return m_LastValueTotal; }
  const int32_t* GetPracticeDlgPos() const { return m_Layout.PracticeDlgPosXY; }
  int32_t GetTurnSeat() const { return m_TurnSeat; }
  int32_t GetPendingAction() const { return m_PendingAction; }
  int32_t GetBetSign() const { return m_BetSign; }
  const SKavoLayout& GetLayout() const { return m_Layout; }
  CBetLimitCheck& GetBetLimitCheck() { return m_BetLimitCheck; }
  // A replayed round: the records put cards where they land at once.
  void SetReconnecting(int32_t on) { m_Reconnecting = on; }

  // The function the table's dialogs report their events to.
  static void MainDialogCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);

 protected:
  const char* MainString(int32_t id) const { return m_MainScript.GetResString(id); }
  // Builds one record for a seat; the side-bet table builds its own kind.
  virtual CBlackJackPlayerData* NewPlayerRecord();

  // ---- members ----
  std::unique_ptr<CTranslate> m_pCurrency;
  TClientDlgCallback m_pControlCallback = nullptr;
  TClientDlgCallback m_pPanelHandler = nullptr;
  int32_t m_LastValueCtrl = -1;
  int32_t m_LastValueTotal = -1;
  int32_t m_MaxNumHands = KAVO_NUM_SEATS;
  int32_t m_SeatRoundState[KAVO_NUM_SEATS] = {};
  int32_t m_SeatShown[KAVO_NUM_SEATS] = {};
  CDialog* m_pInsuranceDlg[KAVO_NUM_SEATS] = {};  // owned
  int32_t m_InsuranceDlgShown[KAVO_NUM_SEATS] = {};
  int32_t m_TurnSeat = KAVO_NUM_SEATS;
  int32_t m_PendingAction = KAVO_ACTION_PENDING_NONE;
  int32_t m_HitStandEnabled = 0, m_SplitEnabled = 0, m_DoubleEnabled = 0;
  CBitmap* m_pChipBitmaps[KAVO_NUM_SEATS * KAVO_CHIP_SPOTS] = {};  // owned
  CStatic* m_pChipStatics[KAVO_NUM_SEATS * KAVO_CHIP_SPOTS] = {};  // owned
  uint32_t m_ChipValues[KAVO_CHIP_KINDS] = {1, 5, 25, 100, 500, 2};
  SKavoLayout m_Layout = {};
  CBitmap* m_pSeatBitmaps[KAVO_NUM_SEATS] = {};  // owned
  CStatic* m_pSeatStatics[KAVO_NUM_SEATS] = {};  // owned
  int32_t m_ViewIndex = KAVO_VIEW_DEFAULT;
  int32_t m_SampleSequence[3] = {-1, -1, -1};
  int32_t m_SoundOn = 0;
  CSpotHighlight* m_pSpotHighlight = nullptr;  // owned
  CArrow* m_pArrow = nullptr;                  // owned
  CObject* m_pShoeCard = nullptr;              // owned
  CBitmap* m_pPlayerIconBitmap = nullptr;      // owned
  std::unique_ptr<C3DMoveList> m_pMoveList;
  std::vector<int32_t> m_ValidDoubleSums;
  int32_t m_BetSign = 0;
  CDialog* m_pTableInfoPopup = nullptr;  // owned; section 300
  TMoney m_MinTable;
  TMoney m_MaxTable;
  CBlackJackPlayerData** m_ppPlayers = nullptr;  // KAVO_RECORDS entries, owned
  int32_t* m_pPlayerSeatState = nullptr;         // KAVO_NUM_SEATS entries, owned
  std::vector<CRect> m_ClearAreas;
  CCardTable m_CardTable;
  CBetLimitCheck m_BetLimitCheck;
  CProgress* m_pTimeoutBar = nullptr;  // control 132 of the main dialog
  CResData m_MainScript;
  CDialog m_MainDialog;
  CDialog* m_pActionDialog = nullptr;  // owned
  CDialog* m_pSecondDialog = nullptr;  // owned
  std::unique_ptr<CSampleContainer> m_pSamples;
  CChipStack* m_pChipStack = nullptr;  // owned
  CBitmap* m_pChipDrawBitmap = nullptr;  // owned
  int32_t m_InsuranceAnswered[KAVO_NUM_SEATS] = {};
  int32_t m_InsuranceOffered = 0, m_InsuranceRoundDone = 0;
  int32_t m_InsurancePays = 0;
  int32_t m_InsuranceDealerCard = -1;
  int32_t m_ScannedCard = -1;
  int32_t m_ActionDialogHomeY = 0, m_SecondDialogHomeY = 0, m_PanelWindowHomeY = 0;
  int32_t m_ActionSent = 0;

  // Where the records stamp their chips, per view; set when the view is switched.
  int32_t m_ChipSpots[KAVO_NUM_SEATS][KAVO_CHIP_SPOTS][2] = {};
  int32_t m_InsuranceSpots[KAVO_NUM_SEATS][KAVO_INSURANCE_SPOTS][2] = {};
  int32_t m_DealerCardsShown = 0;

  // ---- members of set-up, layout, camera views and card moves ----
  // Set-up steps in their order, and the tear-down that undoes whatever of them was done.
  int32_t SetUpTable();
  int32_t CreateTableObjects();
  int32_t LoadPlayerIcons();
  int32_t SetUpChipStack();
  int32_t SetUpPanel();
  int32_t SetUpOptionsAndTexts();
  void ParkDialogs();
  int32_t CreateChipStatics();
  int32_t LoadSpotLight();
  int32_t SetUpCardTable();
  int32_t CreateShoeAndMoveList();
  void BuildClearAreas();
  void FreeClearCoords();
  int32_t TearDownTable();
  // Shows the table-info popup at the view's place with the bet sign's picture; 0 when it cannot
  // be created.
  int32_t ShowTableInfoPopup();

  CBitmap* m_pSmallChips[KAVO_SMALL_CHIPS] = {};  // the script's
  CBitmap* m_pTablePicture = nullptr;             // owned; the view's 800 x 600 table picture
  CBitmap* m_pSpotMap = nullptr;                  // owned; the view's spot map
  int32_t m_Greyed = 0;
  int32_t m_TableInfoRequest = 0;  // 0 none, 1 show, 2 hide
  std::vector<int32_t> m_ClearCoords;  // CLEAR_COORDS as read, until the areas are built
  // Camera views and card moves.
  void FreeViewPictures();
  void PlaceSeatControls(int32_t view);
  int32_t InitArrows();
  void ProjectSpots();
  void PlaceChipControls();
  void DrawPictureOver(const CRect& area);
  // A record's hands; the dealer's up card stays over his face-down hole card.
  void DrawRecordHand(int32_t seat);
  // The clearing: the pocket and the place of a hand in the clearing order, its next hand
  // holding cards, and one card of a pocket sent to a pose.
  struct SClearHand {
    int32_t Pocket, Position;
  };
  bool ClearHandAt(int32_t seat, int32_t which, SClearHand& hand) const;
  bool NextHandWithCards(int32_t seat, int32_t which, SClearHand& hand);
  void NextClearHand();
  // The top card of a pocket of `seat` (5 the dealer) flies, as a copy, to a pose.
  void ClearCard(int32_t seat, int32_t pocket, const double (&to)[6], double frames, bool arc);
  void FreeClearing();
  std::unique_ptr<CObject> m_pMoveTemplate;  // the card the deals are built on
  // The deals' lists and moves; the pockets only point to them.
  std::vector<std::unique_ptr<C3DMoveList>> m_DealLists;
  std::vector<std::unique_ptr<C3DMove>> m_DealMoves;
  int32_t m_DealerValuePos[2] = {};
  int32_t m_HandoutSpots[KAVO_NUM_SEATS][KAVO_HANDOUT_SPOTS][2] = {};
  // The side-bet table's bet spot and hand-out point of each seat in the current view.
  int32_t m_SideBetSpots[KAVO_NUM_SEATS][2] = {};
  int32_t m_SideBetHandouts[KAVO_NUM_SEATS][2] = {};
  int32_t m_ClearSeat = KAVO_NUM_SEATS - 1;
  int32_t m_ClearWhich = 0;  // 0 the second split hand, 1 the first, 2 the seat's own hand
  std::vector<std::unique_ptr<CObject>> m_ClearClones;
  std::vector<std::unique_ptr<C3DMove>> m_ClearMoves;
  std::vector<std::unique_ptr<C3DMoveList>> m_ClearLists;
  // ---- end of members of set-up, layout, camera views and card moves ----


  // ---- members of betting, seats and chip stacks ----
  // Chip stacks: every spot's amount in whole units as the last rebuild showed it.
  int32_t m_SpotAmounts[KAVO_NUM_SEATS][KAVO_CHIP_SPOTS] = {};
  TMoney m_InsuranceAmounts[KAVO_NUM_SEATS];
  // The insurance spots' stack pictures and controls, made when first shown.
  std::unique_ptr<CBitmap> m_pInsuranceBitmaps[KAVO_NUM_SEATS * KAVO_INSURANCE_SPOTS];
  std::unique_ptr<CStatic> m_pInsuranceStatics[KAVO_NUM_SEATS * KAVO_INSURANCE_SPOTS];
  int32_t m_PendingBets[KAVO_NUM_SEATS] = {};
  int32_t m_SeatRequest = -1;
  int32_t m_OneDeck = 0;
  int32_t m_BetsChanged = 1;
  int32_t m_StacksView = -1;  // the view the stacks were last built for
  int32_t m_BetPlacedThisRound = 0;
  int32_t m_BettingClosed = 0;
  int32_t m_ClickLatch = 0;
  char m_LastDealerLine[256] = {};

  // The seat under the mouse's spot map point, -1 none.
  int32_t SpotSeatAt(int32_t x, int32_t y);
  // The spot map's value at the screen point, 0 outside it.
  int32_t SpotValueAt(int32_t x, int32_t y);
  // A click on a spot of an own seat: 0 only when the change could not be sent.
  virtual int32_t OwnSpotClick(int32_t spot, int32_t seat, bool left);
  // The seat a spot map value belongs to, -1 none.
  virtual int32_t SeatOfSpot(int32_t spot) { return SeatOfSpotValue(spot); }
  // The spot map the clicks are read from: the current view's.
  virtual const CBitmap* BetSpotMap() const;
  // Whether the mouse at (x, y) may reach the table (pressed: a click is meant).
  static bool MouseReachesTable(int32_t x, int32_t y, bool pressed);
  // A bet on a free seat: the seat asked for with the chip as its pending bet.
  void RequestSeatWithBet(int32_t seat, int32_t chip);
  // The framework reads bet clicks only of a player who holds a seat; one who holds none yet takes
  // his first seat by betting on it, so his clicks are read here, each frame of the joined table.
  void SeatlessBetClick();
  // A bet change that player protection stands behind: committed only when it was sent. As
  // ChangeBet answers.
  int32_t ProtectedChange(int32_t seat, int32_t amount);
  // The pending bet goes back to player protection.
  void RefundPendingBet(int32_t seat);
  void RefundToProtection(const TMoney& amount);
  // The cash of the seat's player.
  TMoney PlayerCash(int32_t seat) const;
  // The free money of the seat's player for a new bet on the seat: his cash less his other stakes.
  TMoney FreeMoneyForSeat(int32_t seat) const;
  int32_t IsSeatMine(int32_t seat) const;
  // After a bet changed: texts, the own total, the bet sent, stacks and chip buttons.
  void AfterBetChange();
  // Refused bets start their way back to the seats (animation 16).
  void StartBetReturn();
  // The action buttons slid away and the seat arrows hidden once betting is over.
  void CloseBettingDialogs();
  void CheckChipButtonsAgainstMax();
  void ShowOwnTotal();
  // One stack control placed at a screen point, or hidden.
  void ShowStack(CStatic* control, CBitmap* bitmap, const TMoney& amount, int32_t x, int32_t y);
  void HideStack(CStatic* control);
  // A hidden chip-stack control on the table's dialog, drawing its own bitmap; false when either
  // cannot be made.
  bool MakeChipStatic(std::unique_ptr<CBitmap>& bitmap, std::unique_ptr<CStatic>& control);
  // The insurance spot's control, made on first use; null without memory.
  CStatic* InsuranceStatic(int32_t seat, int32_t spot);
  // ---- end of members of betting, seats and chip stacks ----


  // ---- members of round packets, seat icons and table display ----
  // The table's own dialog event, as MainDialogCallback hands it on.
  void OnMainDialogEvent(int32_t event, int32_t windowId, int32_t controlId);
  // The table node's next record into its received record; 1 with received 0 when none waits.
  int32_t TakeRecord(int32_t& received);
  // The seat's chunk of that name in the received record: seat 0..4 with its record, or 0.
  int32_t EnterSeatChunk(const char* name, int32_t& seat, int32_t& playerId);
  // A hand number ("Split") that fits the seat: 0 unsplit, 1 or 2 split.
  int32_t FitsHand(int32_t seat, int32_t hand) const;
  // The pocket a card of that hand lands in holds fewer cards than a hand may.
  int32_t PocketHasRoom(int32_t pocket);
  int32_t ReadCard(int32_t& card, int32_t& seat, int32_t& hand);
  // The chunk of a double, split or bust (by its game state), fitting the seat.
  int32_t ReadSeatOnly(int32_t kind, int32_t& seat);
  int32_t ReadTurn(int32_t& seat, int32_t& hand);
  // Every chunk of that name in the received record, each of a seat with its record, to read;
  // 0 at the first that fails, and for a record with none.
  int32_t ReadSeatChunks(const char* name, const std::function<int32_t(int32_t seat, int32_t playerId)>& read);
  int32_t ReadWins(int32_t protection);
  int32_t ReadWinChunk(int32_t seat, int32_t playerId, int32_t protection);
  int32_t ReadTableInfos();
  int32_t ReadTableInfoChunk(int32_t seat, int32_t playerId);
  // The own seat's bet refused by the server: its stake back, the chips rebuilt, the reason said.
  void TakeBackRefusedBet(int32_t seat, const TMoney& stakeBefore);
  // The gross a settled hand returns to the player, with the side bet settled in its chunk.
  TMoney ChunkGross(CBlackJackPlayerData& record, int32_t hand) const;
  // A value text, cut to the control's own buffer.
  void WriteValueText(int32_t control, const char* text);
  // The spoken sequence of a value: first, then second unless it is -1.
  void SpeakValue(int32_t first, int32_t second);
  void MovePanelWindow(int32_t y);
  CDialog* PanelWindow() const;
  int32_t IsRemoteTable() const { return IsRealMoney(); }
  int32_t OwnSeatHasBet();
  int32_t m_WatchMode = 0;
  int32_t m_Sitting = 0;
  int32_t m_StartSeatAsked = 0;  // the host's start seat was looked at
  int32_t m_JoinButtonsShown = 0;
  int32_t m_ReminderSaid = 0;
  int32_t m_MeterRunning = 0;
  int32_t m_DealerValueSilent = 0;
  int32_t m_SoftValueOnly = 0;
  uint32_t m_SpeechIds[3] = {};  // the value's sequence as the sample container plays it
  // The seat icons, owned; they go before the main dialog that holds their controls.
  struct SPlayerIcons {
    CPlayerIcon* Icons[KAVO_NUM_SEATS] = {};
    SPlayerIcons() = default;
    SPlayerIcons(const SPlayerIcons&) = delete;
    SPlayerIcons& operator=(const SPlayerIcons&) = delete;
    ~SPlayerIcons() { Free(); }
    void Free();
  } m_PlayerIcons;
  // ---- end of members of round packets, seat icons and table display ----


  // ---- members of game states and player actions ----
  // One pass of each game state (gamestates.cpp).
  int32_t StateNewRound();
  int32_t StateCard();
  int32_t StateFirstPassDone();
  int32_t StateTurn();
  int32_t StateSettle();
  int32_t StateNatural();
  int32_t StateSplit();
  int32_t StateDouble();
  int32_t StateTimeOut();
  int32_t StateInsuranceOffer();
  int32_t StateInsuranceResolved();
  int32_t StatePeek();
  int32_t StateBust();
  int32_t StateBonus();
  // A card the server sent to a seat or the dealer (-1 the dealer's face-down card); 0 when the
  // card cannot be placed or moved.
  int32_t DealCard(int32_t card, int32_t seat);
  int32_t DealHoleCard();
  void TurnHoleCardOver();
  // Plays a move list on an object, or draws its end while the table reconnects.
  int32_t PlayMove(C3DMoveList* list, CObject* object);
  // The dealer's value text at its place of the view, shifted as far on the screen as the
  // dealer's last card of the count lies from his first.
  void FollowDealerCards(int32_t cards);
  void StartAnimation(int32_t n) { m_Animation = n; }
  // Decision time on the turn (playeractions.cpp).
  int32_t DecisionTime();
  void SetActionButtons(int32_t hitStand, int32_t split, int32_t doubled);
  void DisableActionButtons();
  void SetProgress(int32_t value);
  // The turn's light on the seat's spot; -1 takes it away.
  void LightSpot(int32_t seat);
  // The action dialog in (1) or out of sight, the panel's window the other way.
  void SlideActionDialog(int32_t in);
  CDialog* PanelSlideWindow() const;
  int32_t IsOwnSeat(int32_t seat) const;
  int32_t OwnSeats(int32_t* seats) const;
  // The table node's waiting record is taken and freed unread.
  void DropWaitingRecord();
  // A reader found no record of its own: whatever waits instead is dropped.
  bool NothingCame(int32_t received);
  // The table node's waiting record taken into the node's received record when its top level
  // holds the keyword (with that text as its value when one is given): 1 taken, -1 none waits or
  // it is another record (left queued), 0 unreadable.
  int32_t TakeWaitingRecord(const char* keyword, const char* value = nullptr);
  // The player-protection steps of a stake: staged and validated (0 refused, nothing kept).
  int32_t StageStake(const TMoney& stake);
  // Insurance (insurance.cpp).
  int32_t ReadInsuranceAnswers();
  void OfferInsurance();
  void ShowInsuranceWindow(int32_t seat, int32_t show);
  void HideAllInsuranceWindows();
  int32_t InsuranceTimedOut();
  TMoney InsuranceStake(int32_t seat) const;

  int32_t m_HandledState = 0;  // the game state whose single pass is done
  int32_t m_DealtToDealer = 0;
  int32_t m_HoleCardDealt = 0;
  // The face-down card is in flight to its resting place: where it lands, the hands (the up card
  // above all) are drawn over it again.
  int32_t m_HoleCardLanding = 0;
  int32_t m_ShowHoleCard = 0;
  int32_t m_SplitSeen = 0, m_DoubleSeen = 0, m_BustSeen = 0;
  int32_t m_SpotLit = 0;
  int32_t m_BustHand = 0;
  int32_t m_InsuranceResultRead = 0;  // 1 read, 2 shown
  // ---- end of members of game states and player actions ----


  // ---- members of animations and chip steps ----
  // Which clearing follows a card move: 1 the players' hands, 2 the dealer's, 3 the turn seat's.
  int32_t m_ClearMode = 0;
  // The animation whose steps m_AnimStage counts; a number set elsewhere starts at stage 0.
  int32_t m_AnimSeen = 0;
  int32_t m_AnimStage = 0;
  SChipRun m_ChipRuns[CHIPRUNS];
  // A flight of a step without a result could not be set up.
  int32_t m_ChipFlightFailed = 0;
  // The seat and hand whose flight of animation 3, 17 or 21 runs.
  int32_t m_FlightSeat = 0, m_FlightHand = 0;
  int32_t m_FlightSample = -1;
  // The dealer's cards whose value was shown last.
  int32_t m_DealerCardsValued = 0;
  // The sequence handed to the sample container while it plays.
  int32_t m_SequenceRunning = 0;
  uint32_t m_SequenceIds[4] = {};
  // Chips stamped into the table's picture, taken away at the end of the round.
  std::vector<CRect> m_StampedChips;
  // ---- end of members of animations and chip steps ----
};

// The one-deck game: only its names differ.
class COneDeckClientTable : public CBlackJackClientTable {
 public:
  const char* GetGameName() override { return KAVO_GAME_ONEDECK; }
  const char* GetLimitsScriptName() override { return KAVO_SCRIPT_ONEDECK_LIMITS; }
  const char* GetMainScriptName() override { return KAVO_SCRIPT_ONEDECK_MAIN; }
};
