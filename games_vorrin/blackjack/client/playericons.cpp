// The seat icons of the table: one per seat on the main dialog's seat controls.
#include "client/clienttable.h"

int32_t CBlackJackClientTable::CreatePlayerIcons(CBitmap*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                                 int32_t) {
  return 1;
}

void CBlackJackClientTable::DeletePlayerIcons() {}
