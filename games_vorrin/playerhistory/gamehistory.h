// The record parser of a round view: turns each record of a reply into grid rows. Entering sets
// the base value and round 1, a round start the round number; a game's own rows go to the round
// handler, which every view provides.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/info/translate.h"

class CLList;
struct THistoryRecord;

class CGameHistory {
 public:
  CGameHistory() = default;
  virtual ~CGameHistory();
  CGameHistory(const CGameHistory&) = delete;
  CGameHistory& operator=(const CGameHistory&) = delete;

  // The rows (CHistoryRow*, new) of one record appended to rows. Each view makes its header rows
  // for a null record and hands records on to this dispatch: kind 0 to HandleNewRound, 1 to
  // HandleEnterGame, 2 to HandleExitGame, 3 to HandleUserCrashed, any other to HandleRoundData.
  // A null record here has no header to give: 0.
  virtual int32_t ParseHistoryData(THistoryRecord* record, CLList& rows);
  // Round number = the record's value - the base value.
  virtual int32_t HandleNewRound(THistoryRecord* record, CLList& rows);
  // Base value = the record's value, round number 1.
  virtual int32_t HandleEnterGame(THistoryRecord* record, CLList& rows);
  virtual int32_t HandleExitGame(THistoryRecord* record, CLList& rows);
  virtual int32_t HandleUserCrashed(THistoryRecord* record, CLList& rows);
  // The game's rows; nothing in the base.
  virtual int32_t HandleRoundData(THistoryRecord* record, CLList& rows);

  int32_t GetBaseValue() const { return m_BaseValue; }
  int32_t GetRoundNumber() const { return m_RoundNumber; }
  CTranslate& GetTranslate() { return m_Translate; }

  // GetKeyMoney (roundtext.h) in the view's currency.
  int32_t GetKeyMoney(const char* text, const char* key, char* out, size_t size) const;
  template <size_t N>
  int32_t GetKeyMoney(const char* text, const char* key, char (&out)[N]) const {
    return GetKeyMoney(text, key, out, N);
  }

 protected:
  CTranslate m_Translate;
  int32_t m_BaseValue = 0;
  int32_t m_RoundNumber = 0;
};
