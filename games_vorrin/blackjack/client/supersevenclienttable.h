// The client half of the table with the SuperSeven side bet (game "MSSKAVO"): the regular table
// with a side-bet spot beside each seat's bet and a tenth chip place that carries the one unit.
#pragma once

#include "client/clienttable.h"

inline constexpr const char* KAVO_SCRIPT_SUPERSEVEN_LIMITS = "xrs/kavo_ss_limits.xrs";
inline constexpr const char* KAVO_SCRIPT_SUPERSEVEN_MAIN = "xrs/kavo_ss_main.xrs";
inline constexpr int32_t KAVO_SS_CHIP_SPOTS = 10;
inline constexpr int32_t KAVO_SS_HANDOUT_SPOTS = 4;

class CSuperSevenClientTable : public CBlackJackClientTable {
 public:
  const char* GetGameName() override { return KAVO_GAME_SUPERSEVEN; }
  const char* GetLimitsScriptName() override { return KAVO_SCRIPT_SUPERSEVEN_LIMITS; }
  const char* GetMainScriptName() override { return KAVO_SCRIPT_SUPERSEVEN_MAIN; }
  int32_t GetNumChipPositions() override { return KAVO_SS_CHIP_SPOTS; }
  int32_t GetNumHandoutPositions() override { return KAVO_SS_HANDOUT_SPOTS; }

 protected:
  CBlackJackPlayerData* NewPlayerRecord() override;
  // Spots 1-5 are the seats' regular bets, 6-10 their side bets.
  int32_t SeatOfSpot(int32_t spot) override;
  int32_t OwnSpotClick(int32_t spot, int32_t seat, bool left) override;

 private:
  int32_t SideBetClick(int32_t seat, bool left);
  int32_t RegularSpotClick(int32_t seat, bool left);
  // The side bet of the seat set or cleared, sent and shown; 0 when it could not be sent.
  int32_t SetSideBet(int32_t seat, int32_t on);
  // A dealer line from the main script, its default when the script lacks it.
  void SayDealerString(int32_t id, const char* fallback);
};
