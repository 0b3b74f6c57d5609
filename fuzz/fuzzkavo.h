// A blackjack server table for the fuzz targets, with small limits, before its InitTable.
#pragma once

#include <memory>

#include "server/servertable.h"

inline std::unique_ptr<CBlackJackServerTable> FuzzNewKavoTable() {
  auto table = std::make_unique<CBlackJackServerTable>();
  const int32_t limits[KAVO_BETLIMITS] = {5, 500, 10, 1000, 25, 2500};
  const int32_t times[KAVO_TIMELIMITS] = {30, 15};
  table->SetBetLimits(limits);
  table->SetTimeLimits(times);
  return table;
}
