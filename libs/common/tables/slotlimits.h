// The coin values of a slot-style game and the jackpot index of each: read from the game's limits
// file on the server, sent to the clients in a record and received there.
#pragma once

#include <cstdint>
#include <memory>

#include "ostrel/base/money.h"

class CKCBL;

// The most coin values a limits file or record may give.
inline constexpr uint32_t SLOTLIMITS_MAX_COIN_VALUES = 1024;

inline constexpr const char* SLOTLIMITS_NUM_COIN_VALUES = "NUM_COIN_VALUES";    // ulong
inline constexpr const char* SLOTLIMITS_COIN_VALUES = "COIN_VALUES";            // money array
inline constexpr const char* SLOTLIMITS_COIN_VALUE_INDEX = "COIN_VALUE_INDEX";  // ulong, records only
inline constexpr const char* SLOTLIMITS_JACKPOT_INDEXES = "JACKPOT_INDEXES";    // long array

class CSlotLimits {
 public:
  using TMoney = CHugeFixedPoint<10, 10>;

  // The name is kept, not copied.
  explicit CSlotLimits(const char* fileName);
  virtual ~CSlotLimits();
  CSlotLimits(const CSlotLimits&) = delete;
  CSlotLimits& operator=(const CSlotLimits&) = delete;

  // Writes the count, the coin values, the default index and the jackpot indexes as items at the
  // record's cursor; 0 when an item cannot be written.
  virtual int32_t Send(CKCBL* record);
  // Reads the four items of Send back from the current chunk of the record.
  virtual int32_t Recieve(CKCBL* record);
  // Reads the count, the coin values and the jackpot indexes from the current chunk of a limits
  // file. Like Recieve: 0 when the count exceeds SLOTLIMITS_MAX_COIN_VALUES or an array does not
  // hold exactly count entries of its type; the values held before then stay as they were.
  virtual int32_t ReadLimits(CKCBL* record);

  // Loads the limits file as a resource script and reads the limits from its "Data" chunk.
  int32_t Read();

  // The coin value at index; a zero amount outside 0 .. count - 1.
  TMoney GetCoinValue(int32_t index) const;
  // The jackpot index of that coin value; -1 outside 0 .. count - 1.
  int32_t GetJackpotIndex(int32_t index) const;
  // Stores the index, or count - 1 when it is not below the count (compared unsigned, so a
  // negative index also becomes count - 1).
  void SetDefaultCoinValueIndex(int32_t index);
  uint32_t GetDefaultCoinValueIndex() const { return m_DefaultCoinValueIndex; }
  uint32_t GetNumCoinValues() const { return m_NumCoinValues; }
  const char* GetFileName() const { return m_pFileName; }

 private:
  // Reads the count and the two arrays into fresh arrays and takes them over; 0 leaves all as it was.
  int32_t ReadArrays(CKCBL* record, bool withIndex);

  const char* m_pFileName;
  uint32_t m_NumCoinValues = 0;
  std::unique_ptr<TMoney[]> m_pCoinValues;
  std::unique_ptr<int32_t[]> m_pJackpotIndexes;
  uint32_t m_DefaultCoinValueIndex = 0;
};
