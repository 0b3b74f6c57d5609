// The round saved for the crash store and read back: every record (seats 0..5), the table's
// fields, then the shoe.
#include "common/cards/deck.h"
#include "ostrel/system/debug.h"
#include "server/servertable.h"
#include "server/statestore.h"

int32_t CBlackJackServerTable::StoreGame() {
  m_SavedState.clear();
  CKavoStateWriter out(m_SavedState);
  for (CBlackJackServerPlayer* record : m_pPlayers)
    if (!record || !record->SaveState(out)) return 0;
  out.AddMoney(m_MinTable);
  out.AddMoney(m_MaxTable);
  for (int32_t value : {m_CurrentSeat, m_HoleCard, m_PeekDone, m_InsuranceDone, m_OneDeck}) out.AddLong(value);
  if (!m_pShoe) return 0;
  m_pShoe->StoreState(m_SavedState);
  return 1;
}

int32_t CBlackJackServerTable::RestoreGame() {
  CKavoStateReader in(m_SavedState.data(), m_SavedState.size());
  for (CBlackJackServerPlayer* record : m_pPlayers)
    if (!record || !record->RestoreState(in)) {
      xprintf("CBlackJackServerTable::RestoreGame: a seat's record cannot be read back");
      return 0;
    }
  TMoney minTable, maxTable;
  int32_t currentSeat = 0, holeCard = 0, peekDone = 0, insuranceDone = 0, oneDeck = 0;
  in.GetMoney(minTable);
  in.GetMoney(maxTable);
  for (int32_t* value : {&currentSeat, &holeCard, &peekDone, &insuranceDone, &oneDeck}) in.GetLong(*value);
  size_t used = 0;
  if (!in.Ok() || currentSeat < 0 || currentSeat > KAVO_NUM_SEATS || !KavoIsCard(holeCard) || !m_pShoe ||
      !m_pShoe->RestoreState(in.Rest(), in.RestSize(), used)) {
    xprintf("CBlackJackServerTable::RestoreGame: the table's data cannot be read back");
    return 0;
  }
  m_MinTable = minTable;
  m_MaxTable = maxTable;
  m_CurrentSeat = currentSeat;
  m_HoleCard = holeCard;
  m_PeekDone = peekDone ? 1 : 0;
  m_InsuranceDone = insuranceDone ? 1 : 0;
  m_OneDeck = oneDeck == 1 ? 1 : 0;
  return 1;
}
