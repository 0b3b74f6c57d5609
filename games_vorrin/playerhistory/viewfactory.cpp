#include "viewfactory.h"

#include <new>

#include "gamehistorydisplay.h"
#include "ostrel/base/xstring.h"

namespace {
struct SViewKind {
  const char* m_pName;
  int32_t m_Types[3];  // 0 ends the list
  THistoryViewMaker m_Maker;
};

SViewKind g_Views[] = {
    {"CRouletteHistory", {1010, 1100, 2010}, nullptr},
    {"CBlackJackHistory", {1020, 1021, 1022}, nullptr},
    {"CGp2History", {1040}, nullptr},
    {"CVideoPokerHistory", {1060, 1061, 2060}, nullptr},
    {"CCarribbeanHistory", {1070}, nullptr},
    {"CSlotHistory", {1080}, nullptr},
    {"CKenoHistory", {1090}, nullptr},
    {"CWarHistory", {1110}, nullptr},
    {"CPaigowPokerHistory", {2030}, nullptr},
    {"CCrapsHistory", {2040}, nullptr},
    {"CMiniBaccaratHistory", {2050, 2080}, nullptr},
    {"C4rdHistory", {2130}, nullptr},
    {"C5dHistory", {2150}, nullptr},
    {"CMoneyWheelHistory", {2200}, nullptr},
    {"CJbsHistory", {2230, 2260, 2270}, nullptr},
    {"CSlotCoreHistory", {2250}, nullptr},
    {"CTqHistory", {2290}, nullptr},
};

const SViewKind* KindOf(int32_t type) {
  if (type == 0) return nullptr;
  for (const SViewKind& kind : g_Views)
    for (int32_t t : kind.m_Types)
      if (t == type) return &kind;
  return nullptr;
}
}  // namespace

CGameHistoryDisplay* xCreateHistoryView(int32_t type, CResData* res, GamestxtCFVModule* game) {
  const SViewKind* kind = KindOf(type);
  return kind && kind->m_Maker ? kind->m_Maker(res, game) : nullptr;
}

int32_t xHasHistoryViewMaker(int32_t type) {
  const SViewKind* kind = KindOf(type);
  return kind && kind->m_Maker ? 1 : 0;
}

THistoryViewMaker xSetHistoryViewMaker(const char* viewName, THistoryViewMaker maker) {
  for (SViewKind& kind : g_Views) {
    if (!viewName || xStrcmp(kind.m_pName, viewName) != 0) continue;
    const THistoryViewMaker old = kind.m_Maker;
    kind.m_Maker = maker;
    return old;
  }
  return nullptr;
}
