// A game's limits file, and the limits record the server sends to the clients. Reads the input
// both ways; whatever is taken must hold no more than the cap, agree with its count, and answer
// lookups outside it with zero and -1. A refusal leaves the limits read before untouched.
#include <cstdint>

#include "common/tables/slotlimits.h"
#include "ostrel/kcbl/kcbl.h"

namespace {
void Check(bool ok) {
  if (!ok) __builtin_trap();
}

using TMoney = CSlotLimits::TMoney;

void CheckLimits(const CSlotLimits& limits) {
  const uint32_t count = limits.GetNumCoinValues();
  Check(count <= SLOTLIMITS_MAX_COIN_VALUES);
  const auto n = static_cast<int32_t>(count);
  for (int32_t i : {-1, n, n + 1}) {
    Check(limits.GetCoinValue(i).IsZero());
    Check(limits.GetJackpotIndex(i) == -1);
  }
  for (int32_t i = 0; i < n; ++i) Check(!limits.GetCoinValue(i).GetError());
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  CKCBL record;
  if (!record.Import(reinterpret_cast<const char*>(data), static_cast<int32_t>(size))) return 0;
  record.EnterChunk("Data");  // a limits file's chunk; a record has none and stays at the top

  CSlotLimits limits(nullptr);
  limits.ReadLimits(&record);
  CheckLimits(limits);
  const uint32_t before = limits.GetNumCoinValues();
  const TMoney first = limits.GetCoinValue(0);
  if (!limits.Recieve(&record)) {
    Check(limits.GetNumCoinValues() == before);
    Check(limits.GetCoinValue(0) == first);
  } else {
    Check(limits.GetNumCoinValues() == 0 || limits.GetDefaultCoinValueIndex() < limits.GetNumCoinValues());
  }
  CheckLimits(limits);

  // What was taken goes out and comes back the same.
  CKCBL out;
  Check(limits.Send(&out) == 1);
  CSlotLimits back(nullptr);
  Check(back.Recieve(&out) == 1);
  Check(back.GetNumCoinValues() == limits.GetNumCoinValues());
  if (limits.GetNumCoinValues()) Check(back.GetDefaultCoinValueIndex() == limits.GetDefaultCoinValueIndex());
  for (int32_t i = 0; i < static_cast<int32_t>(limits.GetNumCoinValues()); ++i) {
    Check(back.GetCoinValue(i) == limits.GetCoinValue(i));
    Check(back.GetJackpotIndex(i) == limits.GetJackpotIndex(i));
  }
  return 0;
}
