// The smallest game a server table needs, for the fuzz targets that run one: five seats, the
// name "Fuzz", every game operation a success that does nothing. Targets override what they
// exercise.
#pragma once

#include "common/tables/servertablebase.h"

class CFuzzTableGame : public CServerTableBase {
 public:
  int32_t GetNumSlots() override { return 5; }
  const char* GetGameName() override { return "Fuzz"; }
  int32_t CreateGamePlayer(int32_t, int32_t) override { return 1; }
  int32_t DeleteGamePlayer(int32_t) override { return 1; }
  int32_t NewRoundStarted() override { return 1; }
  int32_t InitServerGame() override { return 1; }
  int32_t ExitServerGame() override { return 1; }
  int32_t GameHandler() override { return 1; }
  int32_t StartPlay() override { return 1; }
  int32_t HandleBetPacket() override { return 1; }
  int32_t SlotChanged(int32_t) override { return 1; }
  int32_t AddGameSpecData() override { return 1; }
  int32_t StoreGame() override { return 1; }
  int32_t RestoreGame() override { return 1; }
  int32_t GetPendingCash(TMoney& amount, int32_t) override {
    amount = TMoney();
    return 1;
  }
  int32_t IsPlayerInGame(int32_t) override { return 0; }
};
