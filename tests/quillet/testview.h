// The tests' round view, registered in place of views that are not built: a card view whose
// rounds (kind 5) give a row of round number, name, a marker picture ("MARK=r+g+b") and the bet,
// and a second row chained below when the round has a split hand ("SPLIT=" its bet; its first
// three cells empty). Every other kind adds no row. The picked round shows its cards ("CARDS=")
// in control 2001 and its bet in control 2002.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "cardgamehistorydisplay.h"
#include "viewfactory.h"

inline constexpr int32_t TESTVIEW_CARDS = 2001;
inline constexpr int32_t TESTVIEW_BET = 2002;
inline constexpr int32_t TESTVIEW_MARK_SIZE = 10;

class CTestHistoryView : public CCardGameHistoryDisplay {
 public:
  CTestHistoryView(CResData* res, GamestxtCFVModule* game) : CCardGameHistoryDisplay(res, game) {}

  int32_t ParseHistoryData(THistoryRecord* record, CLList& rows) override;
  int32_t HandleRoundData(THistoryRecord* record, CLList& rows) override;
  int32_t InitGraphics(CDialog* host) override;
  void ShowRound(CBitmap* target, int32_t x, int32_t y, CLList& records) override;

  int32_t m_Rounds = 0;

 private:
  CBitmap* Marker(const char* text);
};

// The test view in place of the named views while the object lives.
class CTestViewRegistration {
 public:
  CTestViewRegistration(std::initializer_list<const char*> views);
  ~CTestViewRegistration();
  CTestViewRegistration(const CTestViewRegistration&) = delete;
  CTestViewRegistration& operator=(const CTestViewRegistration&) = delete;

 private:
  std::vector<std::pair<std::string, THistoryViewMaker>> m_Replaced;
};
