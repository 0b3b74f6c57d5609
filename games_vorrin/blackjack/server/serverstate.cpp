// The round saved into the server table's state store for a crash save and read back on the
// restored table: every record (seats 0..5), the table's fields, then the shoe.
#include "common/cards/deck.h"
#include "ostrel/system/debug.h"
#include "server/servertable.h"

int32_t CBlackJackServerTable::StoreGame() {
  for (CBlackJackServerPlayer* record : m_pPlayers)
    if (!record || !record->SaveState(*this)) return 0;
  SSAddMoney(m_MinTable);
  SSAddMoney(m_MaxTable);
  for (int32_t value : {m_CurrentSeat, m_HoleCard, m_PeekDone, m_InsuranceDone, m_OneDeck, m_RoundState,
                        m_DecisionTime, m_LimitLevel, m_CardsSincePause, m_SettledCards})
    SSAddLong(static_cast<uint32_t>(value));
  if (!m_pShoe) return 0;
  SSAddState(*m_pShoe);
  return SSAddFailed() ? 0 : 1;
}

int32_t CBlackJackServerTable::RestoreGame() {
  for (CBlackJackServerPlayer* record : m_pPlayers)
    if (!record || !record->RestoreState(*this)) {
      xprintf("CBlackJackServerTable::RestoreGame: a seat's record cannot be read back");
      return 0;
    }
  const TMoney minTable = SSGetMoney(), maxTable = SSGetMoney();
  const int32_t currentSeat = SSGetLong(), holeCard = SSGetLong(), peekDone = SSGetLong();
  const int32_t insuranceDone = SSGetLong(), oneDeck = SSGetLong(), roundState = SSGetLong();
  const int32_t decisionTime = SSGetLong(), limitLevel = SSGetLong(), cardsSincePause = SSGetLong();
  const int32_t settledCards = SSGetLong();
  if (SSIsShort() || minTable.GetError() || maxTable.GetError() || currentSeat < 0 || currentSeat > KAVO_NUM_SEATS ||
      !KavoIsCard(holeCard) || roundState < KAVO_RS_DEAL || roundState > KAVO_RS_ALLBUST || decisionTime < 0 ||
      decisionTime > SERVERTABLE_CFG_MAX_SECONDS || limitLevel < 0 || limitLevel >= KAVO_BETLIMITS / 2 ||
      cardsSincePause < 0 || settledCards < 0 || !m_pShoe || !SSGetState(*m_pShoe)) {
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
  m_RoundState = roundState;
  m_DecisionTime = decisionTime;
  m_LimitLevel = limitLevel;
  m_CardsSincePause = cardsSincePause;
  m_SettledCards = settledCards;
  return 1;
}
