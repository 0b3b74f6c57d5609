// One record of a play-history reply: a session of the session list, or one event of a session
// (entering, a round start, the game's own round row, leaving). The round text is a run of
// key=value pairs, each ended by ";".
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/playerhistory/playerhistorylogger.h"

// Record kinds beside the logger's (new round 0, entering 1, leaving 2, crash 3, bet clicks 4):
// the round row that a game writes.
inline constexpr int32_t HISTORY_KIND_ROUND = 5;

// The name field: 23 characters and the NUL.
inline constexpr size_t HISTORY_NAME_SIZE = 24;

struct THistoryRecord {
  THistoryRecord() = default;
  ~THistoryRecord() { delete[] m_pData; }
  THistoryRecord(const THistoryRecord&) = delete;
  THistoryRecord& operator=(const THistoryRecord&) = delete;

  // A copy of length bytes of text becomes the round text; 0, the old text kept, when memory
  // runs out.
  int32_t SetRoundText(const char* text, size_t length);
  // Copies at most 23 characters of the name.
  void SetName(const char* name);
  // The round text; empty when there is none.
  const char* RoundText() const { return m_pData ? m_pData : ""; }

  int32_t m_Word0 = 0;
  int32_t m_GameId = 0;
  int32_t m_SessionId = 0;
  int32_t m_Word3 = 0;
  int32_t m_Value = 0;
  int32_t m_Kind = 0;
  char m_Name[HISTORY_NAME_SIZE] = {};
  char* m_pData = nullptr;  // owned, NUL-ended
};
