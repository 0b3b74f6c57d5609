#include "common/tables/slotlimits.h"

#include <new>

#include "ostrel/kcbl/kcbl.h"
#include "ostrel/resources/resdata.h"

namespace {
// The cursor on the item of the current chunk, searched from the chunk's first item so that the
// order of the items and the record's restart mode do not matter.
bool FindInChunk(CKCBL* record, const char* keyword) { return record->FirstItem() && record->FindItem(keyword); }

// The current item's first value is an array of exactly count entries.
bool HoldsArrayOf(CKCBL* record, uint32_t count) {
  int32_t entries = -1;
  return record->GetNumArrayItems(0, &entries) && static_cast<uint32_t>(entries) == count;
}
}  // namespace

CSlotLimits::CSlotLimits(const char* fileName) : m_pFileName(fileName) {}

CSlotLimits::~CSlotLimits() = default;

int32_t CSlotLimits::ReadArrays(CKCBL* record, bool withIndex) {
  if (!record) return 0;
  uint32_t count = 0;
  if (!FindInChunk(record, SLOTLIMITS_NUM_COIN_VALUES) || !record->GetItem(nullptr, KULONG, &count, KEND) ||
      count > SLOTLIMITS_MAX_COIN_VALUES)
    return 0;
  // One spare entry each, so that a count of 0 still has arrays to hand out.
  std::unique_ptr<TMoney[]> values(new (std::nothrow) TMoney[count + 1]);
  std::unique_ptr<int32_t[]> jackpots(new (std::nothrow) int32_t[count + 1]());
  if (!values || !jackpots) return 0;
  const auto n = static_cast<int32_t>(count);

  if (!FindInChunk(record, SLOTLIMITS_COIN_VALUES) || !HoldsArrayOf(record, count) ||
      !record->GetItem(nullptr, KMONEYARRAY, n, values.get(), KEND))
    return 0;
  for (uint32_t i = 0; i < count; ++i)
    if (values[i].GetError()) return 0;

  uint32_t index = m_DefaultCoinValueIndex;
  if (withIndex && (!FindInChunk(record, SLOTLIMITS_COIN_VALUE_INDEX) || !record->GetItem(nullptr, KULONG, &index, KEND)))
    return 0;

  if (!FindInChunk(record, SLOTLIMITS_JACKPOT_INDEXES) || !HoldsArrayOf(record, count) ||
      !record->GetItem(nullptr, KLONGARRAY, n, jackpots.get(), KEND))
    return 0;

  m_NumCoinValues = count;
  m_pCoinValues = std::move(values);
  m_pJackpotIndexes = std::move(jackpots);
  if (withIndex) SetDefaultCoinValueIndex(static_cast<int32_t>(index));
  return 1;
}

int32_t CSlotLimits::ReadLimits(CKCBL* record) { return ReadArrays(record, false); }

int32_t CSlotLimits::Recieve(CKCBL* record) { return ReadArrays(record, true); }

int32_t CSlotLimits::Send(CKCBL* record) {
  if (!record) return 0;
  static const TMoney kNoValue;
  static const int32_t kNoIndex = 0;
  const TMoney* values = m_pCoinValues ? m_pCoinValues.get() : &kNoValue;
  const int32_t* jackpots = m_pJackpotIndexes ? m_pJackpotIndexes.get() : &kNoIndex;
  const auto n = static_cast<int32_t>(m_NumCoinValues);
  return record->NewItem(SLOTLIMITS_NUM_COIN_VALUES, KULONG, m_NumCoinValues, KEND) &&
         record->NewItem(SLOTLIMITS_COIN_VALUES, KMONEYARRAY, n, values, KEND) &&
         record->NewItem(SLOTLIMITS_COIN_VALUE_INDEX, KULONG, m_DefaultCoinValueIndex, KEND) &&
         record->NewItem(SLOTLIMITS_JACKPOT_INDEXES, KLONGARRAY, n, jackpots, KEND);
}

int32_t CSlotLimits::Read() {
  if (!m_pFileName) return 0;
  CResData script;
  if (!script.Load(m_pFileName) || !script.EnterDataChunk()) return 0;
  const int32_t ok = ReadLimits(&script);
  script.ExitDataChunk();
  return ok;
}

CSlotLimits::TMoney CSlotLimits::GetCoinValue(int32_t index) const {
  if (index < 0 || static_cast<uint32_t>(index) >= m_NumCoinValues) return TMoney();
  return m_pCoinValues[index];
}

int32_t CSlotLimits::GetJackpotIndex(int32_t index) const {
  if (index < 0 || static_cast<uint32_t>(index) >= m_NumCoinValues) return -1;
  return m_pJackpotIndexes[index];
}

void CSlotLimits::SetDefaultCoinValueIndex(int32_t index) {
  const auto wanted = static_cast<uint32_t>(index);
  m_DefaultCoinValueIndex = wanted < m_NumCoinValues ? wanted : m_NumCoinValues - 1;
}
