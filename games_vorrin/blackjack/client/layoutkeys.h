// The blackjack table's layout keys as its main script's data chunk holds them: every key with
// its type and count, read and checked in one pass, so that a script with a missing or malformed
// key is refused by name before any of it is used.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client/kavolayout.h"
#include "spothighlight.h"

class CKCBL;

enum class EKavoKeyType : int32_t { Long, ULong, Double, Bool };

// What the keys give: the layout record and the values the table keeps elsewhere. Optional keys
// leave what the record held before the read.
struct SKavoLayoutRead {
  SKavoLayoutRead() {
    for (int32_t& p : Layout.PracticeDlgPosXY) p = -1;
    Layout.ShowOtherUsersCash = 1;
  }
  SKavoLayout Layout = {};
  int32_t SpotCoords[SPOT_COORDS] = {};
  uint32_t ChipValues[KAVO_CHIP_KINDS] = {1, 5, 25, 100, 500, 2};
  int32_t MaxNumHands = 0;
  std::vector<int32_t> ClearCoords;  // x, y, width, height of each clear area
  int32_t MaxRoundsBeforeMsg = 0;
  int32_t HasMaxRoundsBeforeMsg = 0;
  int32_t CashierMsgTime = 0;
  int32_t HasCashierMsgTime = 0;
  // Spots of a seat in "CHIP3DCOORDS" and "HANDOUT3DCOORDS": the regular counts, or the side-bet
  // table's, whose last spot and point of each seat go to the layout's side-bet places. Set by
  // the caller before the read.
  int32_t ChipSpotsPerSeat = KAVO_CHIP_SPOTS;
  int32_t HandoutSpotsPerSeat = KAVO_HANDOUT_SPOTS;
  double Chip3DAll[2 * KAVO_SIDEBET_CHIP_SPOTS * KAVO_VIEWS] = {};
  double Handout3DAll[2 * KAVO_SIDEBET_HANDOUT_SPOTS * KAVO_VIEWS] = {};
};

// The rules the table's code relies on.
inline constexpr int32_t KAVO_LAYOUT_KEYS = 113;
inline constexpr int32_t KAVO_MAX_CARDS_IN_POCKET = 20;  // a hand may hold 20 cards

struct SKavoLayoutKey {
  std::string Name;
  EKavoKeyType Type;
  int32_t Count;  // 0 for a single value
  bool Required;
};

// The keys in the order they are read ("CLEAR_COORDS" has no fixed count: four values for each
// of "NUM_CLEARAREAS").
std::vector<SKavoLayoutKey> xKavoLayoutKeys();

// Reads the keys from the current chunk of data (the script's data chunk, entered). 1 when every
// required key is there with its type and count and the values hold together; otherwise 0 and
// fault names the first key at fault and why.
int32_t xReadKavoLayout(CKCBL& data, SKavoLayoutRead& read, std::string& fault);
