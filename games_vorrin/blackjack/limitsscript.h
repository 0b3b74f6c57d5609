// The limits script of a blackjack table: the bet pairs of its limit levels, the decision times of
// its time levels and its rules, as the in-process server table of play for fun is given them.
#pragma once

#include <cstdint>
#include <vector>

#include "server/servertable.h"

class CResData;

// The most double totals a limits script may list (a hand total is at most 21).
inline constexpr uint32_t KAVO_MAX_DOUBLE_SUMS = 32;

struct SKavoLimits {
  int32_t m_BetLimits[KAVO_BETLIMITS] = {};
  int32_t m_TimeLimits[KAVO_TIMELIMITS] = {};
  std::vector<uint32_t> m_ValidDoubleSums;  // empty: a double on any total
  int32_t m_TripleSevenEnabled = 0;
  int32_t m_DrawOnSoft17 = 0;
};

// Reads the data chunk of a loaded script; 0 on a missing required key, an array whose length is
// not the one the key needs, a double-sum count above KAVO_MAX_DOUBLE_SUMS or without its list.
int32_t ReadLimitsScript(CResData& script, SKavoLimits& limits);
// Loads the named script and reads it; 0 when it cannot be loaded or read.
int32_t LoadLimitsScript(const char* fileName, SKavoLimits& limits);
// Hands the values to the server table (its double-sum list replaced).
void ApplyLimits(const SKavoLimits& limits, CBlackJackServerTable& table);
