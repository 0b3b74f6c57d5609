// A blackjack server table for the fuzz targets, with small limits, before its InitTable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "fuzzfolder.h"
#include "ostrel/system/globals.h"
#include "ostrelcomm/commlib.h"
#include "ostrelcomm/commnode.h"
#include "server/servertable.h"

inline std::unique_ptr<CBlackJackServerTable> FuzzNewKavoTable() {
  auto table = std::make_unique<CBlackJackServerTable>();
  const int32_t limits[KAVO_BETLIMITS] = {5, 500, 10, 1000, 25, 2500};
  const int32_t times[KAVO_TIMELIMITS] = {30, 15};
  table->SetBetLimits(limits);
  table->SetTimeLimits(times);
  return table;
}

// The process of a target that reads the blackjack records: the globals and the communication
// library, and one node whose received record takes each input as the table reads it.
struct SFuzzKavoRecordNode {
  std::unique_ptr<CCommNode> m_pNode;

  SFuzzKavoRecordNode() {
    glb = new SGlobals(0);
    sglb = new SSysGlobals;
    FuzzCheck(xCommStartup(glb, sglb) == 1);
    m_pNode = std::make_unique<CCommNode>();
  }
  CKCBL& Load(const uint8_t* data, size_t size) {
    CKCBL& record = m_pNode->m_RecvKCBL;
    record.Free();
    record.RestartMode(0);
    record.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size));
    return record;
  }
};
