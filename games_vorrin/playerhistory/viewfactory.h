// The round view of each game type. The table of types and views is fixed; a view that is not
// built yet has no maker, and its types get no view.
#pragma once

#include <cstdint>
#include <new>

class CGameHistoryDisplay;
class CResData;
class GamestxtCFVModule;

using THistoryViewMaker = CGameHistoryDisplay* (*)(CResData* res, GamestxtCFVModule* game);

// The maker of every view: a new view of that class (null without memory).
template <class TView>
CGameHistoryDisplay* xMakeHistoryView(CResData* res, GamestxtCFVModule* game) {
  return new (std::nothrow) TView(res, game);
}

// A new view for the game type (the games-list id / 1000) with the window's script and the
// game's entry (may be null); null for a type without a view.
CGameHistoryDisplay* xCreateHistoryView(int32_t type, CResData* res, GamestxtCFVModule* game);
// 1 when the type has a view that can be made.
int32_t xHasHistoryViewMaker(int32_t type);
// Sets the maker of the view of that class name (every type the view serves; null: none) and
// returns the one it replaces; null for a name the table does not hold. Views register their
// makers in the table; tests put their own in place.
THistoryViewMaker xSetHistoryViewMaker(const char* viewName, THistoryViewMaker maker);
