#include "tablefactory.h"

#include <new>

#include "client/clienttable.h"
#include "client/supersevenclienttable.h"
#include "kavoprotocol.h"
#include "server/servertable.h"

int32_t KavoTableType(int32_t tableId) { return tableId / 1000; }

int32_t IsKavoTableType(int32_t type) {
  return type == KAVO_GAMEID_REGULAR || type == KAVO_GAMEID_SUPERSEVEN || type == KAVO_GAMEID_ONEDECK;
}

CBlackJackClientTable* NewKavoClientTable(int32_t type) {
  switch (type) {
    case KAVO_GAMEID_REGULAR: return new (std::nothrow) CBlackJackClientTable;
    case KAVO_GAMEID_SUPERSEVEN: return new (std::nothrow) CSuperSevenClientTable;
    case KAVO_GAMEID_ONEDECK: return new (std::nothrow) COneDeckClientTable;
    default: return nullptr;
  }
}

CBlackJackServerTable* NewKavoServerTable(int32_t type) {
  switch (type) {
    case KAVO_GAMEID_REGULAR: return new (std::nothrow) CBlackJackServerTable;
    case KAVO_GAMEID_SUPERSEVEN: return new (std::nothrow) CSuperSevenServerTable;
    case KAVO_GAMEID_ONEDECK: return new (std::nothrow) COneDeckServerTable;
    default: return nullptr;
  }
}
