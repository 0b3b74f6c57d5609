// The client half of the table with the SuperSeven side bet (game "MSSKAVO"): the regular table
// with a side-bet spot beside each seat's bet and a tenth chip place that carries the one unit.
#pragma once

#include <memory>

#include "client/clienttable.h"

inline constexpr const char* KAVO_SCRIPT_SUPERSEVEN_LIMITS = "xrs/kavo_ss_limits.xrs";
inline constexpr const char* KAVO_SCRIPT_SUPERSEVEN_MAIN = "xrs/kavo_ss_main.xrs";
inline constexpr int32_t KAVO_SS_CHIP_SPOTS = 10;
inline constexpr int32_t KAVO_SS_HANDOUT_SPOTS = 4;
// The confirmation asked before a split that would break the side bet's sevens.
inline constexpr int32_t KAVO_SS_DIALOG_SPLITSEVENS = 247;
inline constexpr int32_t KAVO_SS_SPLITSEVENS_YES = 249;
inline constexpr int32_t KAVO_SS_SPLITSEVENS_NO = 250;
// Pending actions of the side-bet table: the confirmation awaits its answer (6) or is to be
// asked (7).
inline constexpr int32_t KAVO_SS_ACTION_CONFIRMING = 6;
inline constexpr int32_t KAVO_SS_ACTION_CONFIRMSPLIT = 7;

class CSuperSevenPlayerData;

class CSuperSevenClientTable : public CBlackJackClientTable {
 public:
  CSuperSevenClientTable();
  ~CSuperSevenClientTable() override;

  const char* GetGameName() override { return KAVO_GAME_SUPERSEVEN; }
  const char* GetLimitsScriptName() override { return KAVO_SCRIPT_SUPERSEVEN_LIMITS; }
  const char* GetMainScriptName() override { return KAVO_SCRIPT_SUPERSEVEN_MAIN; }
  int32_t GetNumChipPositions() override { return KAVO_SS_CHIP_SPOTS; }
  int32_t GetNumHandoutPositions() override { return KAVO_SS_HANDOUT_SPOTS; }

  // The regular set-up, then the side-bet spots' stacks; the tear-down closes the confirmation
  // first and frees the stacks after the main dialog that showed them.
  int32_t InitClientGame() override;
  int32_t ExitClientGame() override;
  int32_t SetCameraView(int32_t view) override;
  // The side-bet spots follow the seats' flags before the regular stacks are rebuilt.
  int32_t UpdateChipStacks(int32_t seat, int32_t reported) override;
  // A split of a hand holding a seven under a side bet is confirmed first (dialog 247).
  int32_t CarryOutPendingAction() override;
  // The side-bet result is shown once per round and seat before the bust's and the collection's
  // chip steps; a won side bet goes home with the settlement.
  int32_t IdleHandler() override;

  // ---- read by the tests ----
  // The stack on the seat's side-bet spot in whole units (0 none).
  int32_t GetSideStackAmount(int32_t seat) const;
  CStatic* GetSideStackStatic(int32_t seat) const;
  CDialog* GetConfirmationDialog() const { return m_pConfirmDialog.get(); }
  // The answer of the confirmation dialog as its buttons give it.
  void AnswerSplitConfirmation(int32_t split);
  // Side-bet chip flights so far: results shown (to the dealer or from him) and wins taken home.
  int32_t GetSideResultFlights(int32_t seat) const;

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override;
  // Spots 1-5 are the seats' regular bets, 6-10 their side bets.
  int32_t SeatOfSpot(int32_t spot) override;
  int32_t OwnSpotClick(int32_t spot, int32_t seat, bool left) override;

 private:
  // ---- bet clicks (supersevenclienttable.cpp) ----
  int32_t SideBetClick(int32_t seat, bool left);
  int32_t RegularSpotClick(int32_t seat, bool left);
  // The side bet of the seat set or cleared, sent and shown; 0 when it could not be sent.
  int32_t SetSideBet(int32_t seat, int32_t on);
  // A dealer line from the main script, its default when the script lacks it.
  void SayDealerString(int32_t id, const char* fallback);
  CSuperSevenPlayerData* SideRecord(int32_t seat) const;

  // ---- the side-bet spots' stacks (supersevenstacks.cpp) ----
  int32_t CreateSideStacks();
  void FreeSideStacks();
  // The stack of a seat's side-bet spot shown as its record has it: the unit while the side bet
  // stands, with its win once that was paid.
  void ShowSideStack(int32_t seat, int32_t force);
  int32_t SideStackWanted(int32_t seat) const;
  bool SideSpot(int32_t seat, int32_t& x, int32_t& y) const;

  // ---- the split confirmation (supersevensplit.cpp) ----
  static void ConfirmationCallback(int32_t event, int32_t windowId, int32_t controlId, int32_t value, void* user);
  // A split the side bet's sevens ask a confirmation for.
  int32_t SplitBreaksSevens();
  int32_t OpenConfirmation();
  void CloseConfirmation();

  // ---- the side-bet chip steps (supersevenchips.cpp) ----
  int32_t StepSideFlights(int32_t first, int32_t last, TPlanFlight plan, TLandFlight land);
  bool PlanSideResult(int32_t seat, SChipFlight& flight);
  void LandSideResult(int32_t seat);
  bool PlanSideHome(int32_t seat, SChipFlight& flight);
  void LandSideHome(int32_t seat);

  std::unique_ptr<CBitmap> m_pSideBitmaps[KAVO_NUM_SEATS];
  std::unique_ptr<CStatic> m_pSideStatics[KAVO_NUM_SEATS];
  int32_t m_SideStackAmounts[KAVO_NUM_SEATS] = {};
  std::unique_ptr<CDialog> m_pConfirmDialog;
  int32_t m_SplitConfirmed = 0;
  SChipRun m_SideRun;
  // The animation whose side-bet step ran, and whether it is over.
  int32_t m_SideAnimation = 0;
  int32_t m_SideStepDone = 0;
  int32_t m_SideFlights[KAVO_NUM_SEATS] = {};
};
