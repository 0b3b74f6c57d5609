#include "client/supersevenclienttable.h"

#include <new>

#include "client/playerdata.h"

CBlackJackPlayerData* CSuperSevenClientTable::NewPlayerRecord() { return new (std::nothrow) CSuperSevenPlayerData; }
