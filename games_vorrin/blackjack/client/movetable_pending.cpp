// Until the card moves land: a move table that builds nothing.
#include "client/clienttable.h"

int32_t CBlackJackClientTable::BuildMoveTable() { return 1; }
void CBlackJackClientTable::FreeMoveTable() {}
