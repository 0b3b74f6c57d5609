// The table classes of each blackjack table type (the table id / 1000).
#pragma once

#include <cstdint>

class CBlackJackClientTable;
class CBlackJackServerTable;

// The type of a table id; 1 when it is one of the three blackjack games.
int32_t KavoTableType(int32_t tableId);
int32_t IsKavoTableType(int32_t type);
// New tables of the type; null for another type or a failed allocation.
CBlackJackClientTable* NewKavoClientTable(int32_t type);
CBlackJackServerTable* NewKavoServerTable(int32_t type);
