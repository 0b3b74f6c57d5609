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
};
