// The client half of a blackjack table: the regular table (game "MKAVO") and the one-deck game
// ("MKAVOONE", which differs only in its names). It owns what the player sees at the table: the
// scripts, dialogs, chip stacks, seat arrow and spot highlight, the 3-D card table with the
// records of the five seats and the dealer, the sounds, and the player's actions.
#pragma once

#include <cstdint>
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
  int32_t GameSpecReceived() override { return 1; }
  int32_t BetHandler() override { return 1; }
  int32_t BettingHandler() override { return 1; }
  int32_t BetDone() override { return 1; }
  int32_t SetOldBet() override { return 1; }
  int32_t PlayerLeftSlot(int32_t, int32_t) override { return 1; }
  int32_t SlotAllocated(int32_t, int32_t, int32_t) override { return 1; }
  int32_t SeatRequestDone() override { return 1; }
  TMoney GetClientPlayerTotalBet() override { return TMoney(); }
  // The seat's bet grows by `amount` (negative takes chips off) once the limits allow it.
  virtual int32_t ChangeBet(int32_t amount, int32_t seat, int32_t send) { (void)amount; (void)seat; (void)send; return 1; }
  virtual int32_t SendPlayerBet(int32_t seat, int32_t final) { (void)seat; (void)final; return 1; }
  virtual int32_t UpdateBetTexts() { return 1; }
  // Rebuilds the stacks of `seat` (-1 every seat) from the bets, or from the server's reported ones.
  virtual int32_t UpdateChipStacks(int32_t seat, int32_t reported) { (void)seat; (void)reported; return 1; }
  virtual void UpdateDealButton() {}
  TMoney PlayerTotalBet(int32_t seat) const { (void)seat; return TMoney(); }
  TMoney PlayerTotalReturn(int32_t seat) const { (void)seat; return TMoney(); }
  int32_t PlayerNetWin(int32_t seat) const { (void)seat; return 0; }
  // Insurance stacks on the seat's insurance spots.
  virtual void ShowInsuranceChips(int32_t seat, const TMoney& amount) { (void)seat; (void)amount; }
  virtual void DrawInsuranceChips(int32_t seat) { (void)seat; }
  virtual void HideSpotChips(int32_t seat, int32_t spot) { (void)seat; (void)spot; }
  virtual void HideSeatChips(int32_t seat) { (void)seat; }
  virtual void HideInsuranceChips(int32_t seat) { (void)seat; }
  // A refusal or notice in the panel's chat as "<Dealer> text".
  void SayDealer(const char* text) { (void)text; }
  // ==== end of betting, seats and chip stacks ====


  // ==== round packets, seat icons and table display (roundpackets.cpp, tabledisplay.cpp, playericons.cpp) ====
  int32_t NewRoundStarted() override { return 1; }
  int32_t SetRoundTimer(int32_t, int32_t) override { return 1; }
  int32_t ShowTimeLeft(int32_t) override { return 1; }
  int32_t PlayerDataReceived() override { return 1; }
  int32_t PlayHandler() override { return 1; }
  int32_t ChooseSeat() override { return 1; }
  int32_t UpdateSeats() override { return 1; }
  int32_t ReconnectFinished() override { return 1; }
  void PlayClickSound() override {}
  // Readers of the round's records: 0 on a read failure, else 1; `received` tells whether one came.
  int32_t RecvCard(int32_t& card, int32_t& seat, int32_t& hand, int32_t& received) { (void)card; (void)seat; (void)hand; received = 0; return 1; }
  int32_t RecvDouble(int32_t& seat, int32_t& received) { (void)seat; received = 0; return 1; }
  int32_t RecvSplit(int32_t& seat, int32_t& received) { (void)seat; received = 0; return 1; }
  int32_t RecvBust(int32_t& seat, int32_t& received) { (void)seat; received = 0; return 1; }
  int32_t RecvTurn(int32_t& seat, int32_t& hand, int32_t& received) { (void)seat; (void)hand; received = 0; return 1; }
  int32_t RecvPlayerWin(int32_t& received) { received = 0; return 1; }
  int32_t RecvPlayerWinProtection(int32_t& received) { received = 0; return 1; }
  // Writes a hand's value text and starts its spoken sequence.
  void ShowHandValue(int32_t soft, int32_t hard, int32_t control, int32_t cards, int32_t split, int32_t doubled) {
    (void)soft; (void)hard; (void)control; (void)cards; (void)split; (void)doubled;
  }
  void ClearValueTexts() {}
  void ShowValueTexts(int32_t on) { (void)on; }
  void ResetTimeoutMeter() {}
  int32_t UpdatePlayerIcons() { return 1; }
  void SetWatchMode(int32_t on) { (void)on; }
  // ==== end of round packets, seat icons and table display ====


  // ==== game states and player actions (gamestates.cpp, playeractions.cpp) ====
  int32_t GameStateHandler() override { return 1; }
  // Sends or carries out what the player chose on his turn.
  virtual int32_t CarryOutPendingAction() { return 1; }
  int32_t SendInsurance(int32_t seat, int32_t take) { (void)seat; (void)take; return 1; }
  // The hand value of a seat (0-4) or the dealer (5) into its text control.
  void ShowSeatHandValue(int32_t seat) { (void)seat; }
  // ==== end of game states and player actions ====


  // ==== animations and chip steps (animations.cpp, chipsteps.cpp) ====
  int32_t IdleHandler() override { return 1; }
  virtual int32_t ChipSettlementStep(int32_t& done) { done = 1; return 1; }
  virtual void HandClearingStep() {}
  virtual void ChipCollectionStep(int32_t& done) { done = 1; }
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
  // ---- end of members of betting, seats and chip stacks ----


  // ---- members of round packets, seat icons and table display ----
  // ---- end of members of round packets, seat icons and table display ----


  // ---- members of game states and player actions ----
  // ---- end of members of game states and player actions ----


  // ---- members of animations and chip steps ----
  // ---- end of members of animations and chip steps ----
};

// The one-deck game: only its names differ.
class COneDeckClientTable : public CBlackJackClientTable {
 public:
  const char* GetGameName() override { return KAVO_GAME_ONEDECK; }
  const char* GetLimitsScriptName() override { return KAVO_SCRIPT_ONEDECK_LIMITS; }
  const char* GetMainScriptName() override { return KAVO_SCRIPT_ONEDECK_MAIN; }
};
